// SPDX-License-Identifier: GPL-3.0-or-later
#include "clips/clip_list.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "clips/natural_order.h"
#include "clips/wildcard.h"
#include "core/paths.h"
#include "core/utf8_path.h"

namespace clipquill {

namespace fs = std::filesystem;

void ClipList::setSelected(std::size_t i, bool selected) {
  char& flag = selected_.at(i);
  if ((flag != 0) == selected) return;
  flag = selected ? 1 : 0;
  selected ? ++selectedCount_ : --selectedCount_;
}

void ClipList::selectAll() {
  std::fill(selected_.begin(), selected_.end(), 1);
  selectedCount_ = selected_.size();
}

void ClipList::clearSelection() {
  std::fill(selected_.begin(), selected_.end(), 0);
  selectedCount_ = 0;
}

std::vector<std::string> ClipList::selectedEntries() const {
  std::vector<std::string> result;
  result.reserve(selectedCount_);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (selected_[i] != 0) result.push_back(entries_[i]);
  }
  return result;
}

std::string ClipList::fullPath(std::string_view path) const {
  std::string joined;
  if (!folder_.empty() && path.empty()) {
    joined = folder_;
  } else if (!folder_.empty()) {
    // By our own rule: std::filesystem on MinGW knows no share root
    // ("\\server\share"), and read one as a folder of the current drive.
    joined = fullPathAgainst(folder_, path);
  } else {
    // Before the list has a folder, a relative path is read as the system
    // reads it; should even that fail, the listing reports the path as typed.
    joined = std::string(path);
    std::error_code ec;
    const fs::path typed = pathFromUtf8(path);
    if (fs::path absolute = fs::absolute(typed, ec); !ec && typed.is_relative())
      joined = utf8Of(absolute);
  }
  // A share's root is kept as it is: normalised, its "\\" would become one.
  const std::size_t share = shareRootLength(joined);
  const fs::path full = pathFromUtf8(std::string_view(joined).substr(share)).lexically_normal();
  // "clips/" and "clips" are one folder; a root keeps its separator.
  std::string text = joined.substr(0, share) + utf8Of(full);
  const std::size_t rootLength = share + utf8Of(full.root_path()).size();
  const auto preferred = static_cast<char>(fs::path::preferred_separator);
  while (text.size() > rootLength && (text.back() == '/' || text.back() == preferred)) {
    text.pop_back();
  }
  return text;
}

bool ClipList::setFolder(std::string_view path) {
  std::string full = fullPath(path);
  if (full == folder_ && !cleared_) return false;
  if (putOff_) {
    folders_.checkFolder(full);
    take({});
    pending_ = true;
  } else {
    take(read(full, mask_));
  }
  folder_ = std::move(full);
  cleared_ = false;
  return true;
}

void ClipList::clear() {
  take({});
  cleared_ = true;
}

bool ClipList::setMask(std::string_view mask) {
  if (mask == mask_) return false;
  // Without a folder there is nothing to list yet.
  if (folder_.empty() || cleared_) {
    mask_ = mask;
    return false;
  }
  if (putOff_) {
    take({});
    pending_ = true;
  } else {
    take(read(folder_, mask));
  }
  mask_ = mask;
  return true;
}

void ClipList::readPending() {
  if (!pending_) return;
  take(read(folder_, mask_));
  pending_ = false;
}

void ClipList::moveToTypedPath(std::string_view text) {
  const fs::path full = pathFromUtf8(fullPath(text));
  const std::string last = utf8Of(full.filename());
  if (last.find_first_of("*?") != std::string::npos) {
    setFolder(utf8Of(full.parent_path()));
    setMask(last);
    return;
  }
  // Anything else must be a folder. A file, a FIFO or a device is refused
  // as the folder it is not ("Invalid filename"): the box's text is where
  // the scripts look for their clips, and the path of a file as their
  // folder would name clips that are not there.
  setFolder(utf8Of(full));
}

std::vector<std::string> ClipList::read(const std::string& folder, std::string_view mask) const {
  // One listing, every name tested against all patterns: the same entries as
  // listing the folder once per pattern, at a fraction of the cost. Names and
  // their sort keys are gathered back to back, and only small records that
  // point into them are sorted; the strings are made once, in their order.
  struct Found {
    std::size_t name;  // offsets into the buffers below
    std::size_t key;
    std::uint32_t nameLength;
    std::uint32_t keyLength;
  };
  // Made at the first name: a mask of many patterns costs an empty folder nothing.
  std::optional<ClipMaskMatcher> matcher;
  std::string names;
  std::string keys;
  std::vector<Found> found;
  folders_.listFiles(folder, [&](std::string_view name) {
    if (!matcher) matcher.emplace(mask);
    const std::size_t copies = matcher->matchCount(name);
    if (copies == 0) return;
    const std::size_t nameAt = names.size();
    const std::size_t keyAt = keys.size();
    names.append(name);
    appendNaturalKey(keys, name);
    found.insert(found.end(), copies,
                 {nameAt, keyAt, static_cast<std::uint32_t>(name.size()),
                  static_cast<std::uint32_t>(keys.size() - keyAt)});
  });

  const auto view = [](const std::string& buffer, std::size_t at, std::uint32_t length) {
    return std::string_view(buffer).substr(at, length);
  };
  std::sort(found.begin(), found.end(), [&](const Found& a, const Found& b) {
    const int byKey = view(keys, a.key, a.keyLength).compare(view(keys, b.key, b.keyLength));
    if (byKey != 0) return byKey < 0;
    return naturalLess(view(names, a.name, a.nameLength), view(names, b.name, b.nameLength));
  });
  // The keys have done their work: their memory goes before the entries'.
  std::string().swap(keys);
  std::vector<std::string> entries;
  entries.reserve(found.size());
  for (const Found& f : found)
    entries.emplace_back(view(names, f.name, f.nameLength));
  return entries;
}

void ClipList::take(std::vector<std::string> entries) {
  entries_ = std::move(entries);
  selected_.assign(entries_.size(), 0);
  selectedCount_ = 0;
}

void toggleSelectAll(ClipList& list) {
  if (list.selectedCount() == list.count()) {
    list.clearSelection();
  } else {
    list.selectAll();
  }
}

bool followSourceText(ClipList& list, std::string_view text) {
  // Characters, not bytes: a UTF-8 sequence counts once.
  const auto characters = std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  });
  if (characters < 2) return false;
  list.moveToTypedPath(text);
  return true;
}

}  // namespace clipquill
