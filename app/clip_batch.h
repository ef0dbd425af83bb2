// SPDX-License-Identifier: GPL-3.0-or-later
// Clips handed over as files, the way a file manager hands over a selection:
// sorted into one group per folder (each group is one run of the template,
// with that folder as the source), folders opened through the filter list,
// and what cannot be taken noted by name rather than failing the rest. The
// checks a batch needs before it writes anything live here too, so that a
// batch over several folders is refused whole, never half-written.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "clips/filter_list.h"
#include "clips/folders.h"
#include "core/naming.h"

namespace clipquill {

// The clips of one folder in a batch.
struct ClipGroup {
  std::string folder;                   // full, closed with the separator
  std::vector<std::string> clips;       // file names, in the order given, each once
  std::vector<std::string> extensions;  // the clips' extensions, each once ("" for none)
};

struct ClipBatch {
  std::vector<ClipGroup> groups;  // in the order their folders first came up
  // Paths that name nothing now (moved or deleted since they were chosen).
  std::vector<std::string> vanished;
  // Files taken although no checked filter lists their extension: the user
  // chose them, which is reason enough, but it is said.
  std::vector<std::string> notClips;
  // Folders passed whose files the filter list let none through.
  std::vector<std::string> emptyFolders;

  std::size_t clipCount() const;
};

// A file name's extension: what follows its last ".", "" when it has none.
std::string clipExtension(std::string_view fileName);

// Sorts full paths into a batch. A file is taken as it is; a folder gives
// its files that the checked filters let through (every file when none is
// checked), in natural order; a path that names nothing is noted. A clip
// named twice is taken once.
ClipBatch gatherClipBatch(Folders& folders, const std::vector<std::string>& paths,
                          const FilterList& filters);

// Why a joined script cannot be made of this batch, or nullopt when it can:
// a joined script names one source folder, so its clips must share one.
std::optional<std::string> joinRefusal(const ClipBatch& batch);

// The folder a group's scripts go to: the destination typed, else the
// group's own folder.
std::string groupDestination(const ClipGroup& group, std::string_view destText);

// A script name that clips of different groups would share in one
// destination folder; the clips as full paths.
struct BatchClash {
  std::string scriptPath;
  std::vector<std::string> clips;
};
// Every such name, across the groups (a clash inside one group is the
// run's own refusal). Empty when each script has a path of its own.
std::vector<BatchClash> batchNameClashes(const ClipBatch& batch, std::string_view destText,
                                         std::string_view pattern, NameEnd end);
std::string batchClashText(const std::vector<BatchClash>& clashes);

// Whether a new file can be made in folder now; one file per system.
bool folderTakesNewFiles(const std::string& folder);
// The first destination folder of the batch that takes no new file, as the
// refusal names it; nullopt when every one does.
std::optional<std::string> refusedDestination(
    const ClipBatch& batch, std::string_view destText,
    const std::function<bool(const std::string&)>& takesNewFiles = folderTakesNewFiles);

// The sentences a batch's notes give, one per line: what was left out or
// taken against the filters, and whether the shipped default template stood
// in for the user's own.
std::string batchNotes(const ClipBatch& batch, bool shippedDefault);
// "3 scripts written in /clips" (one folder), "5 scripts written in 2
// folders" (several).
std::string batchSummary(std::size_t written, const std::vector<std::string>& folders);

}  // namespace clipquill
