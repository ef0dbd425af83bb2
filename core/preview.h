// SPDX-License-Identifier: GPL-3.0-or-later
// What "Create Script(s)" would write, worked out before it runs: the
// script's name, where it lands, and its bytes, through the very line
// expansion a run writes with.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/generator.h"

namespace clipquill {

struct ScriptPreview {
  std::string scriptFile;    // the name the run gives the script
  std::string path;          // the destination folder and that name
  std::string text;          // the bytes written for in.templateLines
  std::size_t cutLines = 0;  // lines longer than the limit asked for, cut there
};

// The script a run with in writes for clip in per-clip mode, or its one
// script for in.selectedClips in joined mode (clip unused). Each template
// line becomes one script line of its own, so in.templateLines may be any
// run of the template's lines: text is then exactly what the run writes for
// them. The destination is not checked here; a run refuses an empty one.
// A line longer than maxLineBytes keeps its first maxLineBytes bytes (less
// the part of a UTF-8 character cut there) and its line end.
ScriptPreview previewScript(const ScriptInputs& in, std::string_view clip,
                            std::size_t maxLineBytes = std::string::npos);

}  // namespace clipquill
