// SPDX-License-Identifier: GPL-3.0-or-later
// The file rules every POSIX file module of the program shares: scripts in
// core, templates, settings files and flag values in persist. Each rule is
// written here once, so that the modules cannot drift apart and a port to
// another system has one place to mirror.
//
//  - Only a regular file (or a link to one) is ever opened for reading, and
//    never in a way that could block: a FIFO, a device or a folder reads as
//    no file at all.
//  - New bytes go into an unnamed file in the destination's folder and get a
//    name only once complete, so a killed process leaves nothing half-written
//    under a real name and no temporary behind. Where a temporary name is
//    used (to rename over an old file), it is one that a later writer in
//    that folder recognises and removes once its process has died.
//  - A file the user may not write is never replaced behind their back.
//  - A file-size limit makes a write fail with its error instead of killing
//    the process.
#pragma once

#include <dirent.h>
#include <sys/stat.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace clipquill::posix {

// An owned descriptor, closed when it goes.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(other.release()) {}
  Fd& operator=(Fd&& other) noexcept;
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd();

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  // Closes now; raises Error with what close() reports.
  void close();

 private:
  int fd_ = -1;
};

// A NUL inside a path (a field can hold one) would cut it short at the system
// call and reach some other file: such a path is refused as invalid.
void refuseNul(const std::string& path);

// The folder of a path as the system takes it ("." for a bare name, "/" for
// the root) and the name after the last "/".
std::string folderOf(const std::string& path);
// The same, as a view of path (or of a constant).
std::string_view folderViewOf(std::string_view path);
std::string nameOf(const std::string& path);

// Opens a folder to work in by names relative to it. Raises Error.
Fd openFolder(const std::string& folder);

void writeAll(int fd, std::string_view bytes);

// An open folder listing, closed when it goes.
class DirCloser {
 public:
  explicit DirCloser(DIR* dir) : dir_(dir) {}
  DirCloser(const DirCloser&) = delete;
  DirCloser& operator=(const DirCloser&) = delete;
  ~DirCloser() { ::closedir(dir_); }

 private:
  DIR* dir_;
};

// Whether a folder entry is of type (S_IFREG, S_IFDIR), a link counting as
// what it leads to. Only links, and file systems that give no type, cost a
// stat.
bool entryIsOfType(int dirFd, const dirent& entry, mode_t type);

// Calls visit with each entry of the folder open as folderFd, which it takes
// over and closes. Raises Error when the folder cannot be read; visit may
// have been called by then.
void listEntries(int folderFd, const std::function<void(int folderFd, const dirent&)>& visit);

// Lets a file-size limit fail the write (EFBIG) rather than end the process.
// Leaves a handler someone else installed alone.
void ignoreFileSizeSignal();

// Whether path is a regular file, or a link to one.
bool isRegularFile(const std::string& path);

// The bytes of the regular file at path; nothing when path names no regular
// file (missing, a folder, a FIFO, a device, a path through a file). Raises
// Error when there is one that cannot be read.
std::optional<std::string> readRegularFile(const std::string& path);

// Whether the entry st (found as name in folder dir) may be written by this
// process; 0 when it may, else the errno a write would have met.
int writeDenied(int dir, const char* name, const struct stat& st);

// A file being written: unnamed until given a name, so that it vanishes with
// the process if it never gets one. On a file system that cannot make unnamed
// files it is a named temporary, removed when abandoned.
class NewFile {
 public:
  NewFile() = default;
  NewFile(NewFile&& other) noexcept;
  NewFile& operator=(NewFile&& other) noexcept;
  ~NewFile();

  // A new unnamed file in the folder dir. Raises Error.
  static NewFile createIn(int dir);
  // A new file in dir under a temporary name of this program's own form:
  // cheaper than an unnamed one to put over an old file (no link first), at
  // the price of a name that a kill leaves for removeStaleTemporaries().
  static NewFile createNamedIn(int dir);

  int fd() const { return fd_.get(); }
  // Whether it has a (temporary) name, by which it can be put in place with
  // its descriptor closed.
  bool named() const { return !tempName_.empty(); }
  // Hands over the descriptor; the name stays the file's.
  Fd releaseFd() { return std::move(fd_); }
  // Gives the file the name in dir; EEXIST when something is there already,
  // 0 on success, the errno otherwise. Nothing is ever replaced.
  int linkAsNew(int dir, const std::string& name);
  // Gives the file the name in dir, replacing what is there in one step.
  // Raises Error.
  void linkOver(int dir, const std::string& name);
  // Closes the descriptor; raises Error with what close() reports. The name
  // given stays.
  void close() { fd_.close(); }

 private:
  void abandon() noexcept;

  Fd fd_;
  int dir_ = -1;          // the named temporary's folder, while it has one
  std::string tempName_;  // "" while unnamed
};

// Whether name is a temporary of this program's form whose process has
// ended: left by a kill, and safe to remove.
bool isStaleTemporary(std::string_view name);

// Removes the stale temporaries in dir.
void removeStaleTemporaries(int dir);

// What stands at name in dir where a script is to go: nothing (ENOENT), a
// file to ask about before replacing it (0; a link to a file, or a dangling
// link, counts as one), or the errno of what refuses a script there (EACCES
// for a folder, a FIFO, a device or a link to one). st describes what the
// name itself is. The writer and the dry run ask the same question here.
int scriptOccupant(int dir, const std::string& name, struct stat& st);

}  // namespace clipquill::posix
