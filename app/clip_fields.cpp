// SPDX-License-Identifier: GPL-3.0-or-later
// The fields with the clips and filters: each field's change handler, the
// source folder's error held while the user types, the mask, the lists'
// clicks and the folder pickers.
#include "app/clip_fields.h"

#include <algorithm>
#include <utility>

#include "app/folder_paths.h"
#include "core/paths.h"

namespace clipquill {

namespace {

std::size_t fieldIndex(Field field) {
  return static_cast<std::size_t>(field);
}

bool isContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

bool isKeystroke(std::string_view before, std::string_view after) {
  std::size_t prefix = 0;
  while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
    ++prefix;
  std::size_t suffix = 0;
  while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
         before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
    ++suffix;
  // Characters, not bytes: one typed "é" is two bytes of UTF-8.
  const std::string_view inserted = after.substr(prefix, after.size() - prefix - suffix);
  return std::count_if(inserted.begin(), inserted.end(),
                       [](char c) { return !isContinuation(c); }) <= 1;
}

ClipFields::ClipFields(ModelContext& context) : ModelPart(context), clips_(folders_) {
  for (std::string_view text : kStartupFilters)
    filters_.add(std::string(text));
}

std::string ClipFields::clipStatus() const {
  return std::to_string(clips_.count()) + (clips_.count() == 1 ? " clip, " : " clips, ") +
         std::to_string(clips_.selectedCount()) + " selected";
}

const std::string& ClipFields::fieldText(Field field) const {
  return fields_[fieldIndex(field)];
}

void ClipFields::setFieldText(Field field, std::string_view text) {
  std::string& current = fields_[fieldIndex(field)];
  if (current == text) return;
  current = text;
  user_.shown(Shown::Field, field);
  fireFieldChange(field);
}

void ClipFields::typeFieldText(Field field, std::string_view text) {
  std::string& current = fields_[fieldIndex(field)];
  if (field != Field::Source || !isKeystroke(current, text)) {
    setFieldText(field, text);
    return;
  }
  if (current == text) return;
  current = text;
  user_.shown(Shown::Field, field);
  try {
    followSource(false);
  } catch (const Error&) {
    // The list shows the clips of the folder the field names: none.
    clips_.clear();
    user_.shown(Shown::Clips);
  }
}

void ClipFields::commitSourceText() {
  if (!sourceProblem_ || sourceProblemShown_) return;
  sourceProblemShown_ = true;
  showError(*sourceProblem_);
}

void ClipFields::followSource(bool boxShown) {
  try {
    sourceChanged();
  } catch (const Error& e) {
    holdSourceProblem(e, boxShown);
    throw;
  }
  holdSourceProblem(std::nullopt, false);
}

void ClipFields::holdSourceProblem(std::optional<Error> problem, bool boxShown) {
  const bool had = sourceProblem_.has_value();
  sourceProblem_ = std::move(problem);
  sourceProblemShown_ = boxShown;
  if (had || sourceProblem_) user_.shown(Shown::SourceProblem);
}

void ClipFields::fireFieldChange(Field field) {
  switch (field) {
    case Field::Source:
      raiseChange([this] { followSource(true); });
      break;
    case Field::ClipName:
      raiseChange([this] { clipNameChanged(); });
      break;
    case Field::ScriptName:
      raiseChange([this] { scriptNameChanged(); });
      break;
    case Field::Destination:
      raiseChange([this] { destinationChanged(); });
      break;
  }
}

void ClipFields::setClipSelected(std::size_t index, bool selected) {
  clips_.setSelected(index, selected);
}

void ClipFields::clearClipSelection() {
  clips_.clearSelection();
}

void ClipFields::toggleFilter(std::size_t index) {
  filters_.toggle(index);
  user_.shown(Shown::Filters);
  event([this] { rebuildMask(); });
}

void ClipFields::toggleFilters(const std::vector<std::size_t>& indices) {
  for (const std::size_t index : indices)
    filters_.toggle(index);
  user_.shown(Shown::Filters);
  event([this] { rebuildMask(); });
}

void ClipFields::clickFilter() {
  event([this] { rebuildMask(); });
}

void ClipFields::readClips() {
  if (!clips_.readIsPending()) return;
  clips_.readPending();
  user_.shown(Shown::Clips);
}

void ClipFields::tickExtensions(const std::vector<std::string>& extensions) {
  const auto& entries = filters_.entries();
  const auto ticked = [](const FilterEntry& e) { return e.state == CheckState::Checked; };
  if (std::none_of(entries.begin(), entries.end(), ticked)) return;
  // The mask matches without regard to ASCII case, so "AVI" lists "x.avi".
  const auto same = [](std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return lower(x) == lower(y); });
  };
  bool changed = false;
  for (const std::string& extension : extensions) {
    const auto entryOf = [&](bool tickedOnly) {
      return std::find_if(entries.begin(), entries.end(), [&](const FilterEntry& e) {
        return (!tickedOnly || ticked(e)) && same(e.text, extension);
      });
    };
    if (entryOf(true) != entries.end()) continue;
    auto it = entryOf(false);
    if (it == entries.end()) {
      filters_.add(extension);
      it = entries.end() - 1;
    }
    filters_.setState(static_cast<std::size_t>(it - entries.begin()), CheckState::Checked);
    changed = true;
  }
  if (!changed) return;
  user_.shown(Shown::Filters);
  const bool wasModified = state_.modified;
  rebuildMask();
  setModified(wasModified);
}

void ClipFields::setFilters(std::vector<FilterEntry> entries) {
  filters_ = FilterList(std::move(entries));
  user_.shown(Shown::Filters);
}

void ClipFields::sourceChanged() {
  const std::string& text = fieldText(Field::Source);
  if (aboutSubject([&] { return text; }, [&] { return followSourceText(clips_, text); })) {
    user_.shown(Shown::Clips);
    rebuildMask();
  }
  setModified(true);
}

void ClipFields::clipNameChanged() {
  rebuildMask();
  setModified(true);
}

void ClipFields::scriptNameChanged() {
  setModified(true);
}

void ClipFields::destinationChanged() {
  setModified(true);
}

void ClipFields::rebuildMask() {
  const std::string mask = rebuildClipMask(fieldText(Field::ClipName), filters_);
  if (aboutSubject([this] { return clips_.folder(); }, [&] { return clips_.setMask(mask); }))
    user_.shown(Shown::Clips);
  setModified(true);
}

void ClipFields::toggleSelectAll() {
  clipquill::toggleSelectAll(clips_);
  user_.shown(Shown::ClipSelection);
}

void ClipFields::editFilters() {
  std::vector<std::string> lines;
  lines.reserve(filters_.count());
  for (const FilterEntry& entry : filters_.entries())
    lines.push_back(entry.text);
  const std::optional<std::vector<std::string>> edited = user_.filterEditor(lines);
  // However the editor closed, the user may have meant a change.
  setModified(true);
  if (edited) applyFilterEditor(*edited);
}

void ClipFields::applyFilterEditor(const std::vector<std::string>& lines) {
  std::vector<FilterEntry> entries;
  for (const std::string& line : lines) {
    if (!line.empty()) entries.push_back({line, CheckState::Unchecked});
  }
  setFilters(std::move(entries));
  // The list follows what the user now sees, rather than the marks that
  // went away with the old entries.
  rebuildMask();
}

void ClipFields::pickSourceFolder() {
  // The picker opens on the field's text, so a folder error held for it is
  // the picker's to show.
  sourceProblemShown_ = true;
  pickInto(FolderPickerFor::Clips, Field::Source);
}

void ClipFields::pickDestinationFolder() {
  pickInto(FolderPickerFor::Scripts, Field::Destination);
}

void ClipFields::pickInto(FolderPickerFor which, Field field) {
  std::optional<std::string> folder =
      aboutSubject([&] { return fieldText(field); },
                   [&] { return user_.pickFolder(which, fieldText(field), clips_.folder()); });
  if (folder) setFieldText(field, *folder);
}

std::size_t ClipFields::selectDropped(const std::string& folder,
                                      const std::vector<std::string>& dropped) {
  // A folder that could not be read leaves the old list: nothing of it is
  // the user's drop.
  if (clips_.folder() != folder) return 0;
  clips_.clearSelection();
  std::size_t selected = 0;
  const std::vector<std::string> entries = clips_.entries();
  for (const std::string& name : dropped) {
    const auto it = std::find(entries.begin(), entries.end(), name);
    if (it == entries.end()) continue;
    clips_.setSelected(static_cast<std::size_t>(it - entries.begin()), true);
    ++selected;
  }
  user_.shown(Shown::ClipSelection);
  return selected;
}

}  // namespace clipquill
