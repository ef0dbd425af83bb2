// SPDX-License-Identifier: GPL-3.0-or-later
// The folder picker without its window: the folder list's lines around one
// current folder, walking, the drives with the folder last visited on each,
// the opening on a box's folder and the new-folder sequence. The Qt dialog
// only draws these lines and hands over clicks.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window_model.h"
#include "clips/folders.h"
#include "core/paths.h"
#include "ui/platform/drives.h"

namespace clipquill {

// The caption and the "New Folder" button of each opening.
struct PickerFace {
  std::string caption;
  bool newFolderShown = false;
};
PickerFace pickerFace(FolderPickerFor which);

// The full form of a typed path: a relative one read against base, "." and
// ".." taken out, no separator at the end except at a root (fullFolderPath).
std::string pickerFullPath(std::string_view text, std::string_view base,
                           const PathSeparators& seps = kNativeSeparators);

// One line of the folder list.
struct FolderLine {
  // A folder on the way down from the drive's root, the current folder, or
  // one of its subfolders. The root line is the one of depth 0.
  enum class Kind { Path, Current, Subfolder };
  std::string text;  // bytes: the drive's folder for its root line, else the name
  std::string path;  // the folder the line opens
  int depth = 0;     // indentation steps from the root line
  Kind kind = Kind::Subfolder;

  bool operator==(const FolderLine&) const = default;
};

class FolderLister {
 public:
  // Starts with no current folder; homeFolder is the empty box's folder
  // ("/" when empty; on Windows "C:\"). Paths are read and written with
  // seps, the platform's own unless a test asks for the other's.
  FolderLister(Folders& folders, std::string homeFolder,
               const PathSeparators& seps = kNativeSeparators);

  const std::string& currentFolder() const { return current_; }
  const std::vector<FolderLine>& lines() const { return lines_; }
  // The index of the line marked current (0 before any folder is entered).
  std::size_t currentLine() const { return currentLine_; }

  // The drive list; the one holding the current folder is currentDrive().
  // The home folder's root ("/", "C:\") is always there, whatever the list
  // given, and a folder entered on no drive of the list (a share named by
  // its network path) adds its root as a drive.
  void setDrives(std::vector<Drive> drives);
  const std::vector<Drive>& drives() const { return drives_; }
  std::size_t currentDrive() const;

  // The opening: the folder that boxText names (a relative path read against
  // base, or against the folder shown when base is empty), or the home folder
  // for an empty box. The lines are read afresh even when the folder is the
  // one shown, so that folders made since appear. Raises Error, changing
  // nothing, when the folder cannot be entered.
  void openOn(std::string_view boxText, std::string_view base);

  // Sets the current folder to a typed path: when its last part holds "*" or
  // "?" or names an existing file, the folder is the part before it. An empty
  // path or the current folder (on Windows compared without regard to case)
  // changes nothing. Returns whether it moved;
  // raises Error, changing nothing, when the folder cannot be entered.
  bool setCurrentFolder(std::string_view path, std::string_view base = {});

  // A double-click or Enter on a line: its folder becomes the current one.
  // Raises Error, changing nothing, when it cannot be entered.
  void openLine(std::size_t index);

  // Choosing a drive: the folder last visited on it in this run, or its root
  // the first time or when that folder has gone. Raises Error, changing
  // nothing, when neither can be entered.
  void selectDrive(std::size_t index);

  // "New Folder" with the name typed: make the folder inside the current one
  // and enter it (or the folder of that name that already was there). A name
  // holding "*" or "?", or naming a file, makes nothing and stays. Raises
  // Error when the folder neither was nor could be made.
  void makeAndEnter(std::string_view name);

 private:
  void enter(const std::string& folder);
  std::string targetOf(std::string_view path, std::string_view base);
  void addDriveFor(std::string_view folder);
  void buildLines();

  Folders& folders_;
  const PathSeparators& seps_;
  std::string home_;
  std::vector<Drive> drives_;
  std::string current_;
  std::vector<std::string> subfolders_;  // of current_, sorted
  std::vector<FolderLine> lines_;
  std::size_t currentLine_ = 0;
  std::map<std::string, std::string> lastVisited_;  // drive root -> folder
};

}  // namespace clipquill
