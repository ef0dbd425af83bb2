// SPDX-License-Identifier: GPL-3.0-or-later
// The file system as the clip list needs it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace clipquill {

enum class PathKind { Missing, File, Folder };

class ClipFolders {
 public:
  virtual ~ClipFolders() = default;
  // Calls visit once with the name of each file in folder that a clip list
  // may show: ordinary files (a link to one included), never folders, other
  // special files, or hidden files. Names are passed as bytes, in no
  // particular order. Raises Error when the folder cannot be read; visit may
  // have been called by then.
  virtual void listFiles(const std::string& folder,
                         const std::function<void(std::string_view name)>& visit) = 0;
  // What path names now, following links. Anything that cannot be looked at
  // counts as missing.
  virtual PathKind kind(const std::string& path) = 0;
  // Raises the Error that listFiles would raise for folder at its start, if
  // any, without listing it.
  virtual void checkFolder(const std::string& folder) {
    listFiles(folder, [](std::string_view) {});
  }
};

// The real file system of this platform.
std::unique_ptr<ClipFolders> makeSystemClipFolders();

}  // namespace clipquill
