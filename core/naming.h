// SPDX-License-Identifier: GPL-3.0-or-later
// How scripts are named: one rule for a script per clip, one for a joined
// script. Pure string functions; they never touch the file system.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace clipquill {

// Where a clip's name ends in its file name: at the first "." (the rule
// scripts have always been named by: "a.b.avi" is "a"), or at the last, for
// clips whose names hold dots of their own ("Show.S01E01.avi" is
// "Show.S01E01").
enum class NameEnd { FirstDot, LastDot };

struct PerClipName {
  std::string scriptFile;
  std::string clipBase;  // the clip's name: before its first (or last) "."
};

// The clip's name under end. Empty for a file name without any ".", and for
// one whose name would be dots alone ("..", "...avi"), which name nothing.
std::string clipBaseOf(std::string_view clipFile, NameEnd end);

// The script name for one clip. An empty pattern gives the clip base; a "*"
// (the first one only) stands for the clip base; any other pattern is used as
// it is. ".avs" is always appended.
PerClipName perClipScriptName(std::string_view pattern, std::string_view clipFile,
                              NameEnd end = NameEnd::FirstDot);

// Whether a script name is ".avs" and nothing before it: a clip without a
// name under a pattern that is the name alone. No such script is written.
bool isNamelessScript(std::string_view scriptFile);

// The joined script's name: the text as it is when it holds ".avs" anywhere
// (case-sensitive), otherwise the text with ".avs" appended.
std::string joinedScriptName(std::string_view nameText);

// A script name that two or more selected clips would get in one per-clip
// run: the later script would replace the earlier one, which the run itself
// had just written.
struct ScriptNameClash {
  std::string scriptFile;
  std::vector<std::string> clips;  // in list order
};

// Every name that more than one of clips gets under pattern, in the order
// the names first come up in the list. Empty when each clip has a name of
// its own.
std::vector<ScriptNameClash> perClipNameClashes(std::string_view pattern,
                                                std::span<const std::string> clips,
                                                NameEnd end = NameEnd::FirstDot);

// Whether a clash found with the first-dot rule is mended, for some of its
// clips, by ending their names at the last dot instead: their names differ
// after their first dot ("Show.S01E01.avi", "Show.S01E02.avi"), not only in
// their extensions ("a.avi", "a.mkv").
bool lastDotWouldHelp(std::string_view pattern, std::span<const ScriptNameClash> clashes);

}  // namespace clipquill
