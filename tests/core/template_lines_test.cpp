// SPDX-License-Identifier: GPL-3.0-or-later
// The view a run reads a template's buffer through: every line in order,
// empty ones included, and any run of lines cut out without a copy.
#include "core/template_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace clipquill {
namespace {

using Lines = std::vector<std::string>;

Lines linesOf(TemplateLines view) {
  return {view.begin(), view.end()};
}

TEST(TemplateLines, YieldsEachLineWithoutItsEnd) {
  const struct {
    std::string text;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"\n", {""}},
      {"a\n", {"a"}},
      {"a\n\nb\n", {"a", "", "b"}},
      {"a\r\n", {"a\r"}},  // a CR is the line's own
      {std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
      {"a\nb", {"a", "b"}},  // a last line without its end is a line still
  };
  for (const auto& c : cases) {
    const TemplateLines view(c.text);
    EXPECT_EQ(linesOf(view), c.lines) << ::testing::PrintToString(c.text);
    EXPECT_EQ(view.lineCount(), c.lines.size()) << ::testing::PrintToString(c.text);
    EXPECT_EQ(view.empty(), c.lines.empty());
  }
  EXPECT_EQ(linesOf(TemplateLines()), Lines{});
}

TEST(TemplateLines, ASliceIsTheLinesAskedForWithinTheText) {
  const std::string text = "0\n\n2\n3\n";
  const struct {
    std::size_t first, count;
    std::string sliced;
  } cases[] = {
      {0, 0, ""},
      {1, 2, "\n2\n"},
      {2, 100, "2\n3\n"},
      {100, 100, ""},
      {0, static_cast<std::size_t>(-1), text},
  };
  for (const auto& c : cases) {
    const TemplateLines slice = TemplateLines(text).slice(c.first, c.count);
    EXPECT_EQ(slice.text(), c.sliced) << c.first << " " << c.count;
    // A slice lies in the text it was cut from.
    if (!c.sliced.empty()) {
      EXPECT_GE(slice.text().data(), text.data());
      EXPECT_LE(slice.text().data() + slice.text().size(), text.data() + text.size());
    }
  }
}

}  // namespace
}  // namespace clipquill
