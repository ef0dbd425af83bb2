// SPDX-License-Identifier: GPL-3.0-or-later
// The file system as templates, settings files and the option flags store
// need it. The window, the command line and the tests each supply one.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clipquill {

class PersistFiles {
 public:
  virtual ~PersistFiles() = default;

  // The whole file, or nothing when there is no regular file at path: a
  // folder, a FIFO, a device or a path through a file reads as no file, and
  // nothing is opened that could block. Raises Error when there is a file
  // that cannot be read.
  virtual std::optional<std::string> read(const std::string& path) = 0;

  // Whether path names a regular file (a link is followed).
  virtual bool isFile(const std::string& path) = 0;
  // Whether path names a folder (a link is followed).
  virtual bool isFolder(const std::string& path) = 0;

  // Where a write's bytes go, piece by piece.
  class Sink {
   public:
    virtual ~Sink() = default;
    virtual void put(std::string_view bytes) = 0;
  };

  // Puts the bytes that produce gives its sink in the file at path, creating
  // it if need be. No file is ever lost to a failed write or a kill: the
  // bytes go into an unnamed file beside it, which is synced and then put in
  // place in one step. A replaced file keeps its permissions; a link is
  // followed, so its target is replaced and the link stays. A file the user
  // may not write, or anything but a file, is refused ("File access
  // denied"). Where the folder takes no new file but the file may be
  // written, it is written in place. On failure the old file is as it was
  // (but for a write in place), nothing else is left behind, and Error is
  // raised. The bytes need never be in memory all at once, which matters for
  // large templates.
  virtual void writeWith(const std::string& path,
                         const std::function<void(Sink& sink)>& produce) = 0;
  void write(const std::string& path, std::string_view bytes) {
    writeWith(path, [bytes](Sink& sink) { sink.put(bytes); });
  }

  // Deletes the file at path; false when it could not.
  virtual bool remove(const std::string& path) = 0;

  // Creates the folder at path unless it is there already; its parent must
  // exist. Raises Error when it cannot, also when path names a file.
  virtual void makeFolder(const std::string& path) = 0;

  // Whether new files may be made in the folder at path, by this process.
  virtual bool canWrite(const std::string& path) = 0;

  // The names in the folder at path (files and folders, hidden ones
  // included), in no particular order; empty when it cannot be read.
  virtual std::vector<std::string> names(const std::string& path) = 0;
};

// The real file system of this platform.
std::unique_ptr<PersistFiles> makeSystemPersistFiles();

}  // namespace clipquill
