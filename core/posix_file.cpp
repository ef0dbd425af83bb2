// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/posix_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>

#include "core/error.h"

namespace clipquill::posix {

namespace {

constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as for any new file
constexpr std::string_view kTempPrefix = ".clipquill-";
constexpr std::string_view kTempSuffix = ".tmp";

std::atomic<unsigned> tempCounter{0};

// Linking an unnamed file by its descriptor alone needs a recent kernel or a
// capability; the /proc path of the descriptor works everywhere else.
std::atomic<bool> emptyPathRefused{false};

int linkDescriptor(int fd, int dir, const char* name) {
  if (!emptyPathRefused.load(std::memory_order_relaxed)) {
    if (::linkat(fd, "", dir, name, AT_EMPTY_PATH) == 0) return 0;
    if (errno != ENOENT) return errno;
  }
  char proc[32];
  std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", fd);
  if (::linkat(AT_FDCWD, proc, dir, name, AT_SYMLINK_FOLLOW) != 0) return errno;
  emptyPathRefused.store(true, std::memory_order_relaxed);
  return 0;
}

std::string tempName() {
  return std::string(kTempPrefix) + std::to_string(::getpid()) + "-" +
         std::to_string(tempCounter.fetch_add(1)) + std::string(kTempSuffix);
}

// The process id in a name of tempName()'s form, or 0 when it is not one.
pid_t tempOwner(std::string_view name) {
  if (!name.starts_with(kTempPrefix) || !name.ends_with(kTempSuffix)) return 0;
  name.remove_prefix(kTempPrefix.size());
  name.remove_suffix(kTempSuffix.size());
  const std::size_t dash = name.find('-');
  if (dash == std::string_view::npos || dash == 0 || dash + 1 == name.size()) return 0;
  for (const char c : name.substr(dash + 1))
    if (c < '0' || c > '9') return 0;
  pid_t pid = 0;
  const auto [end, ec] = std::from_chars(name.data(), name.data() + dash, pid);
  return ec == std::errc() && end == name.data() + dash && pid > 0 ? pid : 0;
}

}  // namespace

Fd& Fd::operator=(Fd&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.release();
  }
  return *this;
}

Fd::~Fd() {
  if (fd_ >= 0) ::close(fd_);
}

void Fd::close() {
  // Linux frees the descriptor whatever close() reports, EINTR included:
  // it must never be closed twice.
  if (::close(release()) != 0) throwErrno();
}

void refuseNul(const std::string& path) {
  if (path.find('\0') != std::string::npos) throw Error::fromErrno(EINVAL);
}

std::string_view folderViewOf(std::string_view path) {
  const auto slash = path.rfind('/');
  if (slash == std::string_view::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string folderOf(const std::string& path) {
  return std::string(folderViewOf(path));
}

std::string nameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

Fd openFolder(const std::string& folder) {
  Fd dir(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!dir.valid()) throwErrno();
  return dir;
}

void writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      throwErrno();
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

void ignoreFileSizeSignal() {
  struct sigaction current {};
  if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
    ::signal(SIGXFSZ, SIG_IGN);
  }
}

bool isRegularFile(const std::string& path) {
  struct stat st;
  return path.find('\0') == std::string::npos && ::stat(path.c_str(), &st) == 0 &&
         S_ISREG(st.st_mode);
}

std::optional<std::string> readRegularFile(const std::string& path) {
  if (!isRegularFile(path)) return std::nullopt;
  // Non-blocking all the same: what is there may have changed since.
  Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd.valid()) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    throwErrno();
  }
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) throwErrno();
  if (!S_ISREG(st.st_mode)) return std::nullopt;
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      throwErrno();
    }
    if (n == 0) return bytes;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
}

int writeDenied(int dir, const char* name, const struct stat& st) {
  // The owner's own write bit settles the usual case without a system call.
  if (st.st_uid == ::geteuid() && (st.st_mode & S_IWUSR) != 0) return 0;
  return ::faccessat(dir, name, W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

NewFile::NewFile(NewFile&& other) noexcept
    : fd_(std::move(other.fd_)), dir_(other.dir_), tempName_(std::move(other.tempName_)) {
  other.tempName_.clear();
}

NewFile& NewFile::operator=(NewFile&& other) noexcept {
  if (this != &other) {
    abandon();
    fd_ = std::move(other.fd_);
    dir_ = other.dir_;
    tempName_ = std::move(other.tempName_);
    other.tempName_.clear();
  }
  return *this;
}

NewFile::~NewFile() {
  abandon();
}

void NewFile::abandon() noexcept {
  if (!tempName_.empty()) ::unlinkat(dir_, tempName_.c_str(), 0);
  tempName_.clear();
}

NewFile NewFile::createIn(int dir) {
  NewFile file;
  file.fd_ = Fd(::openat(dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, kNewFileMode));
  if (file.fd_.valid()) return file;
  // EOPNOTSUPP: this file system cannot; EISDIR: this kernel cannot.
  if (errno != EOPNOTSUPP && errno != EISDIR) throwErrno();
  return createNamedIn(dir);
}

NewFile NewFile::createNamedIn(int dir) {
  NewFile file;
  for (int attempt = 0;; ++attempt) {
    std::string name = tempName();
    file.fd_ =
        Fd(::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode));
    if (file.fd_.valid()) {
      file.dir_ = dir;
      file.tempName_ = std::move(name);
      return file;
    }
    if (errno != EEXIST || attempt >= 100) throwErrno();
  }
}

int NewFile::linkAsNew(int dir, const std::string& name) {
  if (tempName_.empty()) return linkDescriptor(fd_.get(), dir, name.c_str());
  // link() refuses to replace, as linking the unnamed file does.
  if (::linkat(dir_, tempName_.c_str(), dir, name.c_str(), 0) != 0) return errno;
  ::unlinkat(dir_, tempName_.c_str(), 0);
  tempName_.clear();
  return 0;
}

void NewFile::linkOver(int dir, const std::string& name) {
  if (tempName_.empty()) {
    // A name for the moment between the link and the rename; see
    // removeStaleTemporaries() for one that a kill leaves behind.
    for (int attempt = 0;; ++attempt) {
      std::string temp = tempName();
      const int err = linkDescriptor(fd_.get(), dir, temp.c_str());
      if (err == 0) {
        dir_ = dir;
        tempName_ = std::move(temp);
        break;
      }
      if (err != EEXIST || attempt >= 100) throw Error::fromErrno(err);
    }
  }
  if (::renameat(dir_, tempName_.c_str(), dir, name.c_str()) != 0) throwErrno();
  tempName_.clear();
}

bool isStaleTemporary(std::string_view name) {
  const pid_t owner = tempOwner(name);
  // A process that still runs may be about to rename its file into place.
  return owner != 0 && owner != ::getpid() && ::kill(owner, 0) != 0 && errno == ESRCH;
}

void removeStaleTemporaries(int dir) {
  const int fd = ::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  DIR* listing = ::fdopendir(fd);
  if (listing == nullptr) {
    ::close(fd);
    return;
  }
  while (const dirent* entry = ::readdir(listing)) {
    if (isStaleTemporary(entry->d_name)) ::unlinkat(dir, entry->d_name, 0);
  }
  ::closedir(listing);
}

bool entryIsOfType(int dirFd, const dirent& entry, mode_t type) {
  switch (entry.d_type) {
    case DT_LNK:
    case DT_UNKNOWN: {
      struct stat st;
      return ::fstatat(dirFd, entry.d_name, &st, 0) == 0 && (st.st_mode & S_IFMT) == type;
    }
    case DT_REG:
      return type == S_IFREG;
    case DT_DIR:
      return type == S_IFDIR;
    default:
      return false;
  }
}

void listEntries(int folderFd, const std::function<void(int folderFd, const dirent&)>& visit) {
  DIR* dir = ::fdopendir(folderFd);
  if (dir == nullptr) {
    const int err = errno;
    ::close(folderFd);
    throw Error::fromErrno(err);
  }
  const DirCloser closer(dir);
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (entry == nullptr) {
      if (errno != 0) throwErrno();
      return;
    }
    visit(folderFd, *entry);
  }
}

int scriptOccupant(int dir, const std::string& name, struct stat& st) {
  if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
  if (S_ISREG(st.st_mode)) return 0;
  if (S_ISLNK(st.st_mode)) {
    struct stat target;
    if (::fstatat(dir, name.c_str(), &target, 0) != 0 || S_ISREG(target.st_mode)) return 0;
  }
  return EACCES;
}

}  // namespace clipquill::posix
