// SPDX-License-Identifier: GPL-3.0-or-later
// --help's places on Windows: the roaming application data folder, the
// program folder and drive letters.
#include "cli/help_places.h"

namespace clipquill::cli {

std::string_view helpTemplateSearch() {
  return R"(TEMPLATE is loaded with its settings file as at the window's start-up; without
it, the first DefaultTemplate.qtpl found in %APPDATA%\Clipquill\ or beside the
program. The options then fill the fields.
)";
}

std::string_view helpExamples() {
  return R"(  clipquill-cli -s C:\clips -e avi -d C:\scripts Hall.qtpl
  clipquill-cli --join -n all -c a.avi -c b.avi -d out --dry-run Hall.qtpl
)";
}

}  // namespace clipquill::cli
