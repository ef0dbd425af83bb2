// SPDX-License-Identifier: GPL-3.0-or-later
#include "persist/path_rules.h"

#include "core/constants.h"

// The build passes the real layout; this is GNU's default.
#ifndef CLIPQUILL_INSTALLED_DATA_FOLDER
#define CLIPQUILL_INSTALLED_DATA_FOLDER "../share/clipquill"
#endif

namespace clipquill {

namespace {

// The position of the path's last separator, or npos.
std::size_t lastSeparator(std::string_view path, const PathSeparators& seps) {
  return path.find_last_of(seps.all);
}

bool isSeparator(char c, const PathSeparators& seps) {
  return seps.all.find(c) != std::string_view::npos;
}

}  // namespace

std::string folderOfPath(std::string_view path, const PathSeparators& seps) {
  const std::size_t last = lastSeparator(path, seps);
  if (last == std::string_view::npos) return {};
  // A separator that closes a named folder goes; one that is the root, or
  // ends a drive or a run of separators, is part of the folder's name.
  const bool closesName = last > 0 && (path[last] == seps.primary || path[last] == '/') &&
                          !isSeparator(path[last - 1], seps);
  return std::string(path.substr(0, closesName ? last : last + 1));
}

std::string fileNameOfPath(std::string_view path, const PathSeparators& seps) {
  const std::size_t last = lastSeparator(path, seps);
  return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

std::string templateFolder(std::string_view path, const PathSeparators& seps) {
  return withTrailingSeparator(folderOfPath(path, seps), seps);
}

std::string iniNameFor(std::string_view templateName, const PathSeparators& seps) {
  const std::size_t last = templateName.find_last_of(std::string(seps.all) + '.');
  std::string result(templateName);
  if (last != std::string_view::npos && templateName[last] == '.') result.resize(last);
  result += kIniExt;
  return result;
}

std::string joinRelativeFolder(std::string_view folder, std::string_view relative,
                               const PathSeparators& seps) {
  std::string result(folder);
  if (!result.empty() && !isSeparator(result.back(), seps)) result += seps.primary;
  while (!relative.empty()) {
    const std::size_t slash = relative.find('/');
    const std::string_view part = relative.substr(0, slash);
    relative = slash == std::string_view::npos ? std::string_view() : relative.substr(slash + 1);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      std::string_view trimmed(result);
      // Only the closing separators go: a drive's ":" stays, "C:" has no name.
      while (!trimmed.empty() && trimmed.back() == seps.primary)
        trimmed.remove_suffix(1);
      const std::string name = fileNameOfPath(trimmed, seps);
      // The root, a drive, "." and ".." have no name to take off: the ".."
      // stays for the file system to resolve.
      if (!name.empty() && name != "." && name != "..") {
        result.resize(trimmed.size() - name.size());
        continue;
      }
    }
    result.append(part);
    result += seps.primary;
  }
  return result;
}

std::string_view installedDataFolder() {
  return CLIPQUILL_INSTALLED_DATA_FOLDER;
}

std::vector<std::string> defaultTemplateFolders(std::string_view appDir,
                                                std::string_view dataFromProgram,
                                                const PathSeparators& seps) {
  std::vector<std::string> folders{std::string(appDir)};
  if (appDir.empty()) return folders;
  std::string installed = joinRelativeFolder(appDir, dataFromProgram, seps);
  if (installed != folders.front()) folders.push_back(std::move(installed));
  return folders;
}

std::string userConfigFolderFor(const char* xdgConfigHome, const char* home) {
  std::string base;
  if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/') {
    base = xdgConfigHome;
  } else {
    if (home == nullptr || home[0] == '\0') return "";
    base = home;
    while (base.ends_with('/'))
      base.pop_back();
    base += "/.config";
  }
  while (base.ends_with('/'))
    base.pop_back();
  return base + "/" + std::string(kAppTitle) + "/";
}

std::vector<std::string> defaultTemplateSearch(std::string_view userFolder, std::string_view appDir,
                                               std::string_view dataFromProgram,
                                               const PathSeparators& seps) {
  std::vector<std::string> folders = defaultTemplateFolders(appDir, dataFromProgram, seps);
  if (!userFolder.empty() && userFolder != folders.front()) {
    folders.insert(folders.begin(), std::string(userFolder));
  }
  return folders;
}

std::string withSaveExtension(std::string_view path, int fileTypeIndex) {
  std::string result(path);
  if (path.find('.') != std::string_view::npos) return result;
  if (fileTypeIndex >= 1 && fileTypeIndex <= static_cast<int>(kSaveFileTypes.size())) {
    result += kSaveFileTypes[static_cast<std::size_t>(fileTypeIndex - 1)].extension;
  }
  return result;
}

}  // namespace clipquill
