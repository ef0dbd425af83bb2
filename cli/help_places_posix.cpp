// SPDX-License-Identifier: GPL-3.0-or-later
// --help's places on Linux and other POSIX systems: the XDG config folder,
// the installed tree and home folders.
#include "cli/help_places.h"

namespace clipquill::cli {

std::string_view helpTemplateSearch() {
  return R"(TEMPLATE is loaded with its settings file as at the window's start-up; without
it, the first DefaultTemplate.qtpl found in $XDG_CONFIG_HOME/Clipquill/ (or
~/.config/Clipquill/), beside the program, or in ../share/clipquill/ from the
program's folder. The options then fill the fields.
)";
}

std::string_view helpExamples() {
  return R"(  clipquill-cli -s ~/clips -e avi -d ~/scripts Hall.qtpl
  clipquill-cli --join -n all -c a.avi -c b.avi -d out --dry-run Hall.qtpl
)";
}

}  // namespace clipquill::cli
