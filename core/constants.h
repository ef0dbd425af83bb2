// SPDX-License-Identifier: GPL-3.0-or-later
// The program's string table: the names of files, sections and keys, and the
// version. Messages shown to the user live apart, in messages.h.
#pragma once

#include <string_view>

namespace clipquill {

inline constexpr std::string_view kAppTitle = "Clipquill";
inline constexpr std::string_view kVersion = "2.22";

inline constexpr std::string_view kScriptExt = ".avs";
inline constexpr std::string_view kIniExt = ".ini";
inline constexpr std::string_view kDefaultTemplate = "DefaultTemplate.qtpl";
// The command line, beside the window: it also runs the window's script checks.
inline constexpr std::string_view kCliProgramName = "clipquill-cli";

// Settings file sections and keys.
inline constexpr std::string_view kSectionEntries = "Entries";
inline constexpr std::string_view kSectionFilterBy = "FilterBy";
inline constexpr std::string_view kSectionFilterState = "FilterState";
inline constexpr std::string_view kKeyExtPrefix = "Ext";
inline constexpr std::string_view kKeyClipLoc = "ClipLoc";
inline constexpr std::string_view kKeyClipName = "ClipName";
inline constexpr std::string_view kKeyScriptName = "ScriptName";
inline constexpr std::string_view kKeyScriptDest = "ScriptDest";
// A filter entry's check mark is "Ext" + position + "State".
inline constexpr std::string_view kKeyStateSuffix = "State";

// The option flags' value names.
inline constexpr std::string_view kValueLoadInis = "LoadInis";
inline constexpr std::string_view kValueSaveInis = "SaveInis";

// Root of the option flags' key path in the registry (or its stand-in).
inline constexpr std::string_view kRegistryRoot = "Software\\";

// The tokens a template line may hold.
inline constexpr std::string_view kSourceToken = "<P>";
inline constexpr std::string_view kClipToken = "<F>";

// Every text file the program writes ends its lines this way, on every platform.
inline constexpr std::string_view kLineEnd = "\r\n";

}  // namespace clipquill
