// SPDX-License-Identifier: GPL-3.0-or-later
// The extension filter list and the file mask built from it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace clipquill {

enum class CheckState { Unchecked, Checked };

struct FilterEntry {
  std::string text;
  CheckState state = CheckState::Unchecked;

  bool operator==(const FilterEntry&) const = default;
};

// Entries in the order stored, never sorted.
class FilterList {
 public:
  FilterList() = default;
  explicit FilterList(std::vector<FilterEntry> entries) : entries_(std::move(entries)) {}

  std::size_t count() const { return entries_.size(); }
  const std::string& text(std::size_t i) const { return entries_.at(i).text; }
  CheckState state(std::size_t i) const { return entries_.at(i).state; }
  void setState(std::size_t i, CheckState state) { entries_.at(i).state = state; }
  // The press in the check box column, or the space bar.
  void toggle(std::size_t i);
  void clear() { entries_.clear(); }
  // A new entry goes at the end, unchecked.
  void add(std::string text) { entries_.push_back({std::move(text), CheckState::Unchecked}); }

  const std::vector<FilterEntry>& entries() const { return entries_; }

 private:
  std::vector<FilterEntry> entries_;
};

// The clip list's mask for a name prefix and a filter list, the rebuild behind
// a click on the filter list and behind every change of the source and prefix
// boxes: prefix + "*." + entry for each checked entry, joined by ";"; with no
// entry checked, prefix + "*.*". The prefix is used exactly as typed, wild
// cards included.
std::string rebuildClipMask(std::string_view prefix, const FilterList& filters);

}  // namespace clipquill
