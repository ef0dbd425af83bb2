// SPDX-License-Identifier: GPL-3.0-or-later
// A batch of clips from a file manager's selection: grouped by folder, with
// the checks that refuse a batch whole before any script of it is written.
#include "app/clip_batch.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "app/folder_paths.h"
#include "clips/natural_order.h"
#include "clips/wildcard.h"
#include "core/error.h"
#include "core/paths.h"
#include "persist/path_rules.h"

namespace clipquill {

namespace {

char asciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameExtension(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

bool checkedFilterFor(const FilterList& filters, std::string_view extension) {
  return std::any_of(filters.entries().begin(), filters.entries().end(), [&](const auto& entry) {
    return entry.state == CheckState::Checked && sameExtension(entry.text, extension);
  });
}

bool anyChecked(const FilterList& filters) {
  return std::any_of(filters.entries().begin(), filters.entries().end(),
                     [](const auto& entry) { return entry.state == CheckState::Checked; });
}

// Groups by folder, remembering each folder's place in the order given.
class Grouper {
 public:
  explicit Grouper(ClipBatch& batch) : batch_(batch) {}

  // Returns false when the clip was in the batch already.
  bool add(const std::string& folder, std::string_view name) {
    auto [it, isNew] = index_.try_emplace(folder, batch_.groups.size());
    if (isNew) batch_.groups.push_back(ClipGroup{.folder = folder, .clips = {}, .extensions = {}});
    ClipGroup& group = batch_.groups[it->second];
    if (!seen_[it->second].emplace(name).second) return false;
    group.clips.emplace_back(name);
    std::string extension = clipExtension(name);
    const bool known =
        std::any_of(group.extensions.begin(), group.extensions.end(),
                    [&](const std::string& e) { return sameExtension(e, extension); });
    if (!known) group.extensions.push_back(std::move(extension));
    return true;
  }

 private:
  ClipBatch& batch_;
  std::map<std::string, std::size_t> index_;
  std::map<std::size_t, std::set<std::string, std::less<>>> seen_;
};

std::string plural(std::size_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

std::string listed(const std::vector<std::string>& paths) {
  std::string text;
  for (const std::string& path : paths)
    text.append(text.empty() ? "" : ", ").append(path);
  return text;
}

}  // namespace

std::size_t ClipBatch::clipCount() const {
  std::size_t count = 0;
  for (const ClipGroup& group : groups)
    count += group.clips.size();
  return count;
}

std::string clipExtension(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(fileName.substr(dot + 1));
}

ClipBatch gatherClipBatch(Folders& folders, const std::vector<std::string>& paths,
                          const FilterList& filters) {
  ClipBatch batch;
  Grouper grouper(batch);
  const ClipMaskMatcher mask(rebuildClipMask("", filters));
  const bool filtered = anyChecked(filters);
  for (const std::string& path : paths) {
    switch (folders.kind(path)) {
      case PathKind::Missing:
        batch.vanished.push_back(path);
        break;
      case PathKind::File: {
        const std::string name = fileNameOfPath(path);
        if (grouper.add(withTrailingSeparator(folderOfPath(path)), name) && filtered &&
            !checkedFilterFor(filters, clipExtension(name))) {
          batch.notClips.push_back(path);
        }
        break;
      }
      case PathKind::Folder: {
        std::vector<std::string> names;
        try {
          folders.listFiles(path, [&](std::string_view name) {
            if (mask.matchCount(name) != 0) names.emplace_back(name);
          });
        } catch (const Error&) {
          // A folder that cannot be read holds no clip the run can take.
          names.clear();
        }
        if (names.empty()) {
          batch.emptyFolders.push_back(path);
          break;
        }
        std::sort(names.begin(), names.end(), naturalLess);
        const std::string folder = withTrailingSeparator(path);
        for (const std::string& name : names)
          grouper.add(folder, name);
        break;
      }
    }
  }
  return batch;
}

std::optional<std::string> joinRefusal(const ClipBatch& batch) {
  if (batch.groups.size() < 2) return std::nullopt;
  std::vector<std::string> folders;
  for (const ClipGroup& group : batch.groups)
    folders.push_back(shownFolder(group.folder));
  return "A joined script takes its clips from one source folder; these come from " +
         plural(folders.size(), "folder", "folders") + ": " + listed(folders) +
         ". Make one script per clip, or join the clips of each folder on its own.";
}

std::string groupDestination(const ClipGroup& group, std::string_view destText) {
  return destText.empty() ? group.folder : withTrailingSeparator(destText);
}

std::vector<BatchClash> batchNameClashes(const ClipBatch& batch, std::string_view destText,
                                         std::string_view pattern, NameEnd end) {
  // Script path -> the groups' clips that get it; in the order first met.
  std::map<std::string, std::size_t> index;
  std::vector<BatchClash> all;
  std::vector<std::set<std::size_t>> groupsOf;
  for (std::size_t g = 0; g < batch.groups.size(); ++g) {
    const ClipGroup& group = batch.groups[g];
    const std::string dest = groupDestination(group, destText);
    for (const std::string& clip : group.clips) {
      const std::string path = dest + perClipScriptName(pattern, clip, end).scriptFile;
      auto [it, isNew] = index.try_emplace(path, all.size());
      if (isNew) {
        all.push_back(BatchClash{.scriptPath = path, .clips = {}});
        groupsOf.emplace_back();
      }
      all[it->second].clips.push_back(group.folder + clip);
      groupsOf[it->second].insert(g);
    }
  }
  std::vector<BatchClash> clashes;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (groupsOf[i].size() > 1) clashes.push_back(std::move(all[i]));
  }
  return clashes;
}

std::string batchClashText(const std::vector<BatchClash>& clashes) {
  std::string text =
      "Clips of different folders would get the same script, and the later would replace the "
      "earlier; nothing was written:";
  for (const BatchClash& clash : clashes)
    text.append("\n").append(clash.scriptPath).append(": ").append(listed(clash.clips));
  return text;
}

std::optional<std::string> refusedDestination(
    const ClipBatch& batch, std::string_view destText,
    const std::function<bool(const std::string&)>& takesNewFiles) {
  std::set<std::string> asked;
  for (const ClipGroup& group : batch.groups) {
    const std::string dest = groupDestination(group, destText);
    if (!asked.insert(dest).second) continue;
    if (!takesNewFiles(dest)) {
      return "The scripts' destination " + shownFolder(dest) +
             " takes no new file (it is read-only, or yours to read only); nothing was written.";
    }
  }
  return std::nullopt;
}

std::string batchNotes(const ClipBatch& batch, bool shippedDefault) {
  std::string notes;
  const auto line = [&](const std::string& text) {
    notes.append(notes.empty() ? "" : "\n") += text;
  };
  if (!batch.vanished.empty()) line("Not found, left out: " + listed(batch.vanished) + ".");
  if (!batch.notClips.empty()) {
    line("Taken although the filter list names no such clip: " + listed(batch.notClips) + ".");
  }
  if (!batch.emptyFolders.empty()) {
    line("No clip through the filter list in: " + listed(batch.emptyFolders) + ".");
  }
  if (shippedDefault) line("You have no default template of your own: the shipped one was used.");
  return notes;
}

std::string batchSummary(std::size_t written, const std::vector<std::string>& folders) {
  const std::string scripts = plural(written, "script", "scripts") + " written in ";
  if (folders.size() == 1) return scripts + shownFolder(folders.front());
  return scripts + plural(folders.size(), "folder", "folders");
}

}  // namespace clipquill
