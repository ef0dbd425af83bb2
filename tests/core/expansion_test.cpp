// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/expansion.h"
#include "core/preview.h"

#include <gtest/gtest.h>

#include <vector>

namespace clipquill {
namespace {

TEST(PerClipLine, ReplacesBothTokensWithoutRescanning) {
  struct Case {
    std::string line;
    const char* source;
    std::string expected;
  };
  const Case cases[] = {
      {"AVISource(\"<P><F>\")", "C:\\caps\\", "AVISource(\"C:\\caps\\a.avi\")"},
      {"<P><F>", "", "a.avi"},
      {"<F> and <F>", "/s/", "a.avi and a.avi"},  // the same clip twice
      {"<p><f><P", "/s/", "<p><f><P"},            // exact upper-case tokens only
      {"<<P>>", "/s/", "</s/>"},
      {"<P>|<F>", "/<F>/", "/<F>/|a.avi"},  // inserted text is never scanned again
      {std::string("\0<F>\xff\r", 6), "/s/", std::string("\0a.avi\xff\r", 8)},
  };
  for (const auto& c : cases) {
    std::string out = "kept:";  // appends to what is there
    appendPerClipLine(out, c.line, c.source, "a.avi");
    EXPECT_EQ(out, "kept:" + c.expected) << c.line;
  }
}

TEST(WidenLine, InsertsQuotedCopiesInFrontOfTheFirstQuotedReference) {
  struct Case {
    const char* line;
    std::size_t clips;
    const char* expected;
  };
  const Case cases[] = {
      {"AVISource(\"<P><F>\")", 3, "AVISource(\"<P><F>\", \"<P><F>\", \"<P><F>\")"},
      {"# <P>", 3, "\"<P>\", \"<P>\", # <P>"},  // nothing quoted: at the start
      {"DirectShowSource(\"<P>x.avi\")", 3, "DirectShowSource(\"<P>\", \"<P>\", \"<P>x.avi\")"},
      {"a=\"<F>\"", 2, "a=\"<F>\", \"<F>\""},
      {"a=\"<F>\"", 1, "a=\"<F>\""},  // one clip: no widening
      {"Trim(0, 100)", 4, "Trim(0, 100)"},
      // "<P><F>" decides the case even when the first quoted "<P>" is another.
      {"x(\"<P>a\", <P><F>)", 2, "x(\"<P><F>\", \"<P>a\", <P><F>)"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(widenLine(c.line, c.clips), c.expected) << c.line;
}

TEST(JoinedLine, CountsClipsFromTheFirstOnEveryLine) {
  const std::vector<std::string> xy = {"x.avi", "y.avi"};
  std::string out;
  appendJoinedLine(out, "<F>|<F>|<F>", "/s/", xy);  // a surplus reference gets nothing
  appendJoinedLine(out, "|<P><F>", "/s/", xy);
  EXPECT_EQ(out, "x.avi|y.avi||/s/x.avi");
}

// A preview line over the limit keeps its first bytes and its line end, never
// half of a UTF-8 character; lines within it are untouched.
TEST(PreviewScript, CutsLongLinesWholeCharactersFirst) {
  const std::vector<std::string> clips = {"a.avi"};
  const std::vector<std::string> lines = {"<F>23456789", "1234567\xc3\xa9x", "short"};
  const ScriptInputs in{.templateLines = lines,
                        .destText = "/o",
                        .sourceText = "/s",
                        .nameText = "",
                        .selectedClips = clips,
                        .join = false};
  const ScriptPreview cut = previewScript(in, "a.avi", 8);
  EXPECT_EQ(cut.text, "a.avi234\r\n1234567\r\nshort\r\n");
  EXPECT_EQ(cut.cutLines, 2u);
  EXPECT_EQ(previewScript(in, "a.avi").cutLines, 0u);
}

}  // namespace
}  // namespace clipquill
