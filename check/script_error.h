// SPDX-License-Identifier: GPL-3.0-or-later
// AviSynth's error text read back into a message and its places. AviSynth
// appends the place of an error to its message, one "(file, line L)" line
// per script level, innermost first, and a parse error with its column:
//
//   Script error: expected a , or )
//   (/scripts/a.avs, line 2, column 21)
//
// The user wants the place in the script they asked about, with the inner
// levels (an imported file's line) kept as words in the message.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace clipquill {

struct ScriptPlace {
  std::string file;
  int line = 0;
  int column = 0;  // 0 when AviSynth gave none (errors found while running)
};

struct ScriptErrorText {
  std::string message;              // the text before the first place
  std::vector<ScriptPlace> places;  // innermost first
};

// Splits AviSynth's error text. Text without places is all message. A place
// naming `known` is read as such whatever the name holds.
ScriptErrorText parseScriptError(std::string_view text, std::string_view known = {});

struct LocatedError {
  std::string message;
  int line = 0;  // 0 when the error has no place in the script
  int column = 0;
};

// The error as it concerns `script`: the line and column of its outermost
// place in that file, and the message with every other place appended as
// " (in FILE, line L)".
LocatedError locateScriptError(std::string_view text, std::string_view script);

}  // namespace clipquill
