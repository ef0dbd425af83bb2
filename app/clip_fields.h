// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's four fields with what they drive: the clip list read
// from the source folder through the mask, the filter list the mask is built
// from, the selection, and "Join Sources". A part of MainWindowModel.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/model_context.h"
#include "clips/clip_list.h"
#include "clips/filter_list.h"

namespace clipquill {

// The filter list's entries at creation. Without a leading period, so that
// checking one lists those clips ("avs" gives "*.avs").
inline const std::array<std::string_view, 4> kStartupFilters{"avs", "mpg", "mpeg", "avi"};

// Whether a field's text went from before to after as one key does it: at
// most one character put in, anything taken out. More is a paste or a drop.
bool isKeystroke(std::string_view before, std::string_view after);

class ClipFields : ModelPart {
 public:
  explicit ClipFields(ModelContext& context);

  const std::string& fieldText(Field field) const;
  const FilterList& filters() const { return filters_; }
  const ClipList& clips() const { return clips_; }
  bool join() const { return join_; }
  // The status bar's text of the clip list's counts.
  std::string clipStatus() const;

  // The text of a field, typed by the user or put there by the program: when
  // it differs from the text the field holds (compared exactly, so a change
  // of case is a change) the field's change handler runs.
  void setFieldText(Field field, std::string_view text);
  // A field's text as the user edits it in the window. In "Location of
  // sources" a keystroke whose text names no folder takes no keyboard: the
  // clip list empties and the error is held (sourceProblem) until the user
  // commits the text: commitSourceText, or "Clips Folder". Any other edit
  // runs as setFieldText, whose error box comes at once.
  void typeFieldText(Field field, std::string_view text);
  // The source field was left with its text: a held folder error is shown.
  void commitSourceText();
  // The error of the source field's text while it names no folder.
  const std::optional<Error>& sourceProblem() const { return sourceProblem_; }
  // "Join Sources"; a plain check box with no handler of its own.
  void setJoin(bool join) { join_ = join; }
  // Selection in the clip list: a widget matter that the model only records.
  void setClipSelected(std::size_t index, bool selected);
  void clearClipSelection();
  // A press in the filter list's check column, or the space bar on an entry:
  // the entry toggles and the mask follows at once.
  void toggleFilter(std::size_t index);
  // Presses on several entries in a row, as a script makes them: the same
  // entries and mask as pressing each in turn, with the mask rebuilt once.
  void toggleFilters(const std::vector<std::size_t>& indices);
  // A click on a filter entry's text, or the keyboard moving the highlight.
  void clickFilter();
  // For the command line, which sets many fields before it looks at the clip
  // list: from now on a change of folder or mask only checks the folder, and
  // the list is read once, by readClips(). The window never calls this, so
  // that each of its events shows its own list and its own error.
  void putOffClipReads() { clips_.putOffReads(true); }
  // Reads the clip list if a change put its read off. Raises Error.
  void readClips();

  // The change handlers, raised by setFieldText: the "Location of sources",
  // "Name of source(s)", "Name for script(s)" and "Destination folder" boxes.
  // They raise Error.
  void sourceChanged();
  void clipNameChanged();
  void scriptNameChanged();
  void destinationChanged();
  // The mask rebuilt from the prefix and the checked filters.
  void rebuildMask();
  // "De/Select All".
  void toggleSelectAll();
  // The filter list editor; sets the unsaved-changes mark however it closes.
  void editFilters();
  // The filter list editor's OK: the entries become the non-empty lines,
  // unchecked and exactly as typed, and the mask follows at once.
  void applyFilterEditor(const std::vector<std::string>& lines);
  // Clips handed over by name must be listed to be selected: a filter entry
  // is ticked for each extension no ticked entry lists (added at the end when
  // the list has none), unless nothing is ticked, which lists every file.
  // For this session's selection only: the template is not marked changed.
  void tickExtensions(const std::vector<std::string>& extensions);
  // The filter list as a settings file gives it.
  void setFilters(std::vector<FilterEntry> entries);
  // "Clips Folder" and "Script Folder": the folder picker on the box's
  // folder; on OK the box takes the folder shown, as if typed.
  void pickSourceFolder();
  void pickDestinationFolder();
  // Selects the dropped clips listed in folder, which the source field now
  // names; returns how many were listed.
  std::size_t selectDropped(const std::string& folder, const std::vector<std::string>& clips);

 private:
  void fireFieldChange(Field field);
  // The source field's change, its error held for the line under the field.
  void followSource(bool boxShown);
  void holdSourceProblem(std::optional<Error> problem, bool boxShown);
  void pickInto(FolderPickerFor which, Field field);

  std::array<std::string, 4> fields_;
  FilterList filters_;
  ClipList clips_;
  std::optional<Error> sourceProblem_;
  bool sourceProblemShown_ = false;  // its error box has been shown
  bool join_ = false;
};

}  // namespace clipquill
