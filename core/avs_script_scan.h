// SPDX-License-Identifier: GPL-3.0-or-later
// What the template editor knows of the AviSynth text around the caret:
// which call the caret is in and at which argument, which names the
// template defines itself, and which calls name a function (or a named
// parameter) that the installed AviSynth+ does not have. Strings (triple-
// quoted too) and comments are skipped as AviSynth reads them. Each rule
// reads a window of text the caller chose (the statement around the caret,
// the lines in view), never the whole document per keystroke.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/avisynth_functions.h"

namespace clipquill {

// AviSynth's names compare without case.
std::string lowerName(std::string_view name);

// The function table by name, for lookups as the user types.
class FunctionIndex {
 public:
  FunctionIndex() = default;
  explicit FunctionIndex(std::vector<AvsFunction> functions);

  bool empty() const { return functions_.empty(); }
  // Every overload of `name` (any case); empty when there is none.
  std::vector<const AvsFunction*> find(std::string_view name) const;
  // The functions whose names start with `prefix` (any case), by name; a
  // name from two plugins is there twice, a name listed again once.
  std::vector<const AvsFunction*> withPrefix(std::string_view prefix) const;
  // The known name nearest to `name` by edit distance, when near enough to
  // be a typo of it; empty when none is.
  std::string nearest(std::string_view name) const;

 private:
  std::vector<AvsFunction> functions_;
  std::vector<std::pair<std::string, std::size_t>> sorted_;  // lower name, index
};

// The start of the statement the caret is in: the start of its line, and of
// the lines before it that a "\" joins to it; no further back than `limit`
// bytes (a template of one long line).
std::size_t statementStart(std::string_view text, std::size_t caret, std::size_t limit);

// The call the caret is in, read from the start of `text` to `caret`.
struct CallAtCaret {
  std::string function;  // as written
  std::size_t nameStart = 0;
  std::size_t argument = 0;      // 0 for the first
  std::string namedArgument;     // the "name" of "name=" the argument begins with
  bool atArgumentStart = false;  // only spaces (and the word at the caret) since '(' or ','
};
std::optional<CallAtCaret> callAtCaret(std::string_view text, std::size_t caret);

// Whether the caret sits in a string or a comment (where nothing is offered).
bool inStringOrComment(std::string_view text, std::size_t caret);

// The name the caret ends, as far as it is typed.
struct WordAtCaret {
  std::size_t start = 0;
  std::string_view word;
  bool afterDot = false;    // a clip method call: c.Tr
  bool afterAngle = false;  // a template token begun: <P
};
WordAtCaret wordAtCaret(std::string_view text, std::size_t caret);

// The names a template defines: its own functions and its variables (those
// made global, and those assigned at the top level).
struct DefinedNames {
  std::unordered_set<std::string> functions;  // lower case
  std::unordered_set<std::string> variables;  // lower case
  std::vector<std::string> functionNames;     // as written, each once
  std::vector<std::string> variableNames;
};
DefinedNames definedNames(std::string_view text);

// One entry of the completion list.
struct Completion {
  enum class Kind { Parameter, Function, OwnFunction, Variable, Token };
  Kind kind;
  std::string text;    // what is entered
  std::string detail;  // the function's source, or what the entry is
};
// What the list offers at the caret: inside a call, its named parameters
// ("width=") first; then functions by prefix, the template's own names and
// the <P> and <F> tokens. `explicitly`: asked for (Ctrl+Space), so offered
// however little is typed.
std::vector<Completion> completionsAt(std::string_view text, std::size_t caret,
                                      const FunctionIndex& index, const DefinedNames& own,
                                      bool explicitly);

// The call tip at the caret: each overload of the call's function a line,
// the parameter at the caret marked in the first ([markStart, markEnd) of
// text); nullopt outside a known function's call.
struct CallTip {
  std::string text;
  std::size_t markStart = 0;
  std::size_t markEnd = 0;
  std::size_t nameStart = 0;  // where the call's name is in the text read
};
std::optional<CallTip> callTipAt(std::string_view text, std::size_t caret,
                                 const FunctionIndex& index);

// A name to underline: [start, start + length) of the text read.
struct NameMark {
  std::size_t start = 0;
  std::size_t length = 0;
  std::string message;
};
// Calls of functions neither AviSynth+ (as `installation` names it: "AviSynth+
// 3.7.5 with the plugins of /x") nor the template has, and named parameters
// that the called function does not take. Clip method calls (c.Trim()) and
// keywords are AviSynth's own business and never marked.
std::vector<NameMark> unknownNames(std::string_view text, const FunctionIndex& index,
                                   const DefinedNames& own, std::string_view installation);

}  // namespace clipquill
