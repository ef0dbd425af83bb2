// SPDX-License-Identifier: GPL-3.0-or-later
// mkdtemp makes the folder with mode 0700 and a name it picked from the
// random source; lstat and the owner's check keep the sweep to our own
// folders, never through a link another user planted.
#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "check/private_folder.h"

namespace clipquill {
namespace {

std::string baseFolder(FolderBase base) {
  auto usable = [](const char* folder) {
    struct stat st {};
    return folder != nullptr && *folder == '/' && ::stat(folder, &st) == 0 && S_ISDIR(st.st_mode) &&
           ::access(folder, W_OK | X_OK) == 0;
  };
  if (base == FolderBase::Runtime) {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); usable(runtime)) return runtime;
  }
  if (const char* tmp = std::getenv("TMPDIR"); usable(tmp)) return tmp;
  return "/tmp";
}

}  // namespace

std::string makePrivateFolder(std::string_view prefix, FolderBase base) {
  std::string folder = baseFolder(base) + "/" + std::string(prefix) +
                       std::to_string(static_cast<unsigned long>(::getpid())) + "-XXXXXX";
  return ::mkdtemp(folder.data()) != nullptr ? folder : std::string();
}

int sweepStalePrivateFolders(std::string_view prefix, FolderBase base) {
  const std::string folder = baseFolder(base);
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return 0;
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const auto pid = privateFolderOwner(entry->d_name, prefix);
    if (!pid) continue;
    const std::string path = folder + "/" + entry->d_name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
      continue;
    if (::kill(static_cast<pid_t>(*pid), 0) == 0 || errno != ESRCH) continue;
    std::error_code ec;
    if (std::filesystem::remove_all(path, ec) > 0 && !ec) ++removed;
  }
  ::closedir(dir);
  return removed;
}

}  // namespace clipquill
