// SPDX-License-Identifier: GPL-3.0-or-later
// The clip list: the files of one folder that pass a mask, sorted, with a
// selection. The window's list widget shows it; script generation takes the
// selected entries in list order.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "clips/folders.h"

namespace clipquill {

inline constexpr std::string_view kAllFilesMask = "*.*";

class ClipList {
 public:
  // No folder yet: nothing is listed until one is set. The mask starts "*.*".
  explicit ClipList(Folders& folders) : folders_(folders) {}

  const std::string& folder() const { return folder_; }
  const std::string& mask() const { return mask_; }

  std::size_t count() const { return entries_.size(); }
  const std::string& entry(std::size_t i) const { return entries_.at(i); }
  const std::vector<std::string>& entries() const { return entries_; }

  bool isSelected(std::size_t i) const { return selected_.at(i) != 0; }
  std::size_t selectedCount() const { return selectedCount_; }
  void setSelected(std::size_t i, bool selected);
  void selectAll();
  void clearSelection();
  // The selected entries in list order.
  std::vector<std::string> selectedEntries() const;

  // Moves the list to path, read against the list's folder when relative; a
  // trailing separator makes no difference. Re-reads only when the full path
  // differs from the folder in force (compared exactly). Returns whether it
  // re-read. Raises Error, changing nothing, when the folder cannot be read:
  // "File not found" for one that does not exist.
  bool setFolder(std::string_view path);
  // Empties the list while the text it was asked to follow names no folder.
  // The folder stays the base of relative paths; until the next setFolder,
  // which reads even the same folder again, setMask only keeps its mask.
  void clear();
  // Takes a new mask and re-reads, unless mask is the one in force (compared
  // with regard to case). Returns whether it re-read. Raises Error as
  // setFolder does (the folder may have vanished since), changing nothing.
  bool setMask(std::string_view mask);

  // Moves the list to a path typed into the source box. When the path's last
  // part holds "*" or "?", the folder is the part before it and the last part
  // becomes the mask, until the caller's next rebuild; otherwise the whole
  // path is the folder. Raises Error as setFolder, which refuses a path that
  // names a file, a FIFO or a device as no folder.
  void moveToTypedPath(std::string_view text);

  // The full form of path, as setFolder reads it.
  std::string fullPath(std::string_view path) const;

  // While reads are put off, setFolder and setMask only check that the folder
  // can be read (raising as they would) and leave the list empty until
  // readPending(): a run that moves the list many times before it looks at
  // it reads the folder once. The window never puts reads off, so that each
  // change shows its own list and its own error.
  void putOffReads(bool putOff) { putOff_ = putOff; }
  // Whether a put-off read is waiting.
  bool readIsPending() const { return pending_; }
  // Does the read that was put off, if any. Raises Error as setFolder does,
  // leaving the list empty and the read pending.
  void readPending();

 private:
  std::vector<std::string> read(const std::string& folder, std::string_view mask) const;
  void take(std::vector<std::string> entries);

  Folders& folders_;
  std::string folder_;
  std::string mask_{kAllFilesMask};
  std::vector<std::string> entries_;
  std::vector<char> selected_;  // one flag per entry
  std::size_t selectedCount_ = 0;
  bool putOff_ = false;
  bool pending_ = false;
  bool cleared_ = false;
};

// "De/Select All": clears the selection when every entry is selected (an
// empty list counts as such), otherwise selects every entry.
void toggleSelectAll(ClipList& list);

// The clip list's part of a change of the source box. A text of fewer than two
// characters names no folder and leaves the list alone (returns false);
// otherwise the list moves to it (returns true) and the caller rebuilds the
// mask. Raises Error as ClipList::setFolder.
bool followSourceText(ClipList& list, std::string_view text);

}  // namespace clipquill
