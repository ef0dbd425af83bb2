// SPDX-License-Identifier: GPL-3.0-or-later
// Persisted files on a POSIX file system, by the shared file rules
// (core/posix_file.h).
//
// A write never truncates the old file: the bytes go into an unnamed file in
// the same folder, which is synced, given the old file's permissions (and its
// owner, where we may), and put in its place in one step. A link is followed
// first, so it is the link's target that is replaced and the link itself
// stays. A file the user may not write is refused as writing it would be;
// where only the folder refuses the new file, the file is written in place.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "core/error.h"
#include "core/posix_file.h"
#include "persist/persist_files.h"

namespace clipquill {

namespace {

using posix::Fd;

constexpr int kMaxLinks = 40;  // as the kernel's own limit on a path

// The file a write to path lands in: path itself, or the end of its links.
std::string followLinks(std::string path) {
  for (int hops = 0; hops < kMaxLinks; ++hops) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096), '\0');
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0) throwErrno();
    target.resize(static_cast<std::size_t>(n));
    path = target.starts_with('/') ? target : posix::folderOf(path) + "/" + target;
  }
  throw Error::fromErrno(ELOOP);
}

// Gathers small pieces into writes of a useful size; a large piece goes
// straight through.
class FdSink final : public PersistFiles::Sink {
 public:
  static constexpr std::size_t kChunk = 256 * 1024;

  explicit FdSink(int fd) : fd_(fd) { buffer_.reserve(kChunk); }

  void put(std::string_view bytes) override {
    if (buffer_.size() + bytes.size() > kChunk) flush();
    if (bytes.size() >= kChunk) {
      posix::writeAll(fd_, bytes);
    } else {
      buffer_ += bytes;
    }
  }

  void flush() {
    posix::writeAll(fd_, buffer_);
    buffer_.clear();
  }

 private:
  int fd_;
  std::string buffer_;
};

void produceInto(int fd, const std::function<void(PersistFiles::Sink&)>& produce) {
  FdSink sink(fd);
  produce(sink);
  sink.flush();
  if (::fsync(fd) != 0) throwErrno();
}

// Where the folder takes no new file but the file itself may be written: in
// place, as truncating and writing it would.
void writeInPlace(int dir, const std::string& name,
                  const std::function<void(PersistFiles::Sink&)>& produce) {
  Fd fd(::openat(dir, name.c_str(), O_WRONLY | O_TRUNC | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd.valid()) throwErrno();
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) throwErrno();
  if (!S_ISREG(st.st_mode)) throw Error::fromErrno(EACCES);
  produceInto(fd.get(), produce);
  fd.close();
}

class PosixPersistFiles final : public PersistFiles {
 public:
  std::optional<std::string> read(const std::string& path) override {
    return posix::readRegularFile(path);
  }

  bool isFile(const std::string& path) override { return posix::isRegularFile(path); }

  void writeWith(const std::string& path, const std::function<void(Sink&)>& produce) override {
    posix::refuseNul(path);
    const std::string target = followLinks(path);
    const std::string name = posix::nameOf(target);
    const Fd dir = posix::openFolder(posix::folderOf(target));
    struct stat old;
    const bool replacing = ::fstatat(dir.get(), name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (replacing) {
      // Only a file is replaced: a folder, a FIFO or a device is refused.
      if (!S_ISREG(old.st_mode)) throw Error::fromErrno(EACCES);
      if (const int err = posix::writeDenied(dir.get(), name.c_str(), old)) {
        throw Error::fromErrno(err);
      }
    } else if (errno != ENOENT) {
      throwErrno();
    }

    posix::NewFile file;
    try {
      file = posix::NewFile::createIn(dir.get());
    } catch (const Error& e) {
      const int err = e.systemError();
      if (!replacing || (err != EACCES && err != EPERM)) throw;
      writeInPlace(dir.get(), name, produce);
      return;
    }
    if (replacing) {
      // Root may give the file back to its owner; anyone else keeps it.
      [[maybe_unused]] const int owned = ::fchown(file.fd(), old.st_uid, old.st_gid);
      if (::fchmod(file.fd(), old.st_mode & 07777) != 0) throwErrno();
    }
    produceInto(file.fd(), produce);
    int err = replacing ? EEXIST : file.linkAsNew(dir.get(), name);
    if (err == EEXIST) {
      // Another writer's file, or one that appeared meanwhile: replaced.
      posix::removeStaleTemporaries(dir.get());
      file.linkOver(dir.get(), name);
      err = 0;
    }
    if (err != 0) throw Error::fromErrno(err);
    file.close();
  }

  bool isFolder(const std::string& path) override {
    struct stat st;
    return path.find('\0') == std::string::npos && ::stat(path.c_str(), &st) == 0 &&
           S_ISDIR(st.st_mode);
  }

  bool remove(const std::string& path) override {
    return path.find('\0') == std::string::npos && ::unlink(path.c_str()) == 0;
  }

  void makeFolder(const std::string& path) override {
    posix::refuseNul(path);
    if (::mkdir(path.c_str(), 0777) == 0) return;
    const int err = errno;
    struct stat st;
    if (err == EEXIST && ::stat(path.c_str(), &st) == 0) {
      if (S_ISDIR(st.st_mode)) return;
      throw Error::fromErrno(ENOTDIR);
    }
    throw Error::fromErrno(err);
  }

  bool canWrite(const std::string& path) override {
    return path.find('\0') == std::string::npos &&
           ::faccessat(AT_FDCWD, path.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
  }

  std::vector<std::string> names(const std::string& path) override {
    std::vector<std::string> result;
    if (path.find('\0') != std::string::npos) return result;
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) return result;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string_view name(entry->d_name);
      if (name != "." && name != "..") result.emplace_back(name);
    }
    ::closedir(dir);
    return result;
  }
};

}  // namespace

std::unique_ptr<PersistFiles> makeSystemPersistFiles() {
  posix::ignoreFileSizeSignal();
  return std::make_unique<PosixPersistFiles>();
}

}  // namespace clipquill
