// SPDX-License-Identifier: GPL-3.0-or-later
// What becomes of one template line in a script: the joined mode's widening
// of clip references, and the replacement of the "<P>" and "<F>" tokens.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace clipquill {

// Appends the line with every "<P>" replaced by sourceDir and every "<F>" by
// clip. Inserted text is never scanned for tokens.
void appendPerClipLine(std::string& out, std::string_view line, std::string_view sourceDir,
                       std::string_view clip);

// Appends the line with every "<P>" replaced by sourceDir and the k-th "<F>"
// by the k-th clip. An "<F>" beyond the last clip is replaced by nothing.
// At most limit bytes are appended.
void appendJoinedLine(std::string& out, std::string_view line, std::string_view sourceDir,
                      std::span<const std::string> clips,
                      std::size_t limit = std::string_view::npos);

// The line widened for a joined script of clipCount clips: the first clip
// reference ("<P><F>", else "<P>", else "<F>") is repeated, quoted and
// followed by ", ", clipCount - 1 times in front of its first quoted
// occurrence, or at the start of the line when no occurrence is quoted.
// Lines are unchanged for fewer than two clips or without tokens.
std::string widenLine(std::string_view line, std::size_t clipCount);

// One template line as a script holds it, its CR LF included: per clip, every
// "<F>" is clips' only entry; joined, the line is widened for all of clips
// first. A run and its preview both write lines through here; the preview
// asks for at most limit bytes of a line, which it then cuts, so that a line
// of megabytes costs it no more than that.
void appendScriptLine(std::string& out, std::string_view line, std::string_view sourceDir,
                      std::span<const std::string> clips, bool join,
                      std::size_t limit = std::string_view::npos);

// Where byte `at` of the line's expansion by appendScriptLine (its line end
// left out) comes from in the line: a byte of what a token stands for comes
// from the token's start, and in a joined line a byte of the copies the
// widening put in from the reference they stand in front of. Past the
// expansion's end: the line's end.
std::size_t templateOffsetOf(std::string_view line, std::string_view sourceDir,
                             std::span<const std::string> clips, bool join, std::size_t at);

}  // namespace clipquill
