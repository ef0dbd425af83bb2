// SPDX-License-Identifier: GPL-3.0-or-later
// The folder picker's path rules as pure string functions over a set of
// separators, so that Windows paths ("C:\clips", "\\nas\clips\take 1") and
// POSIX paths follow the same code and both are tested on every system.
#pragma once

#include <string>
#include <string_view>

#include "core/paths.h"

namespace clipquill {

// Whether names on paths of this kind compare without regard to case, as on
// Windows, whose separators take a drive's ":".
constexpr bool pathsIgnoreCase(const PathSeparators& seps) {
  return seps.all.find(':') != std::string_view::npos;
}

// The root a path starts from, as written: "/" on POSIX; on Windows "C:\"
// (or "C:/"), "C:" for a drive alone, "\\server\share\" (its last separator
// only when written) and "\". "" for a relative path.
std::string_view pathRoot(std::string_view path, const PathSeparators& seps = kNativeSeparators);

// Whether two full paths name the same folder: byte for byte on POSIX; on
// Windows without regard to ASCII case and with "/" for "\".
bool samePath(std::string_view a, std::string_view b,
              const PathSeparators& seps = kNativeSeparators);

// Whether path is folder or lies below it, in whole names, compared as
// samePath compares.
bool isWithinFolder(std::string_view path, std::string_view folder,
                    const PathSeparators& seps = kNativeSeparators);

// The full form of a typed path: a relative one read against base (a full
// path), "." and ".." taken out (".." stops at the root), each run of
// separators made one primary separator, no separator at the end except at
// a root ("/", "C:\", "\\server\share\"). On Windows the drive letter is
// put in upper case, a drive alone or with a relative rest ("D:", "D:x") is
// read from that drive's root, and a path from "\" from base's root.
std::string fullFolderPath(std::string_view text, std::string_view base,
                           const PathSeparators& seps = kNativeSeparators);

// The folder above a full path ("C:\a\b" -> "C:\a", "/a" -> "/"); a root is
// its own.
std::string parentFolder(std::string_view fullPath, const PathSeparators& seps = kNativeSeparators);
// The last name of a full path ("C:\a\b" -> "b"); "" for a root.
std::string_view lastName(std::string_view fullPath,
                          const PathSeparators& seps = kNativeSeparators);

// A folder as the status bar shows it: without its closing separator, unless
// it is the root.
std::string shownFolder(std::string folder);

}  // namespace clipquill
