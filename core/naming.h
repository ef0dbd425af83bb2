// SPDX-License-Identifier: GPL-3.0-or-later
// How scripts are named: one rule for a script per clip, one for a joined
// script. Pure string functions; they never touch the file system.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace clipquill {

struct PerClipName {
  std::string scriptFile;
  std::string clipBase;  // the clip's name before its first "."
};

// The script name for one clip. An empty pattern gives the clip base; a "*"
// (the first one only) stands for the clip base; any other pattern is used as
// it is. ".avs" is always appended.
PerClipName PerClipScriptName(std::string_view pattern, std::string_view clipFile);

// The joined script's name: the text as it is when it holds ".avs" anywhere
// (case-sensitive), otherwise the text with ".avs" appended.
std::string JoinedScriptName(std::string_view nameText);

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
std::vector<ScriptNameClash> PerClipNameClashes(std::string_view pattern,
                                                std::span<const std::string> clips);

}  // namespace clipquill
