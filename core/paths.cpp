// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/paths.h"

namespace clipquill {

std::string withTrailingSeparator(std::string_view folder, const PathSeparators& seps) {
  std::string result(folder);
  // "/" closes a folder as well wherever it separates.
  if (!result.empty() && result.back() != seps.primary &&
      !(result.back() == '/' && seps.all.find('/') != std::string_view::npos)) {
    result += seps.primary;
  }
  return result;
}

bool isAbsolutePath(std::string_view path, const PathSeparators& seps) {
  if (path.empty()) return false;
  if (path.front() != ':' && seps.all.find(path.front()) != std::string_view::npos) return true;
  const bool drives = seps.all.find(':') != std::string_view::npos;
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  return drives && path.size() >= 2 && letter(path[0]) && path[1] == ':';
}

}  // namespace clipquill
