// SPDX-License-Identifier: GPL-3.0-or-later
// What "Create Script(s)" would write, worked out before it runs: the
// script's name, where it lands, and its bytes, through the very line
// expansion a run writes with.
#pragma once

#include <string>
#include <string_view>

#include "core/generator.h"

namespace clipquill {

struct ScriptPreview {
  std::string scriptFile;  // the name the run gives the script
  std::string path;        // the destination folder and that name
  std::string text;        // the bytes written for in.templateLines
};

// The script a run with in writes for clip in per-clip mode, or its one
// script for in.selectedClips in joined mode (clip unused). Each template
// line becomes one script line of its own, so in.templateLines may be any
// run of the template's lines: text is then exactly what the run writes for
// them. The destination is not checked here; a run refuses an empty one.
ScriptPreview previewScript(const ScriptInputs& in, std::string_view clip);

}  // namespace clipquill
