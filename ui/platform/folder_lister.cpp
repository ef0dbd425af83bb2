// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/platform/folder_lister.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "app/folder_paths.h"
#include "core/error.h"
#include "core/paths.h"

namespace clipquill {

namespace {

char foldCase(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Alphabetical without regard to case; names that differ only in case keep
// one fixed order. Each name is folded once, so that the sort compares plain
// bytes.
void sortWithoutCase(std::vector<std::string>& names) {
  struct Keyed {
    std::string key;
    std::string name;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(names.size());
  for (std::string& name : names) {
    std::string key(name.size(), '\0');
    std::transform(name.begin(), name.end(), key.begin(), foldCase);
    keyed.push_back({std::move(key), std::move(name)});
  }
  std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    const int byKey = a.key.compare(b.key);
    return byKey != 0 ? byKey < 0 : a.name < b.name;
  });
  for (std::size_t i = 0; i < names.size(); ++i)
    names[i] = std::move(keyed[i].name);
}

bool holdsWildcard(std::string_view text) {
  return text.find_first_of("*?") != text.npos;
}

}  // namespace

PickerFace pickerFace(FolderPickerFor which) {
  if (which == FolderPickerFor::Scripts) return {"Select Scripts Destination", true};
  return {"Select Clips Folder", false};
}

std::string pickerFullPath(std::string_view text, std::string_view base,
                           const PathSeparators& seps) {
  return fullFolderPath(text, base, seps);
}

FolderLister::FolderLister(Folders& folders, std::string homeFolder, const PathSeparators& seps)
    : folders_(folders),
      seps_(seps),
      home_(pickerFullPath(homeFolder, pathsIgnoreCase(seps) ? "C:\\" : "/", seps)) {
  setDrives({});
}

void FolderLister::setDrives(std::vector<Drive> drives) {
  for (Drive& d : drives) {
    // "/mnt/x/" is the folder "/mnt/x"; "C:\" stays a root.
    if (!pathRoot(d.root, seps_).empty()) d.root = pickerFullPath(d.root, d.root, seps_);
  }
  const std::string homeRoot = pickerFullPath(pathRoot(home_, seps_), home_, seps_);
  if (std::none_of(drives.begin(), drives.end(),
                   [&](const Drive& d) { return samePath(d.root, homeRoot, seps_); })) {
    drives.insert(drives.begin(), Drive{homeRoot, "", DriveKind::Root});
  }
  drives_ = std::move(drives);
  if (!current_.empty()) {
    addDriveFor(current_);
    buildLines();  // the root line follows the drives
  }
}

std::size_t FolderLister::currentDrive() const {
  return driveIndexOf(drives_, current_.empty() ? std::string_view(home_) : current_, seps_);
}

void FolderLister::addDriveFor(std::string_view folder) {
  if (std::any_of(drives_.begin(), drives_.end(),
                  [&](const Drive& d) { return isWithinFolder(folder, d.root, seps_); })) {
    return;
  }
  const std::string_view root = pathRoot(folder, seps_);
  const bool share = root.size() > 2 && root.substr(0, 2) == std::string(2, seps_.primary);
  drives_.push_back({std::string(root), "", share ? DriveKind::Network : DriveKind::Fixed});
}

std::string FolderLister::targetOf(std::string_view path, std::string_view base) {
  if (base.empty()) base = current_.empty() ? home_ : current_;
  const std::string full = pickerFullPath(path, base, seps_);
  const std::string_view last = lastName(full, seps_);
  if (!last.empty() && (holdsWildcard(last) || folders_.kind(full) == PathKind::File)) {
    return parentFolder(full, seps_);
  }
  return full;
}

void FolderLister::openOn(std::string_view boxText, std::string_view base) {
  enter(boxText.empty() ? home_ : targetOf(boxText, base));
}

bool FolderLister::setCurrentFolder(std::string_view path, std::string_view base) {
  if (path.empty()) return false;
  const std::string target = targetOf(path, base);
  if (!current_.empty() && samePath(target, current_, seps_)) return false;
  enter(target);
  return true;
}

void FolderLister::openLine(std::size_t index) {
  const std::string path = lines_.at(index).path;
  if (!samePath(path, current_, seps_)) enter(path);
}

void FolderLister::selectDrive(std::size_t index) {
  const std::string root = drives_.at(index).root;
  const auto last = lastVisited_.find(root);
  if (last == lastVisited_.end()) {
    if (!samePath(root, current_, seps_)) enter(root);
    return;
  }
  if (samePath(last->second, current_, seps_)) return;
  try {
    enter(last->second);
  } catch (const Error&) {
    // The folder has gone since (or lost its permissions): the drive itself
    // is still worth opening.
    enter(root);
  }
}

void FolderLister::makeAndEnter(std::string_view name) {
  if (holdsWildcard(name)) return;
  std::string composed = withTrailingSeparator(current_, seps_);
  composed += name;
  const std::string full = pickerFullPath(composed, current_, seps_);
  // Whether it already exists or cannot be made, entering it tells.
  const int err = folders_.kind(full) == PathKind::Missing ? folders_.makeFolder(full) : 0;
  try {
    setCurrentFolder(full);
  } catch (const Error&) {
    // "File not found" would hide why: the creation's own failure does not.
    if (err != 0 && err != EEXIST && folders_.kind(full) == PathKind::Missing) {
      throw Error::fromErrno(err);
    }
    throw;
  }
}

void FolderLister::enter(const std::string& folder) {
  std::vector<std::string> names;
  aboutSubject([&] { return folder; },
               [&] {
                 folders_.listSubfolders(folder, [&](std::string_view name) {
                   if (!name.empty() && name[0] != '.') names.emplace_back(name);
                 });
               });
  sortWithoutCase(names);
  current_ = folder;
  subfolders_ = std::move(names);
  addDriveFor(current_);
  buildLines();
  lastVisited_[drives_[currentDrive()].root] = current_;
}

void FolderLister::buildLines() {
  lines_.clear();
  const std::string& root = drives_[currentDrive()].root;
  lines_.push_back({root, root, 0, FolderLine::Kind::Path});
  // The names below the root, one line each.
  const auto isSeparator = [&](char c) { return c != ':' && seps_.all.find(c) != seps_.all.npos; };
  std::string_view rest = std::string_view(current_).substr(std::min(root.size(), current_.size()));
  std::string path = root;
  int depth = 0;
  while (!rest.empty()) {
    if (isSeparator(rest.front())) {
      rest.remove_prefix(1);
      continue;
    }
    std::size_t end = 0;
    while (end < rest.size() && !isSeparator(rest[end]))
      ++end;
    const std::string_view name = rest.substr(0, end);
    rest.remove_prefix(end);
    path = withTrailingSeparator(path, seps_);
    path += name;
    lines_.push_back({std::string(name), path, ++depth, FolderLine::Kind::Path});
  }
  lines_.back().kind = FolderLine::Kind::Current;
  currentLine_ = lines_.size() - 1;
  const std::string prefix = withTrailingSeparator(current_, seps_);
  lines_.reserve(lines_.size() + subfolders_.size());
  for (const std::string& name : subfolders_) {
    lines_.push_back({name, prefix + name, depth + 1, FolderLine::Kind::Subfolder});
  }
}

}  // namespace clipquill
