// Persisted files on a POSIX file system.
//
// A write never truncates the old file: the bytes go into a temporary file in
// the same folder, which is synced, given the old file's permissions (and its
// owner, where we may), and renamed over it. A link is followed first, so it
// is the link's target that is replaced and the link itself stays.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

#include "core/error.h"
#include "persist/persist_files.h"

namespace clipquill {

namespace {

constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as for any new file
constexpr int kMaxLinks = 40;          // as the kernel's own limit on a path

std::atomic<unsigned> tempCounter{0};

void refuseNul(const std::string& path) {
  // The system call would read a shorter path than the one given.
  if (path.find('\0') != std::string::npos) throw Error::fromErrno(EINVAL);
}

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a write to path lands in: path itself, or the end of its links.
std::string followLinks(std::string path) {
  for (int hops = 0; hops < kMaxLinks; ++hops) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096), '\0');
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0) throwErrno();
    target.resize(static_cast<std::size_t>(n));
    path = target.starts_with('/') ? target : folderOf(path) + "/" + target;
  }
  throw Error::fromErrno(ELOOP);
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now, reporting what close says.
  void close() {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) throwErrno();
  }

 private:
  int fd_;
};

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

// Gathers small pieces into writes of a useful size; a large piece goes
// straight through.
class FdSink final : public PersistFiles::Sink {
 public:
  static constexpr std::size_t kChunk = 256 * 1024;

  explicit FdSink(int fd) : fd_(fd) { buffer_.reserve(kChunk); }

  void put(std::string_view bytes) override {
    if (buffer_.size() + bytes.size() > kChunk) flush();
    if (bytes.size() >= kChunk) {
      writeAll(fd_, bytes);
    } else {
      buffer_ += bytes;
    }
  }

  void flush() {
    writeAll(fd_, buffer_);
    buffer_.clear();
  }

 private:
  int fd_;
  std::string buffer_;
};

class PosixPersistFiles final : public PersistFiles {
 public:
  std::optional<std::string> read(const std::string& path) override {
    refuseNul(path);
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
      if (errno == ENOENT) return std::nullopt;
      throwErrno();
    }
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) throwErrno();
    if (S_ISDIR(st.st_mode)) throw Error::fromErrno(EISDIR);
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

  bool isFile(const std::string& path) override {
    struct stat st;
    return path.find('\0') == std::string::npos && ::stat(path.c_str(), &st) == 0 &&
           !S_ISDIR(st.st_mode);
  }

  void writeWith(const std::string& path, const std::function<void(Sink&)>& produce) override {
    refuseNul(path);
    const std::string target = followLinks(path);
    struct stat old;
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode)) throw Error::fromErrno(EISDIR);

    const std::string temp = folderOf(target) + "/.clipquill-" + std::to_string(::getpid()) + "-" +
                             std::to_string(tempCounter++) + ".tmp";
    Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode));
    if (fd.get() < 0) throwErrno();
    try {
      if (replacing) {
        // Root may give the file back to its owner; anyone else keeps it.
        [[maybe_unused]] const int owned = ::fchown(fd.get(), old.st_uid, old.st_gid);
        if (::fchmod(fd.get(), old.st_mode & 07777) != 0) throwErrno();
      }
      FdSink sink(fd.get());
      produce(sink);
      sink.flush();
      if (::fsync(fd.get()) != 0) throwErrno();
      fd.close();
      if (::rename(temp.c_str(), target.c_str()) != 0) throwErrno();
    } catch (...) {
      ::unlink(temp.c_str());
      throw;
    }
  }

  bool remove(const std::string& path) override {
    return path.find('\0') == std::string::npos && ::unlink(path.c_str()) == 0;
  }

  void makeFolder(const std::string& path) override {
    refuseNul(path);
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
  return std::make_unique<PosixPersistFiles>();
}

}  // namespace clipquill
