// SPDX-License-Identifier: GPL-3.0-or-later
// The window's command line before any window exists: "--help" and
// "--version" alone are answered on standard output and the program ends, as
// Linux users expect, without needing a display; anything else is left to the
// start-up, where a single argument is the template to start with.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace clipquill {

// Ask and Notify serve the command line's desktop batch, which starts no
// window of its own: a question in a small window, whose answer is the exit
// status, and the notice at the end with its action that opens the folder.
enum class ProgramRequest { Start, Help, Version, Ask, Notify };

struct ProgramArgs {
  ProgramRequest request = ProgramRequest::Start;
  // For Start: the only argument, the start-up template. Nothing when there
  // are none or several (then the default template is loaded).
  std::optional<std::string> templatePath;
  // For Start: "--clips FILE...", the clips to open the window on (the
  // default template, their folder, them selected).
  std::vector<std::string> clips;
  // For Ask: "--ask KIND BUTTONS TEXT"; for Notify: "--notify SUMMARY BODY
  // FOLDER". The three words after the request.
  std::vector<std::string> words;
};

// Reads the arguments, program name excluded. Only an exact "--help" or
// "--version" standing alone is a request; a template of that name is
// reached as "./--help". "--clips" first with a file or more after it opens
// those clips; "--ask" and "--notify" first with exactly three words after.
ProgramArgs readProgramArgs(const std::vector<std::string>& args);

// The texts printed for the two requests, each ending in a line end.
std::string programHelpText();
std::string programVersionText();

// The first thing the window's program does, before Qt sees argv: prints the
// help or the version on out and returns the exit status, or returns nothing
// when the window is to start.
std::optional<int> answerProgramRequest(int argc, const char* const* argv, std::ostream& out);

}  // namespace clipquill
