// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/platform/program_args.h"

#include <ostream>

#include "core/constants.h"

namespace clipquill {

ProgramArgs readProgramArgs(const std::vector<std::string>& args) {
  ProgramArgs parsed;
  if (args.size() >= 2 && args.front() == "--clips") {
    parsed.clips.assign(args.begin() + 1, args.end());
    return parsed;
  }
  if (args.size() == 4 && (args.front() == "--ask" || args.front() == "--notify")) {
    parsed.request = args.front() == "--ask" ? ProgramRequest::Ask : ProgramRequest::Notify;
    parsed.words.assign(args.begin() + 1, args.end());
    return parsed;
  }
  if (args.size() != 1) return parsed;
  if (args.front() == "--help") {
    parsed.request = ProgramRequest::Help;
  } else if (args.front() == "--version") {
    parsed.request = ProgramRequest::Version;
  } else {
    parsed.templatePath = args.front();
  }
  return parsed;
}

std::string programHelpText() {
  return R"(Usage: clipquill [TEMPLATE]
       clipquill --clips FILE...
Write AviSynth scripts in bulk from a template, in a window.

TEMPLATE is the template to start with, loaded with its settings file. Without
it, )" + std::string(kDefaultTemplate) +
         R"( is loaded from your own folder, else from beside the
program, or else from the data folder of the installed copy
(../share/clipquill/ from the program).

--clips FILE... opens the window on the default template with the clips'
folder as the source and those clips selected (their extensions ticked in
Filter By for this session); nothing is written until you create the scripts.
The file manager's "Open in Clipquill" starts it so.

  --help      print this help and exit
  --version   print the version and exit

A template named like one of these is opened as ./--help.
The same work without a window: clipquill-cli --help.
)";
}

std::string programVersionText() {
  return "clipquill " + std::string(kVersion) + "\n";
}

std::optional<int> answerProgramRequest(int argc, const char* const* argv, std::ostream& out) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i)
    args.emplace_back(argv[i] ? argv[i] : "");
  switch (readProgramArgs(args).request) {
    case ProgramRequest::Help:
      out << programHelpText() << std::flush;
      break;
    case ProgramRequest::Version:
      out << programVersionText() << std::flush;
      break;
    case ProgramRequest::Start:
    case ProgramRequest::Ask:
    case ProgramRequest::Notify:
      return std::nullopt;
  }
  // A closed or full standard output is a failure, as for any tool.
  return out ? 0 : 1;
}

}  // namespace clipquill
