// SPDX-License-Identifier: GPL-3.0-or-later
// Path rules as pure string functions over a set of separators, so that the
// same rule serves Windows paths ("\" and ":") and POSIX paths ("/").
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace clipquill {

struct PathSeparators {
  char primary;          // the one a folder is closed with
  std::string_view all;  // every one a path splits at: on Windows also ":" after a drive
};

// Windows takes "/" for "\" in every path, so the rules do too.
inline constexpr PathSeparators kWindowsSeparators{'\\', "\\/:"};
inline constexpr PathSeparators kPosixSeparators{'/', "/"};
#if defined(_WIN32)
inline constexpr PathSeparators kNativeSeparators = kWindowsSeparators;
#else
inline constexpr PathSeparators kNativeSeparators = kPosixSeparators;
#endif

// A folder as it is joined to file names: the text closed with the separator
// it already uses (the primary one when it uses none), unless it ends in it. An empty text stays
// empty, so that "<P><F>" with no source folder gives the bare clip name.
std::string withTrailingSeparator(std::string_view folder,
                                  const PathSeparators& seps = kNativeSeparators);

// Whether a path is read from a root rather than against a folder: "/x" on
// POSIX; "C:\x", "C:x", "\x" and "/x" on Windows (a drive or a root each
// leave the working folder out).
bool isAbsolutePath(std::string_view path, const PathSeparators& seps = kNativeSeparators);

// How long the share a Windows path begins with is: "\\\\server\\share"
// (either separator), which a path never climbs above; 0 for any other path,
// and everywhere without drives.
std::size_t shareRootLength(std::string_view path, const PathSeparators& seps = kNativeSeparators);

// The folder Windows keeps as current for a drive other than the working
// folder's (cmd.exe's "=D:" variables), by its letter; "" when it keeps none.
using DriveFolderLookup = std::function<std::string(char drive)>;

// A path the user typed in its full form, read against the working folder
// as Windows reads it, so that a script written from it names the same file
// wherever it is run from: a relative path below the working folder; on
// Windows "\x" on the working folder's drive or share, and "D:x" below the
// folder kept for drive D (the working folder when it is on D; "D:\" when
// none is kept). A full path ("/x", "C:\x", "\\server\share\x") and ""
// stay as they are. Lexical only: "." and ".." are the file system's.
std::string fullPathAgainst(std::string_view workingFolder, std::string_view path,
                            const DriveFolderLookup& driveFolder = {},
                            const PathSeparators& seps = kNativeSeparators);

}  // namespace clipquill
