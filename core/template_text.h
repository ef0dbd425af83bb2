// SPDX-License-Identifier: GPL-3.0-or-later
// A template's lines as one value, and the rules that read lines out of text:
// a template file's bytes, the editor's text, the text as the editor shows
// it. Bytes pass through unchanged, whatever their encoding; only line ends
// and the Ctrl-Z end-of-file mark are read. Storing them is persist/'s.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/template_lines.h"

namespace clipquill {

// A template's lines in one buffer, each followed by "\n": a template of
// millions of short lines costs its bytes, not a string per line. A line
// never holds a "\n"; one given with it becomes two lines, as an editor would
// show it.
class TemplateText {
 public:
  TemplateText() = default;
  explicit TemplateText(const std::vector<std::string>& lines);
  // A copy of lines that lie in another buffer.
  explicit TemplateText(TemplateLines lines) : text_(lines.text()) {}

  // The lines of a template file's bytes, by the rule of parseTemplate. The
  // bytes are worked on in place, so reading costs no second copy of them.
  static TemplateText parse(std::string bytes);
  // The lines of the editor's text, by the rule of editorLines.
  static TemplateText fromEditor(std::string_view text);
  // The lines of the text as the window's editor shows a template, by the
  // rule of shownEditorLines.
  static TemplateText fromShown(std::string_view text);

  bool empty() const { return text_.empty(); }
  std::size_t lineCount() const { return lines().lineCount(); }
  // The lines as they lie in the buffer, valid while it is unchanged.
  TemplateLines lines() const { return TemplateLines(text_); }
  // Calls visit with each line in order.
  template <class Visit>
  void forEachLine(Visit&& visit) const {
    for (const std::string_view line : lines())
      visit(line);
  }
  // The lines, each followed by "\n".
  const std::string& text() const { return text_; }

  bool operator==(const TemplateText&) const = default;

 private:
  std::string text_;
};

// The lines of a template file's bytes. A line ends at LF, with or without a
// CR before it; a CR anywhere else is dropped, as if it were not there. A
// line end at the very end makes no extra empty line. Ctrl-Z (0x1A) marks the
// end of the file: at a line's start it ends the file; inside a line it ends
// that line's text and the rest of its physical line is skipped, unless a
// second Ctrl-Z in that rest ends the file. Lines have no length limit.
std::vector<std::string> parseTemplate(std::string_view bytes);

// The lines of the editor's text: pieces between "\n" or "\r\n" line ends.
// A text ending in a line end has no empty line after it; "" has no lines.
std::vector<std::string> editorLines(std::string_view text);

// The lines of the text as the window's editor shows a template: its lines
// joined by "\n", with no line end after the last. Every piece is a line, so
// an empty last line is one too (the text ends in a line end then); only ""
// has no lines. Read back this way, lines come back as they were shown.
std::vector<std::string> shownEditorLines(std::string_view text);

}  // namespace clipquill
