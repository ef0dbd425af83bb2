// SPDX-License-Identifier: GPL-3.0-or-later
// A template's lines in one buffer, read out of a file's bytes or the
// editor's text.
#include "core/template_text.h"

#include <algorithm>
#include <cstring>

namespace clipquill {

namespace {

constexpr char kCtrlZ = '\x1A';

// The position of c in [from, to), or to when it is not there.
const char* findIn(const char* from, const char* to, char c) {
  const void* hit = std::memchr(from, c, static_cast<std::size_t>(to - from));
  return hit != nullptr ? static_cast<const char*>(hit) : to;
}

// Moves [from, to) down to out without its CRs; returns the new end of out.
// out never passes from, so the bytes are worked on in place.
char* keepWithoutCr(char* out, const char* from, const char* to) {
  for (;;) {
    const char* cr = findIn(from, to, '\r');
    const auto length = static_cast<std::size_t>(cr - from);
    if (out != from) std::memmove(out, from, length);
    out += length;
    if (cr == to) return out;
    from = cr + 1;
  }
}

}  // namespace

TemplateText::TemplateText(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const std::string& line : lines)
    size += line.size() + 1;
  text_.reserve(size);
  for (const std::string& line : lines) {
    text_ += line;
    text_ += '\n';
  }
}

TemplateText TemplateText::parse(std::string bytes) {
  char* const base = bytes.data();
  const char* pos = base;
  const char* const end = base + bytes.size();
  // The next Ctrl-Z, looked for once and again only after reading passes it.
  const char* mark = findIn(pos, end, kCtrlZ);
  char* out = base;
  if (mark == end) {
    // No Ctrl-Z, as nearly always: the text is the bytes without their CRs.
    out = keepWithoutCr(out, pos, end);
  } else {
    for (;;) {
      // CRs are dropped, so a Ctrl-Z behind them still stands at the line's start.
      while (pos != end && *pos == '\r')
        ++pos;
      if (pos == mark) break;
      const char* lineEnd = findIn(pos, end, '\n');
      const bool marked = mark < lineEnd;
      out = keepWithoutCr(out, pos, marked ? mark : lineEnd);
      // Behind this line's text there is always room for its "\n", but for
      // the last line of a file that does not end in one.
      if (lineEnd == end && !marked) break;
      *out++ = '\n';
      if (marked) {
        mark = findIn(mark + 1, end, kCtrlZ);
        if (mark < lineEnd) break;  // a second one before the line's end
      }
      if (lineEnd == end) break;
      pos = lineEnd + 1;
    }
  }
  bytes.resize(static_cast<std::size_t>(out - base));
  if (!bytes.empty() && bytes.back() != '\n') bytes += '\n';
  TemplateText text;
  text.text_ = std::move(bytes);
  return text;
}

TemplateText TemplateText::fromEditor(std::string_view text) {
  // Each "\r\n" is a line end as "\n" is; every other CR is the line's own.
  TemplateText lines;
  lines.text_.reserve(text.size() + 1);
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t lf = std::min(text.find('\n', at), text.size());
    std::string_view piece = text.substr(at, lf - at);
    if (lf != text.size() && piece.ends_with('\r')) piece.remove_suffix(1);
    lines.text_.append(piece);
    lines.text_ += '\n';
    at = lf + 1;
  }
  return lines;
}

TemplateText TemplateText::fromShown(std::string_view text) {
  TemplateText lines = fromEditor(text);
  // A line end at the very end is followed by the empty line it shows.
  if (text.ends_with('\n')) lines.text_ += '\n';
  return lines;
}

std::vector<std::string> parseTemplate(std::string_view bytes) {
  const TemplateText text = TemplateText::parse(std::string(bytes));
  return {text.lines().begin(), text.lines().end()};
}

std::vector<std::string> editorLines(std::string_view text) {
  const TemplateText lines = TemplateText::fromEditor(text);
  return {lines.lines().begin(), lines.lines().end()};
}

std::vector<std::string> shownEditorLines(std::string_view text) {
  const TemplateText lines = TemplateText::fromShown(text);
  return {lines.lines().begin(), lines.lines().end()};
}

}  // namespace clipquill
