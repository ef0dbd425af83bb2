// SPDX-License-Identifier: GPL-3.0-or-later
// The line rules: a template file's bytes, the editor's text and the text as
// the editor shows it, each read into lines.
#include "core/template_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace clipquill {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

TEST(TemplateTextTest, ReadsLinesByTheRule) {
  const struct {
    std::string bytes;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"\r\n", {""}},
      {"\n\n", {"", ""}},
      {"abc", {"abc"}},
      {"abc\r\n", {"abc"}},
      {"a\nb\r\nc\n", {"a", "b", "c"}},
      {"a\rb\r\r\n\rc\r", {"ab", "c"}},  // lone CRs vanish
      {"\r", {}},
      {"ab\x1A"s + "cd\r\nef", {"ab", "ef"}},
      {"\r\n\x1A"s + "xyz", {""}},
      {"\x1A"s + "abc\ndef", {}},
      {"ab\n\r\x1A"s + "cd\nef", {"ab"}},  // a dropped CR does not start the line
      {"ab\x1A\ncd", {"ab", "cd"}},
      {"\x1A"s, {}},
      {"ab\x1A"s + "c\x1A" + "d\nef", {"ab"}},  // a second mark while skipping
      {"ab\x1A"s + "c\r\x1A\r\n", {"ab"}},
      {"ab\x1A", {"ab"}},
      {"a\0b\n\0\n"s, {"a\0b"s, "\0"s}},
      {"caf\xe9\n\xff\xfe\x80\n", {"caf\xe9", "\xff\xfe\x80"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(parseTemplate(c.bytes), c.lines) << ::testing::PrintToString(c.bytes);
}

TEST(TemplateTextTest, SplitsTheEditorTextAtItsLineEnds) {
  const struct {
    std::string text;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"\n", {""}},
      {"abc\n", {"abc"}},
      {"abc", {"abc"}},
      {"a\r\nb\n\nc", {"a", "b", "", "c"}},
      {"a\r\n\r\n", {"a", ""}},
      {"a\rb", {"a\rb"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(editorLines(c.text), c.lines) << ::testing::PrintToString(c.text);
}

// The window shows a template's lines joined by line ends, none after the
// last; read back, every line comes back, the empty first, last and only
// ones included.
TEST(TemplateTextTest, TheEditorsShownLinesComeBackAsShown) {
  const Lines cases[] = {
      {},
      {""},
      {"", ""},
      {"", "a"},
      {"a", ""},
      {"", "a", ""},
      {"A <F> \xe9t\xe9", ""},
      {"a", "", "b"},
  };
  for (const Lines& lines : cases) {
    std::string shown;
    for (std::size_t i = 0; i < lines.size(); ++i)
      shown += (i ? "\n" : "") + lines[i];
    // An empty editor has no lines: a template of one empty line shows as
    // one, and comes back as none.
    const Lines expected = lines == Lines{""} ? Lines{} : lines;
    EXPECT_EQ(shownEditorLines(shown), expected) << ::testing::PrintToString(lines);
  }
  EXPECT_EQ(shownEditorLines("a\r\n\r\n"), (Lines{"a", "", ""}));
}

}  // namespace
}  // namespace clipquill
