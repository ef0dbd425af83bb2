#include "persist/path_rules.h"

#include "core/constants.h"

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
  const bool closesName =
      last > 0 && path[last] == seps.primary && !isSeparator(path[last - 1], seps);
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

std::string withSaveExtension(std::string_view path, int fileTypeIndex) {
  std::string result(path);
  if (path.find('.') != std::string_view::npos) return result;
  if (fileTypeIndex >= 1 && fileTypeIndex <= static_cast<int>(kSaveFileTypes.size())) {
    result += kSaveFileTypes[static_cast<std::size_t>(fileTypeIndex - 1)].extension;
  }
  return result;
}

}  // namespace clipquill
