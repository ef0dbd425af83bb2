// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/paths.h"

namespace clipquill {

std::string withTrailingSeparator(std::string_view folder, const PathSeparators& seps) {
  std::string result(folder);
  if (result.empty()) return result;
  // Closed with the separator the folder already uses ("C:/clips" gives
  // "C:/clips/"), the primary one where it uses none; a drive's ":" is no
  // separator of names.
  char closing = seps.primary;
  for (auto it = result.rbegin(); it != result.rend(); ++it) {
    if (*it != ':' && seps.all.find(*it) != std::string_view::npos) {
      closing = *it;
      break;
    }
  }
  if (result.back() != closing) result += closing;
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
