// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/dry_run_scripts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <utility>

#include "core/error.h"
#include "core/posix_file.h"

namespace clipquill::cli {

namespace {

// Whether the folder takes a new file; 0, or the errno making one would meet.
int newFileDenied(int dir) {
  return ::faccessat(dir, ".", W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
}

}  // namespace

int DryRunScripts::folderFor(const std::string& path) {
  std::string folder = posix::folderOf(path);
  if (dir_.valid() && folder == folder_) return dir_.get();
  dir_ = posix::openFolder(folder);
  folder_ = std::move(folder);
  return dir_.get();
}

std::unique_ptr<ScriptWriter> DryRunScripts::createNew(const std::string& path) {
  posix::refuseNul(path);
  const int dir = folderFor(path);
  if (written_.contains(path)) return nullptr;
  const std::string name = posix::nameOf(path);
  struct stat st;
  const int err = posix::scriptOccupant(dir, name, st);
  if (err == 0) return nullptr;
  // A name too long for the file system fails here, as at the real link.
  if (err != ENOENT) throw Error::fromErrno(err);
  if (const int denied = newFileDenied(dir)) throw Error::fromErrno(denied);
  return std::make_unique<Writer>(*this, path, false);
}

std::unique_ptr<ScriptWriter> DryRunScripts::replace(const std::string& path) {
  posix::refuseNul(path);
  const int dir = folderFor(path);
  const std::string name = posix::nameOf(path);
  struct stat st;
  const int err = posix::scriptOccupant(dir, name, st);
  if (err != 0 && err != ENOENT) throw Error::fromErrno(err);
  const bool file = err == 0 && S_ISREG(st.st_mode);
  if (file) {
    if (const int denied = posix::writeDenied(dir, name.c_str(), st)) {
      throw Error::fromErrno(denied);
    }
  }
  // Where the folder takes no new file, a file that may be written is
  // written in place.
  if (const int denied = newFileDenied(dir)) {
    if (!file || (denied != EACCES && denied != EPERM)) throw Error::fromErrno(denied);
  }
  return std::make_unique<Writer>(*this, path, true);
}

}  // namespace clipquill::cli
