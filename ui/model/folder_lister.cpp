// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/model/folder_lister.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <utility>

#include "core/error.h"
#include "core/paths.h"
#include "core/utf8_path.h"

namespace clipquill {

namespace fs = std::filesystem;

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

std::string pickerFullPath(std::string_view text, std::string_view base) {
  fs::path full = pathFromUtf8(text);
  if (full.is_relative()) full = pathFromUtf8(base) / full;
  std::string out = utf8Of(full.lexically_normal());
  while (out.size() > 1 && out.back() == '/')
    out.pop_back();
  return out;
}

FolderLister::FolderLister(Folders& folders, std::string homeFolder)
    : folders_(folders), home_(pickerFullPath(homeFolder, "/")) {
  setDrives({});
}

void FolderLister::setDrives(std::vector<Drive> drives) {
  if (std::none_of(drives.begin(), drives.end(), [](const Drive& d) { return d.root == "/"; })) {
    drives.insert(drives.begin(), Drive{"/", "", DriveKind::Root});
  }
  for (Drive& d : drives) {
    while (d.root.size() > 1 && d.root.back() == '/')
      d.root.pop_back();
  }
  drives_ = std::move(drives);
  if (!current_.empty()) buildLines();  // the root line follows the drives
}

std::size_t FolderLister::currentDrive() const {
  return driveIndexOf(drives_, current_.empty() ? std::string_view("/") : current_);
}

std::string FolderLister::targetOf(std::string_view path, std::string_view base) {
  if (base.empty()) base = current_.empty() ? home_ : current_;
  const std::string full = pickerFullPath(path, base);
  const fs::path asPath = pathFromUtf8(full);
  const std::string last = utf8Of(asPath.filename());
  if (!last.empty() && (holdsWildcard(last) || folders_.kind(full) == PathKind::File)) {
    return utf8Of(asPath.parent_path());
  }
  return full;
}

void FolderLister::openOn(std::string_view boxText, std::string_view base) {
  enter(boxText.empty() ? home_ : targetOf(boxText, base));
}

bool FolderLister::setCurrentFolder(std::string_view path, std::string_view base) {
  if (path.empty()) return false;
  const std::string target = targetOf(path, base);
  if (target == current_) return false;
  enter(target);
  return true;
}

void FolderLister::openLine(std::size_t index) {
  const std::string path = lines_.at(index).path;
  if (path != current_) enter(path);
}

void FolderLister::selectDrive(std::size_t index) {
  const std::string root = drives_.at(index).root;
  const auto last = lastVisited_.find(root);
  if (last == lastVisited_.end()) {
    if (root != current_) enter(root);
    return;
  }
  if (last->second == current_) return;
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
  std::string composed = withTrailingSeparator(current_, kPosixSeparators);
  composed += name;
  const std::string full = pickerFullPath(composed, current_);
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
  buildLines();
  lastVisited_[drives_[currentDrive()].root] = current_;
}

void FolderLister::buildLines() {
  lines_.clear();
  const std::string& root = drives_[currentDrive()].root;
  lines_.push_back({root, root, 0, FolderLine::Kind::Path});
  // The names below the root, one line each.
  std::string_view rest = std::string_view(current_).substr(root.size());
  std::string path = root;
  int depth = 0;
  while (!rest.empty()) {
    if (rest.front() == '/') {
      rest.remove_prefix(1);
      continue;
    }
    const std::size_t end = std::min(rest.find('/'), rest.size());
    const std::string_view name = rest.substr(0, end);
    rest.remove_prefix(end);
    if (path.back() != '/') path += '/';
    path += name;
    lines_.push_back({std::string(name), path, ++depth, FolderLine::Kind::Path});
  }
  lines_.back().kind = FolderLine::Kind::Current;
  currentLine_ = lines_.size() - 1;
  const std::string prefix = withTrailingSeparator(current_, kPosixSeparators);
  lines_.reserve(lines_.size() + subfolders_.size());
  for (const std::string& name : subfolders_) {
    lines_.push_back({name, prefix + name, depth + 1, FolderLine::Kind::Subfolder});
  }
}

}  // namespace clipquill
