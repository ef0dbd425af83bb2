// SPDX-License-Identifier: GPL-3.0-or-later
// Clip folders on a POSIX file system. Names beginning with "." are hidden
// and never listed; a link counts as what it points to, so a link to an
// ordinary file is listed and a broken one is not.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "clips/clip_folders.h"
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

class PosixClipFolders final : public ClipFolders {
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

  PathKind kind(const std::string& path) override {
    struct stat st;
    if (path.find('\0') != std::string::npos || ::stat(path.c_str(), &st) != 0) {
      return PathKind::Missing;
    }
    return S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::File;
  }
};

}  // namespace

std::unique_ptr<ClipFolders> makeSystemClipFolders() {
  return std::make_unique<PosixClipFolders>();
}

}  // namespace clipquill
