// SPDX-License-Identifier: GPL-3.0-or-later
// The file system as the clip list and the folder picker need it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace clipquill {

enum class PathKind { Missing, File, Folder };

class Folders {
 public:
  virtual ~Folders() = default;
  // Calls visit once with the name of each file in folder that a clip list
  // may show: ordinary files (a link to one included), never folders, other
  // special files, or hidden files. Names are passed as bytes, in no
  // particular order. Raises Error when the folder cannot be read; visit may
  // have been called by then.
  virtual void listFiles(const std::string& folder,
                         const std::function<void(std::string_view name)>& visit) = 0;
  // Calls visit with the name of each folder in folder (a link to one
  // included), as bytes, in no particular order; names beginning with "."
  // may be passed too (on Windows, folders marked hidden or system are not).
  // Raises Error when folder cannot be read.
  virtual void listSubfolders(const std::string& folder,
                              const std::function<void(std::string_view name)>& visit) = 0;
  // What path names now, following links. Anything that cannot be looked at
  // counts as missing.
  virtual PathKind kind(const std::string& path) = 0;
  // Makes the folder; the errno of a failure, 0 on success.
  virtual int makeFolder(const std::string& path) = 0;
  // Raises the Error that listFiles would raise for folder at its start, if
  // any, without listing it.
  virtual void checkFolder(const std::string& folder) {
    listFiles(folder, [](std::string_view) {});
  }
};

// The real file system of this platform.
std::unique_ptr<Folders> makeSystemFolders();

}  // namespace clipquill
