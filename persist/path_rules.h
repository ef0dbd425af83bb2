// SPDX-License-Identifier: GPL-3.0-or-later
// The rules that take a template's path apart and name the files beside it,
// as pure string functions over the platform's separators, and the file types
// the template dialogs offer.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/paths.h"

namespace clipquill {

// The folder of a path: everything before its last separator, that separator
// kept only where it is the root ('C:\a.qtpl' -> 'C:\', '/a.qtpl' -> '/') or
// follows another separator ('\\srv' -> '\\'). No separator gives "".
std::string folderOfPath(std::string_view path, const PathSeparators& seps = kNativeSeparators);

// Everything after the path's last separator; the whole path when it has none.
std::string fileNameOfPath(std::string_view path, const PathSeparators& seps = kNativeSeparators);

// The folder of a path as the settings file is joined to it: closed with the
// primary separator. A path without a folder part gives "", so that the
// settings file lands beside a bare template name, in the same folder.
std::string templateFolder(std::string_view path, const PathSeparators& seps = kNativeSeparators);

// The settings file's name for a template: its last extension replaced by
// ".ini", or ".ini" appended when the name has none. A "." in a folder is no
// extension of the name.
std::string iniNameFor(std::string_view templateName,
                       const PathSeparators& seps = kNativeSeparators);

// A folder (closed with the primary separator, or "" for the working folder)
// joined with a "/"-separated relative path: each ".." takes off the folder's
// last name where it has an ordinary one, and is kept otherwise. The result is
// closed with the primary separator.
std::string joinRelativeFolder(std::string_view folder, std::string_view relative,
                               const PathSeparators& seps = kNativeSeparators);

// The data folder of an installed copy relative to its program folder,
// "/"-separated: the build sets it from its install layout.
std::string_view installedDataFolder();

// The folders the default template is looked for in, in order: the program
// folder itself, then the installed data folder reached from it, so that a
// copy installed anywhere finds its own. Only the program folder when it is
// "" (no folder known) or when both are the same.
std::vector<std::string> defaultTemplateFolders(std::string_view appDir,
                                                std::string_view dataFromProgram,
                                                const PathSeparators& seps = kNativeSeparators);

// The user's own folder of the program, closed with "/": "Clipquill" below
// the config folder, which is xdgConfigHome when it is an absolute path (as
// the XDG base directory rules ask) and else home + "/.config". "" when
// neither gives one. Either argument may be null, as an unset variable is.
std::string userConfigFolderFor(const char* xdgConfigHome, const char* home);
// This system's: the same for this process's XDG_CONFIG_HOME and HOME, or on
// Windows "Clipquill\" in the roaming application data folder.
std::string userConfigFolder();

// Where the default template is looked for, in order: the user's own folder
// (skipped when ""), then the folders of defaultTemplateFolders.
std::vector<std::string> defaultTemplateSearch(std::string_view userFolder, std::string_view appDir,
                                               std::string_view dataFromProgram,
                                               const PathSeparators& seps = kNativeSeparators);

struct FileType {
  std::string_view label;
  std::string_view pattern;
  std::string_view extension;  // what a save adds to a name without one; "" for none
};

// In the dialogs' order: a dialog's file-type index is the position here, from 1.
inline constexpr std::array<FileType, 4> kOpenFileTypes{{
    {"Quill Template (*.qtpl)", "*.qtpl", ".qtpl"},
    {"AVISynth Script (*.avs)", "*.avs", ".avs"},
    {"Text files (*.txt)", "*.txt", ".txt"},
    {"All files (*.*)", "*.*", ""},
}};
inline constexpr std::array<FileType, 4> kSaveFileTypes{{
    {"Quill Template (*.qtpl)", "*.qtpl", ".qtpl"},
    {"AVISynth (*.avs)", "*.avs", ".avs"},
    {"Text files (*.txt)", "*.txt", ".txt"},
    {"All files (*.*)", "*.*", ""},
}};

// The path a save writes to: the extension of the save dialog's chosen type
// (fileTypeIndex from 1) appended when there is no "." anywhere in the path,
// folders included. An index outside the list adds nothing.
std::string withSaveExtension(std::string_view path, int fileTypeIndex);

}  // namespace clipquill
