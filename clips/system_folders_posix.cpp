// SPDX-License-Identifier: GPL-3.0-or-later
// Folders on a POSIX file system. Names beginning with "." are hidden and
// never listed as clips; a link counts as what it points to, so a link to an
// ordinary file is listed and a broken one is not.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "clips/folders.h"
#include "core/error.h"
#include "core/posix_file.h"

namespace clipquill {

namespace {

int openFolder(const std::string& folder) {
  if (folder.find('\0') != std::string::npos) throw Error::fromErrno(EINVAL);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) throwErrno();
  return fd;
}

class PosixFolders final : public Folders {
 public:
  void checkFolder(const std::string& folder) override { ::close(openFolder(folder)); }

  void listFiles(const std::string& folder,
                 const std::function<void(std::string_view)>& visit) override {
    const int fd = openFolder(folder);
    posix::listEntries(fd, [&](int dirFd, const dirent& entry) {
      if (entry.d_name[0] == '.') return;
      if (posix::entryIsOfType(dirFd, entry, S_IFREG)) visit(std::string_view(entry.d_name));
    });
  }

  void listSubfolders(const std::string& folder,
                      const std::function<void(std::string_view)>& visit) override {
    const int fd = openFolder(folder);
    posix::listEntries(fd, [&](int dirFd, const dirent& entry) {
      const std::string_view name(entry.d_name);
      if (name == "." || name == "..") return;
      if (posix::entryIsOfType(dirFd, entry, S_IFDIR)) visit(name);
    });
  }

  PathKind kind(const std::string& path) override {
    struct stat st;
    if (path.find('\0') != std::string::npos || ::stat(path.c_str(), &st) != 0) {
      return PathKind::Missing;
    }
    return S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::File;
  }

  int makeFolder(const std::string& path) override {
    if (path.find('\0') != std::string::npos) return EINVAL;
    return ::mkdir(path.c_str(), 0777) == 0 ? 0 : errno;
  }
};

}  // namespace

std::unique_ptr<Folders> makeSystemFolders() {
  return std::make_unique<PosixFolders>();
}

}  // namespace clipquill
