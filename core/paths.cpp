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

namespace {

bool isDriveLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool isSeparator(char c, const PathSeparators& seps) {
  return c != ':' && seps.all.find(c) != std::string_view::npos;
}

// The root a Windows path begins with: "C:" for a drive, "\\server\share"
// for a share; "" for anything else.
std::string_view rootOf(std::string_view path, const PathSeparators& seps) {
  if (path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':') return path.substr(0, 2);
  return path.substr(0, shareRootLength(path, seps));
}

}  // namespace

std::size_t shareRootLength(std::string_view path, const PathSeparators& seps) {
  if (seps.all.find(':') == std::string_view::npos) return 0;
  if (path.size() < 3 || !isSeparator(path[0], seps) || !isSeparator(path[1], seps) ||
      isSeparator(path[2], seps))
    return 0;
  // The server's name, then the share's.
  std::size_t end = 2;
  for (int part = 0; part < 2; ++part) {
    while (end < path.size() && !isSeparator(path[end], seps))
      ++end;
    if (part == 0 && end < path.size()) ++end;
  }
  return end;
}

std::string fullPathAgainst(std::string_view workingFolder, std::string_view path,
                            const DriveFolderLookup& driveFolder, const PathSeparators& seps) {
  if (path.empty()) return {};
  const std::string working =
      withTrailingSeparator(workingFolder.empty() ? seps.all.substr(0, 1) : workingFolder, seps);
  if (!isAbsolutePath(path, seps)) return working + std::string(path);
  const bool drives = seps.all.find(':') != std::string_view::npos;
  if (!drives) return std::string(path);
  // "\\server\share", "C:\": full already.
  if (path.size() >= 2 && isSeparator(path[0], seps) && isSeparator(path[1], seps))
    return std::string(path);
  if (path.size() >= 3 && path[1] == ':' && isSeparator(path[2], seps)) return std::string(path);
  const std::string_view workingRoot = rootOf(workingFolder, seps);
  if (isSeparator(path[0], seps)) {
    // The root of the working folder's drive or share.
    return workingRoot.empty() ? std::string(path) : std::string(workingRoot) + std::string(path);
  }
  // "D:x": below the folder Windows keeps for D.
  const char drive = upper(path[0]);
  const std::string_view rest = path.substr(2);
  if (workingRoot.size() == 2 && upper(workingRoot[0]) == drive) return working + std::string(rest);
  std::string kept = driveFolder ? driveFolder(drive) : std::string();
  if (kept.size() < 3 || upper(kept[0]) != drive || kept[1] != ':' || !isSeparator(kept[2], seps))
    kept = std::string(1, drive) + ":" + seps.primary;
  return withTrailingSeparator(kept, seps) + std::string(rest);
}

}  // namespace clipquill
