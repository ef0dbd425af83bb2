// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/naming.h"

#include "core/constants.h"

namespace clipquill {

PerClipName PerClipScriptName(std::string_view pattern, std::string_view clipFile) {
  PerClipName result;
  const auto dot = clipFile.find('.');
  // A name without any "." has an empty base, not the whole name.
  result.clipBase =
      dot == std::string_view::npos ? std::string() : std::string(clipFile.substr(0, dot));

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

std::string JoinedScriptName(std::string_view nameText) {
  std::string name(nameText);
  if (nameText.find(kScriptExt) == std::string_view::npos) name.append(kScriptExt);
  return name;
}

}  // namespace clipquill
