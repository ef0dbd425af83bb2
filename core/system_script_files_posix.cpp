// Scripts on a POSIX file system.
//
// A new script is created in place with O_EXCL, which is also the existence
// test: a file already there is never clobbered without the user's consent.
// A new script is unlinked again if writing it fails. A replacement is
// written to a temporary file beside the old script, synced, and renamed over
// it: the old script stays whole until the new one is complete. The rename replaces a
// symbolic link itself and gives the file fresh permissions, exactly as
// deleting the old file and writing a new one would.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

#include "core/error.h"
#include "core/script_files.h"

namespace clipquill {

namespace {

constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as for any new file

// Unique within this process; the pid makes it unique between processes.
std::atomic<unsigned> tempCounter{0};

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

class PosixScriptWriter final : public ScriptWriter {
 public:
  PosixScriptWriter(int fd, std::string openedPath, std::string finalPath)
      : fd_(fd), openedPath_(std::move(openedPath)), finalPath_(std::move(finalPath)) {}

  PosixScriptWriter(const PosixScriptWriter&) = delete;
  PosixScriptWriter& operator=(const PosixScriptWriter&) = delete;

  ~PosixScriptWriter() override {
    if (committed_) return;
    if (fd_ >= 0) ::close(fd_);
    ::unlink(openedPath_.c_str());
  }

  void write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
      if (n < 0) {
        if (errno == EINTR) continue;
        throwErrno();
      }
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
  }

  void commit() override {
    const bool replacing = openedPath_ != finalPath_;
    // Only a replacement is synced: without it a crash right after the rename
    // could leave an empty file where the user's old script was.
    if (replacing && ::fsync(fd_) != 0) throwErrno();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) throwErrno();
    if (replacing && ::rename(openedPath_.c_str(), finalPath_.c_str()) != 0) throwErrno();
    committed_ = true;
  }

 private:
  int fd_;
  std::string openedPath_;  // where the bytes go: the script itself, or its temporary
  std::string finalPath_;
  bool committed_ = false;
};

// A NUL inside a name (a field can hold one) would cut the path short at the
// system call and write some other file; such a name is refused instead.
void refuseEmbeddedNul(const std::string& path) {
  if (path.find('\0') != std::string::npos) throw Error::fromErrno(EINVAL);
}

int openExclusive(const std::string& path) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

class PosixScriptFiles final : public ScriptFiles {
 public:
  std::unique_ptr<ScriptWriter> createNew(const std::string& path) override {
    refuseEmbeddedNul(path);
    const int fd = openExclusive(path);
    if (fd >= 0) return std::make_unique<PosixScriptWriter>(fd, path, path);
    const int err = errno;
    struct stat st;
    if (err == EEXIST && ::stat(path.c_str(), &st) == 0) {
      // A folder of that name refuses the script as on any system; a file is
      // the caller's to ask about.
      if (S_ISDIR(st.st_mode)) throw Error::fromErrno(EISDIR);
      return nullptr;
    }
    // Includes EEXIST for a dangling symbolic link: no file to replace, and
    // writing through the link would create one somewhere else.
    throw Error::fromErrno(err);
  }

  std::unique_ptr<ScriptWriter> replace(const std::string& path) override {
    refuseEmbeddedNul(path);
    // A short name of our own, so that a script name close to the length
    // limit still leaves room for its temporary.
    const std::string folder = folderOf(path);
    for (int attempt = 0;; ++attempt) {
      std::string temp = folder + ".clipquill-" + std::to_string(::getpid()) + "-" +
                         std::to_string(tempCounter.fetch_add(1)) + ".tmp";
      const int fd = openExclusive(temp);
      if (fd >= 0) return std::make_unique<PosixScriptWriter>(fd, std::move(temp), path);
      if (errno != EEXIST || attempt >= 100) throwErrno();
    }
  }
};

}  // namespace

std::unique_ptr<ScriptFiles> makeSystemScriptFiles() {
  return std::make_unique<PosixScriptFiles>();
}

}  // namespace clipquill
