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

enum class ProgramRequest { Start, Help, Version };

struct ProgramArgs {
  ProgramRequest request = ProgramRequest::Start;
  // For Start: the only argument, the start-up template. Nothing when there
  // are none or several (then the default template is loaded).
  std::optional<std::string> templatePath;
};

// Reads the arguments, program name excluded. Only an exact "--help" or
// "--version" standing alone is a request; a template of that name is
// reached as "./--help".
ProgramArgs readProgramArgs(const std::vector<std::string>& args);

// The texts printed for the two requests, each ending in a line end.
std::string programHelpText();
std::string programVersionText();

// The first thing the window's program does, before Qt sees argv: prints the
// help or the version on out and returns the exit status, or returns nothing
// when the window is to start.
std::optional<int> answerProgramRequest(int argc, const char* const* argv, std::ostream& out);

}  // namespace clipquill
