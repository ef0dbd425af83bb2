// SPDX-License-Identifier: GPL-3.0-or-later
// What "Create Script(s)" would write, worked out before it runs: the
// script's name, where it lands, and its bytes, through the very line
// expansion a run writes with.
#pragma once

#include <cstddef>
#include <optional>
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

// A place in a template: its line and the byte in that line, from 0.
struct TemplatePlace {
  std::size_t line = 0;
  std::size_t byte = 0;
  bool operator==(const TemplatePlace&) const = default;
};

// The template's place that produced the place AviSynth names in the script
// previewScript(in, clip, maxLineBytes) writes: its line `line` and column
// `column`, both from 1, lines ended by CR, LF or a pair of them, columns
// counted in bytes (0: the line's start). A column within what a token
// stands for gives the token's start; one on a line's end, or past it, the
// template line's end. nullopt for a line the script does not have.
std::optional<TemplatePlace> templatePlaceOf(const ScriptInputs& in, std::string_view clip,
                                             int line, int column,
                                             std::size_t maxLineBytes = std::string::npos);

}  // namespace clipquill
