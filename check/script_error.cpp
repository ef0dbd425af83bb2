// SPDX-License-Identifier: GPL-3.0-or-later
// Reading AviSynth's error text from its end, where the places are: a file
// name may hold anything, commas and parentheses included, but the place's
// tail ", line L[, column C])" and the "\n(" before the name do not lie.
#include "check/script_error.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

namespace clipquill {
namespace {

// The number that ends `s`, which loses it; nullopt when `s` ends otherwise.
std::optional<int> takeTrailingNumber(std::string_view& s) {
  std::size_t start = s.size();
  while (start > 0 && std::isdigit(static_cast<unsigned char>(s[start - 1])))
    --start;
  if (start == s.size() || s.size() - start > 9) return std::nullopt;
  int value = 0;
  std::from_chars(s.data() + start, s.data() + s.size(), value);
  s.remove_suffix(s.size() - start);
  return value;
}

bool takeSuffix(std::string_view& s, std::string_view suffix) {
  if (!s.ends_with(suffix)) return false;
  s.remove_suffix(suffix.size());
  return true;
}

// The last place of `s`, which is cut back to the text before it. A file
// name holding "\n(" is read whole when it is `known`.
std::optional<ScriptPlace> takeLastPlace(std::string_view& s, std::string_view known) {
  std::string_view rest = s;
  if (!takeSuffix(rest, ")")) return std::nullopt;
  auto number = takeTrailingNumber(rest);
  if (!number) return std::nullopt;
  ScriptPlace place;
  if (takeSuffix(rest, ", column ")) {
    place.column = *number;
    number = takeTrailingNumber(rest);
    if (!number) return std::nullopt;
  }
  if (!takeSuffix(rest, ", line ")) return std::nullopt;
  place.line = *number;
  std::size_t open = rest.rfind("\n(");
  if (!known.empty() && rest.ends_with(known) &&
      rest.substr(0, rest.size() - known.size()).ends_with("\n(")) {
    open = rest.size() - known.size() - 2;
  }
  if (open == std::string_view::npos) return std::nullopt;
  place.file = std::string(rest.substr(open + 2));
  s = s.substr(0, open);
  return place;
}

}  // namespace

ScriptErrorText parseScriptError(std::string_view text, std::string_view known) {
  ScriptErrorText result;
  std::string_view rest = text;
  while (rest.ends_with('\n') || rest.ends_with('\r') || rest.ends_with(' '))
    rest.remove_suffix(1);
  while (auto place = takeLastPlace(rest, known))
    result.places.push_back(std::move(*place));
  std::reverse(result.places.begin(), result.places.end());
  while (rest.ends_with('\n') || rest.ends_with('\r') || rest.ends_with(' '))
    rest.remove_suffix(1);
  result.message = std::string(rest);
  return result;
}

LocatedError locateScriptError(std::string_view text, std::string_view script) {
  ScriptErrorText parsed = parseScriptError(text, script);
  LocatedError result;
  auto own = std::find_if(parsed.places.rbegin(), parsed.places.rend(),
                          [&](const ScriptPlace& p) { return p.file == script; });
  if (own != parsed.places.rend()) {
    result.line = own->line;
    result.column = own->column;
  }
  result.message = parsed.message;
  for (auto it = parsed.places.begin(); it != parsed.places.end(); ++it) {
    if (own != parsed.places.rend() && &*it == &*own) continue;
    result.message += " (in " + it->file + ", line " + std::to_string(it->line) + ")";
  }
  // One line, for "path:line:column: message" and for a tooltip's first line.
  for (char& c : result.message) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return result;
}

}  // namespace clipquill
