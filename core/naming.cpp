// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/naming.h"

#include <unordered_map>
#include <unordered_set>

#include "core/constants.h"

namespace clipquill {

std::string clipBaseOf(std::string_view clipFile, NameEnd end) {
  const auto dot = end == NameEnd::FirstDot ? clipFile.find('.') : clipFile.rfind('.');
  // A name without any "." has an empty base, not the whole name.
  if (dot == std::string_view::npos) return {};
  const std::string_view base = clipFile.substr(0, dot);
  if (base.find_first_not_of('.') == std::string_view::npos) return {};
  return std::string(base);
}

PerClipName perClipScriptName(std::string_view pattern, std::string_view clipFile, NameEnd end) {
  PerClipName result;
  result.clipBase = clipBaseOf(clipFile, end);

  if (pattern.empty()) {
    result.scriptFile = result.clipBase;
  } else if (const auto star = pattern.find('*'); star != std::string_view::npos) {
    result.scriptFile.reserve(pattern.size() + result.clipBase.size() + kScriptExt.size());
    result.scriptFile.append(pattern.substr(0, star));
    result.scriptFile.append(result.clipBase);
    result.scriptFile.append(pattern.substr(star + 1));
  } else {
    result.scriptFile = pattern;
  }
  result.scriptFile.append(kScriptExt);
  return result;
}

std::string joinedScriptName(std::string_view nameText) {
  std::string name(nameText);
  if (nameText.find(kScriptExt) == std::string_view::npos) name.append(kScriptExt);
  return name;
}

bool isNamelessScript(std::string_view scriptFile) {
  return scriptFile == kScriptExt;
}

std::vector<ScriptNameClash> perClipNameClashes(std::string_view pattern,
                                                std::span<const std::string> clips, NameEnd end) {
  // Each name's clips, gathered in one pass; only names with two or more
  // are kept, in the order they first came up.
  std::vector<ScriptNameClash> named;
  std::unordered_map<std::string, std::size_t> byName;
  byName.reserve(clips.size());
  for (const std::string& clip : clips) {
    std::string name = perClipScriptName(pattern, clip, end).scriptFile;
    const auto [it, added] = byName.try_emplace(name, named.size());
    if (added) named.push_back({std::move(name), {}});
    named[it->second].clips.push_back(clip);
  }
  std::erase_if(named, [](const ScriptNameClash& entry) { return entry.clips.size() < 2; });
  return named;
}

bool lastDotWouldHelp(std::string_view pattern, std::span<const ScriptNameClash> clashes) {
  for (const ScriptNameClash& clash : clashes) {
    std::unordered_set<std::string> names;
    for (const std::string& clip : clash.clips) {
      names.insert(perClipScriptName(pattern, clip, NameEnd::LastDot).scriptFile);
      if (names.size() > 1) return true;
    }
  }
  return false;
}

}  // namespace clipquill
