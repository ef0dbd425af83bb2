// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/folder_paths.h"

#include <algorithm>
#include <vector>

namespace clipquill {

namespace {

// A drive's ":" parts no names.
bool isNameSeparator(char c, const PathSeparators& seps) {
  return c != ':' && seps.all.find(c) != std::string_view::npos;
}

bool isLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// A root as the picker holds it: the primary separator throughout, a drive
// letter in upper case, a drive's and a share's root closed with the
// separator. baseRoot (held so already) stands in for a bare "\". No root
// stays none: a relative path read against a relative base stays relative.
std::string normalRoot(std::string_view root, std::string_view baseRoot,
                       const PathSeparators& seps) {
  if (root.empty()) return {};
  if (!pathsIgnoreCase(seps)) return "/";
  if (root.size() == 1)
    return baseRoot.empty() ? std::string(1, seps.primary) : std::string(baseRoot);
  std::string out(root);
  for (char& c : out) {
    if (isNameSeparator(c, seps)) c = seps.primary;
  }
  if (out.size() >= 2 && out[1] == ':') out[0] = upper(out[0]);
  if (out.back() != seps.primary) out += seps.primary;
  return out;
}

}  // namespace

std::string_view pathRoot(std::string_view path, const PathSeparators& seps) {
  const auto sep = [&](std::size_t i) { return i < path.size() && isNameSeparator(path[i], seps); };
  if (!pathsIgnoreCase(seps)) return sep(0) ? path.substr(0, 1) : std::string_view();
  if (sep(0) && sep(1)) {
    // "\\server\share\": the server's name, then the share's.
    std::size_t end = 2;
    for (int part = 0; part < 2; ++part) {
      while (end < path.size() && !sep(end))
        ++end;
      if (end < path.size()) ++end;
    }
    return path.substr(0, end);
  }
  if (path.size() >= 2 && isLetter(path[0]) && path[1] == ':')
    return path.substr(0, sep(2) ? 3 : 2);
  return sep(0) ? path.substr(0, 1) : std::string_view();
}

bool samePath(std::string_view a, std::string_view b, const PathSeparators& seps) {
  if (!pathsIgnoreCase(seps)) return a == b;
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const bool bothSeparators = isNameSeparator(a[i], seps) && isNameSeparator(b[i], seps);
    if (!bothSeparators && upper(a[i]) != upper(b[i])) return false;
  }
  return true;
}

bool isWithinFolder(std::string_view path, std::string_view folder, const PathSeparators& seps) {
  if (folder.empty() || path.size() < folder.size()) return false;
  if (!samePath(path.substr(0, folder.size()), folder, seps)) return false;
  return path.size() == folder.size() || isNameSeparator(folder.back(), seps) ||
         isNameSeparator(path[folder.size()], seps);
}

std::string fullFolderPath(std::string_view text, std::string_view base,
                           const PathSeparators& seps) {
  const std::string_view baseRoot = pathRoot(base, seps);
  std::string_view root = pathRoot(text, seps);
  std::string rest;
  if (root.empty()) {
    root = baseRoot;
    rest.append(base.substr(baseRoot.size())).append(1, seps.primary).append(text);
  } else {
    rest = text.substr(root.size());
  }
  std::string full = normalRoot(root, normalRoot(baseRoot, {}, seps), seps);

  std::vector<std::string_view> names;
  const std::string_view all(rest);
  for (std::size_t pos = 0; pos <= all.size();) {
    std::size_t end = pos;
    while (end < all.size() && !isNameSeparator(all[end], seps))
      ++end;
    const std::string_view name = all.substr(pos, end - pos);
    if (name == "..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.push_back(name);
    }
    pos = end + 1;
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) full += seps.primary;
    full += names[i];
  }
  return full;
}

std::string parentFolder(std::string_view fullPath, const PathSeparators& seps) {
  const std::string_view root = pathRoot(fullPath, seps);
  std::size_t end = fullPath.size();
  while (end > root.size() && !isNameSeparator(fullPath[end - 1], seps))
    --end;
  while (end > root.size() && isNameSeparator(fullPath[end - 1], seps))
    --end;
  return std::string(fullPath.substr(0, end));
}

std::string_view lastName(std::string_view fullPath, const PathSeparators& seps) {
  const std::string_view root = pathRoot(fullPath, seps);
  std::size_t start = fullPath.size();
  while (start > root.size() && !isNameSeparator(fullPath[start - 1], seps))
    --start;
  return fullPath.substr(start);
}

std::string shownFolder(std::string folder) {
  const std::size_t root = pathRoot(folder).size();
  while (folder.size() > std::max<std::size_t>(root, 1) &&
         (folder.back() == kNativeSeparators.primary || folder.back() == '/'))
    folder.pop_back();
  return folder;
}

}  // namespace clipquill
