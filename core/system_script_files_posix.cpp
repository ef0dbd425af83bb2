// SPDX-License-Identifier: GPL-3.0-or-later
// Scripts on a POSIX file system, by the shared file rules (core/posix_file.h).
//
// No script is ever written under its own name, so a kill never leaves one
// cut short there. A new script is written unnamed and linked into place once
// complete, which also refuses to clobber a file that appeared meanwhile. A
// replacement is written under a temporary name of the program's own form
// (renamed over the old script, it costs one step less than an unnamed file);
// one that a kill leaves is removed by the next run in that folder. A
// replacement must not land before its bytes are on disk, or a crash could
// leave an empty file where the user's old script was; rather than sync each
// one, replacements are held back (with every script after them, to keep the
// order) and one sync of the file system serves them all before they are
// renamed into place, in order. The rename replaces a symbolic link itself and
// gives the file fresh permissions, as deleting the old file and writing a new
// one would.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <string>
#include <unordered_set>
#include <utility>

#include "core/error.h"
#include "core/posix_file.h"
#include "core/script_files.h"

namespace clipquill {

namespace {

using posix::Fd;
using posix::NewFile;

// A script held back under a temporary name needs no descriptor: it is closed
// at its commit, as soon as its bytes are written. One that has no name yet
// keeps its descriptor open: at most half of those this process may have.
constexpr std::size_t kMaxHeld = 4096;
// However many scripts one sync serves, the list of them stays small.
constexpr std::size_t kMaxHeldScripts = 65536;

// A run that makes more scripts than this in one folder reads the folder's
// names once instead of looking each script's name up on its own; a run of a
// few scripts in a large folder does not pay for the listing. Nor does a run
// whose names are mostly there already (scripts made again): each of those
// is looked at all the same, to ask about it, so the listing would only add
// to the cost.
constexpr std::size_t kListAfter = 32;

std::size_t heldLimit() {
  struct rlimit limit;
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kMaxHeld;
  return std::clamp<std::size_t>(static_cast<std::size_t>(limit.rlim_cur / 2), 1, kMaxHeld);
}

class PosixScriptFiles final : public ScriptFiles {
 public:
  std::unique_ptr<ScriptWriter> createNew(const std::string& path) override;
  std::unique_ptr<ScriptWriter> replace(const std::string& path) override;

  void settle() override {
    // The folder is let go of even when a script fails to land.
    struct Release {
      PosixScriptFiles& self;
      ~Release() {
        self.dir_ = Fd();
        self.folder_.clear();
      }
    } release{*this};
    forgetNames();
    askedPath_.clear();
    landHeld();
  }

  // A written script, to land now or after the scripts held before it.
  // occupied: a replacement of something createNew would find (and so ask
  // about) while it is held.
  void commit(NewFile file, std::string path, bool replacing, bool occupied,
              ScriptWriter::Landed landed) {
    std::string name = posix::nameOf(path);
    if (held_.empty() && !replacing) {
      const int err = file.linkAsNew(dir_.get(), name);
      if (err == 0) {
        file.close();
        if (listed_) names_.insert(std::move(name));
        landed();
        return;
      }
      if (err != EEXIST) throw Error::fromErrno(err);
      // Taken since createNew looked: with a yes, it is replaced, after the
      // sync that every replacement waits for.
      takeOver(path, name);
      replacing = true;
    }
    // Only what createNew would not find on its own is noted: a run that
    // replaces every script pays for no set of names.
    if (!occupied) heldNames_.insert(name);
    if (file.named()) {
      // Closed now, before it can replace anything, so that what close()
      // reports drops it and keeps the old script. One stays open for the
      // sync, which needs a descriptor on the file system.
      if (syncFd_.valid()) {
        file.close();
      } else {
        syncFd_ = file.releaseFd();
      }
    } else {
      ++heldOpen_;
    }
    held_.push_back(
        {std::move(file), std::move(path), std::move(name), replacing, std::move(landed)});
    if (heldOpen_ >= limit_ || held_.size() >= kMaxHeldScripts) landHeld();
  }

 private:
  struct Held {
    NewFile file;
    std::string path;
    std::string name;
    bool replacing;
    ScriptWriter::Landed landed;
  };

  // The folder of path, held open for the run so that each script costs one
  // lookup of its own name only.
  int folderFor(const std::string& path) {
    const std::string_view folder = posix::folderViewOf(path);
    if (dir_.valid() && folder == folder_) return dir_.get();
    landHeld();  // every script held back lies in the folder held open
    dir_ = posix::openFolder(std::string(folder));
    folder_ = folder;
    swept_ = false;
    forgetNames();
    return dir_.get();
  }

  // Whether something may stand at name in the folder held open. Once the
  // folder is listed, a name it does not hold is free: should something
  // appear there after all, the link that names the script refuses it.
  bool mayBeThere(const std::string& name) {
    if (!listed_ && !listTried_ && ++lookups_ > kListAfter && 2 * found_ < lookups_) listNames();
    return !listed_ || names_.contains(name);
  }

  void listNames() {
    listTried_ = true;  // a folder that cannot be listed is not tried again
    const int fd = ::openat(dir_.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    DIR* listing = ::fdopendir(fd);
    if (listing == nullptr) {
      ::close(fd);
      return;
    }
    errno = 0;
    while (const dirent* entry = ::readdir(listing)) {
      // What a killed run left is cleared on the way.
      if (posix::isStaleTemporary(entry->d_name)) {
        ::unlinkat(dir_.get(), entry->d_name, 0);
      } else {
        names_.emplace(entry->d_name);
      }
    }
    listed_ = errno == 0;
    ::closedir(listing);
    if (listed_) {
      swept_ = true;
    } else {
      names_.clear();
    }
  }

  // Something took name in the folder held open after createNew found it
  // free: the question, then the checks replace() makes. Raises
  // ScriptDeclined on a no, Error when the file may not be replaced.
  void takeOver(const std::string& path, const std::string& name) {
    if (!askTaken_ || !askTaken_(path)) throw ScriptDeclined{};
    struct stat st;
    const int err = posix::scriptOccupant(dir_.get(), name, st);
    if (err == ENOENT) return;  // gone again: the script simply lands
    if (err != 0) throw Error::fromErrno(err);
    if (S_ISREG(st.st_mode)) {
      if (const int denied = posix::writeDenied(dir_.get(), name.c_str(), st)) {
        throw Error::fromErrno(denied);
      }
    }
  }

  void forgetNames() {
    names_.clear();
    listed_ = false;
    listTried_ = false;
    lookups_ = 0;
    found_ = 0;
  }

  NewFile newFile(int dir, bool replacing) {
    const auto create = [&] {
      if (!replacing) return NewFile::createIn(dir);
      if (!swept_) {
        posix::removeStaleTemporaries(dir);
        swept_ = true;
      }
      return NewFile::createNamedIn(dir);
    };
    try {
      return create();
    } catch (const Error& e) {
      if (held_.empty() || (e.systemError() != EMFILE && e.systemError() != ENFILE)) throw;
    }
    landHeld();  // the held scripts' descriptors are what ran out
    return create();
  }

  void landHeld() {
    if (held_.empty()) return;
    std::deque<Held> held = std::exchange(held_, {});
    heldNames_.clear();
    heldOpen_ = 0;
    Fd syncFd = std::move(syncFd_);
    // Whatever fails from here drops the rest unnamed: old scripts stay.
    int fs = syncFd.get();
    for (auto it = held.begin(); fs < 0 && it != held.end(); ++it)
      fs = it->file.fd();
    if (::syncfs(fs) != 0) throwErrno();
    if (syncFd.valid()) syncFd.close();
    for (Held& script : held) {
      if (script.replacing) {
        script.file.linkOver(dir_.get(), script.name);
      } else if (const int err = script.file.linkAsNew(dir_.get(), script.name)) {
        if (err != EEXIST) throw Error::fromErrno(err);
        takeOver(script.path, script.name);
        script.file.linkOver(dir_.get(), script.name);  // synced above
      }
      if (script.file.fd() >= 0) script.file.close();
      if (listed_) names_.insert(script.name);
      script.landed();
    }
  }

  Fd dir_;
  std::string folder_;
  bool swept_ = false;  // stale temporaries removed from the folder held open
  std::deque<Held> held_;
  std::size_t heldOpen_ = 0;  // held scripts that keep their descriptor
  Fd syncFd_;                 // a held script's descriptor, for the sync
  // The names of the held scripts that createNew would not find on the disk.
  std::unordered_set<std::string> heldNames_;
  const std::size_t limit_ = heldLimit();
  // The file createNew last found in the way, as it found it: the replace
  // that follows the question needs no second look.
  std::string askedPath_;
  struct stat askedStat_ {};
  std::unordered_set<std::string> names_;  // the folder's names, once listed
  bool listed_ = false;
  bool listTried_ = false;
  std::size_t lookups_ = 0;
  std::size_t found_ = 0;  // of the lookups, those that found something
};

class PosixScriptWriter final : public ScriptWriter {
 public:
  PosixScriptWriter(PosixScriptFiles& owner, NewFile file, std::string path, bool replacing,
                    bool occupied)
      : owner_(owner),
        file_(std::move(file)),
        path_(std::move(path)),
        replacing_(replacing),
        occupied_(occupied) {}
  // Writes over the file itself, in place.
  PosixScriptWriter(PosixScriptFiles& owner, Fd inPlace)
      : owner_(owner), inPlace_(std::move(inPlace)) {}

  void write(std::string_view bytes) override {
    posix::writeAll(inPlace_.valid() ? inPlace_.get() : file_.fd(), bytes);
  }

  void commit(Landed landed) override {
    if (inPlace_.valid()) {
      inPlace_.close();
      landed();
      return;
    }
    owner_.commit(std::move(file_), std::move(path_), replacing_, occupied_, std::move(landed));
  }

 private:
  PosixScriptFiles& owner_;
  NewFile file_;
  Fd inPlace_;
  std::string path_;
  bool replacing_ = false;
  bool occupied_ = false;
};

std::unique_ptr<ScriptWriter> PosixScriptFiles::createNew(const std::string& path) {
  posix::refuseNul(path);
  const int dir = folderFor(path);
  const std::string name = posix::nameOf(path);
  if (!heldNames_.empty() && heldNames_.contains(name)) return nullptr;
  if (mayBeThere(name)) {
    const int err = posix::scriptOccupant(dir, name, askedStat_);
    if (err != ENOENT) ++found_;
    if (err == 0) {
      askedPath_ = path;
      return nullptr;
    }
    if (err != ENOENT) throw Error::fromErrno(err);
  }
  return std::make_unique<PosixScriptWriter>(*this, newFile(dir, false), path, false, false);
}

std::unique_ptr<ScriptWriter> PosixScriptFiles::replace(const std::string& path) {
  posix::refuseNul(path);
  const int dir = folderFor(path);
  const std::string name = posix::nameOf(path);
  struct stat st = askedStat_;
  const int err = path == askedPath_ ? 0 : posix::scriptOccupant(dir, name, st);
  askedPath_.clear();
  if (err != 0 && err != ENOENT) throw Error::fromErrno(err);
  const bool file = err == 0 && S_ISREG(st.st_mode);
  // A file the user may not write is not replaced behind their back; a link
  // is replaced itself, whatever its target allows.
  if (file) {
    if (const int denied = posix::writeDenied(dir, name.c_str(), st)) {
      throw Error::fromErrno(denied);
    }
  }
  try {
    return std::make_unique<PosixScriptWriter>(*this, newFile(dir, true), path, true, err == 0);
  } catch (const Error& e) {
    if (!file || (e.systemError() != EACCES && e.systemError() != EPERM)) throw;
  }
  // The folder takes no new file, but the file may be written: in place.
  landHeld();
  Fd fd(::openat(dir, name.c_str(), O_WRONLY | O_TRUNC | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd.valid()) throwErrno();
  return std::make_unique<PosixScriptWriter>(*this, std::move(fd));
}

}  // namespace

std::unique_ptr<ScriptFiles> makeSystemScriptFiles() {
  posix::ignoreFileSizeSignal();
  return std::make_unique<PosixScriptFiles>();
}

}  // namespace clipquill
