// SPDX-License-Identifier: GPL-3.0-or-later
// Texts the program shows to the user. File, key and section names live in
// constants.h.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "core/naming.h"
#include "core/script_encoding.h"

namespace clipquill::msg {

inline constexpr std::string_view kNoDestination =
    "You must specify a destination for the script(s).";
inline constexpr std::string_view kScriptsCreatedHeading = "Script(s) Created:";
// A destination folder that is not there.
std::string noSuchDestination(std::string_view folder);

// A per-clip run refused because clips would share script names: what is
// wrong, then one line per shared name with the clips that get it. With
// lastDotHint, it says that ending the clips' names at their last dot would
// tell them apart.
std::string scriptNameClashes(std::span<const ScriptNameClash> clashes, bool lastDotHint = false);
// A per-clip run refused because clips have no name to give their scripts.
std::string namelessClips(std::span<const std::string> clips);
// Names that the scripts' encoding cannot carry as AviSynth+ reads them:
// which, why, and what to do. A joined run leaves its one script out.
std::string namesNotCarried(const NameTrouble& trouble, bool joined);
// Whether namesNotCarried speaks of scripts left out, not only misread.
inline bool leavesScriptsOut(const NameTrouble& trouble) {
  return trouble.folderUnwritable || !trouble.unwritable.empty();
}

// The option that ends each clip's name at its last dot, as the window's menu
// and the command line name it.
inline constexpr std::string_view kNameToLastDotCaption = "Clip Name to Last Dot";
inline constexpr std::string_view kNameToLastDotOption = "--name-to-last-dot";

// The question asked before a script or a template replaces an existing file.
std::string overwriteQuestion(std::string_view path);
// The settings file's own question: the path stands without quotes.
std::string settingsOverwriteQuestion(std::string_view path);
// A settings file that cannot be written.
std::string unableToWrite(std::string_view path);

inline constexpr std::string_view kSaveTemplatePrompt =
    "Do you want to save the template and an .ini file?";
// An option flag that could not be stored.
inline constexpr std::string_view kCouldNotSaveLoadInis =
    "Could not save the value of \"Load Template ini's\"";
inline constexpr std::string_view kCouldNotSaveSaveInis =
    "Could not save the value of \"Save Template ini's\"";
// "Save as Default Template" where neither XDG_CONFIG_HOME nor HOME names a
// folder to keep it in.
inline constexpr std::string_view kNoUserFolder =
    "There is no folder for your default template: set HOME or XDG_CONFIG_HOME";

// The error table, keyed by the system's error number.
inline constexpr std::string_view kFileNotFound = "File not found";
inline constexpr std::string_view kInvalidFilename = "Invalid filename";
inline constexpr std::string_view kTooManyOpenFiles = "Too many open files";
inline constexpr std::string_view kFileAccessDenied = "File access denied";
inline constexpr std::string_view kReadBeyondEnd = "Read beyond end of file";
inline constexpr std::string_view kDiskFull = "Disk full";
inline constexpr std::string_view kInvalidNumericInput = "Invalid numeric input";
// Any other number: "I/O error %d".
std::string ioError(int number);

}  // namespace clipquill::msg
