// SPDX-License-Identifier: GPL-3.0-or-later
// What the model keeps of "Create Script(s)" beside running it: the preview
// of the script it would write now, and the sum of the last run.
#pragma once

#include <cstddef>
#include <string>

#include "core/generator.h"
#include "core/preview.h"

namespace clipquill {

// The preview of "Create Script(s)": the script it would write now, for a
// run of the template's lines. A line is shown up to this many bytes: the
// pane lays out each line whole, and nobody reads megabytes of one line.
inline constexpr std::size_t kPreviewLineBytes = 64 * 1024;

struct TemplatePreview {
  ScriptPreview script;  // its name, where it lands, its bytes for the lines asked for,
                         // each cut at kPreviewLineBytes
  bool exists = false;   // a file is there already: the run would ask before replacing it
  bool clash = false;    // another selected clip gets the same script name
  std::string note;      // empty when the run would write this script; else why it would not
  std::size_t firstLine = 0;
};

// The last "Create Script(s)", as the window sums it up.
struct LastRun {
  RunOutcome outcome = RunOutcome::Completed;
  RunReport report;
  std::string folder;  // the destination folder written to
  std::string error;   // the error that ended the run, if one did
};

}  // namespace clipquill
