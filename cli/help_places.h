// SPDX-License-Identifier: GPL-3.0-or-later
// What --help says of this system's places: where the default template is
// looked for, and examples with this system's own paths, so that a Windows
// user is shown "C:\clips" and a Linux user "~/clips"
// (help_places_posix.cpp, help_places_win32.cpp).
#pragma once

#include <string_view>

namespace clipquill::cli {

// The paragraph on the template loaded, each line ended by "\n".
std::string_view helpTemplateSearch();
// The examples, each line indented and ended by "\n".
std::string_view helpExamples();

}  // namespace clipquill::cli
