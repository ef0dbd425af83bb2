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
// half of a UTF-8 character: the whole script's lines, cut, whatever the
// tokens grow or shrink to, per clip and joined.
TEST(PreviewScript, CutsLongLinesAsTheWholeScriptWouldRead) {
  const std::vector<std::string> clips = {"a.avi", "bb.avi"};
  const std::string lines =
      "AVISource(\"<P><F>\")\n<P><P><P><P><P>x<F>y\n1234567\xc3\xa9x\nshort\n\n";
  for (const bool join : {false, true}) {
    const ScriptInputs in{.templateLines = TemplateLines(lines),
                          .destText = "/o",
                          .sourceText = "",
                          .nameText = "",
                          .selectedClips = clips,
                          .join = join};
    const ScriptPreview whole = previewScript(in, "a.avi");
    EXPECT_EQ(whole.cutLines, 0u);
    for (std::size_t limit = 0; limit < 40; ++limit) {
      std::string expected;
      std::size_t cut = 0;
      std::string_view rest = whole.text;
      for (std::size_t end; (end = rest.find("\r\n")) != std::string_view::npos;
           rest.remove_prefix(end + 2)) {
        std::size_t keep = std::min(end, limit);
        while (keep < end && keep > 0 && (static_cast<unsigned char>(rest[keep]) & 0xC0) == 0x80)
          --keep;
        cut += keep < end ? 1 : 0;
        expected.append(rest.substr(0, keep)).append("\r\n");
      }
      const ScriptPreview shown = previewScript(in, "a.avi", limit);
      EXPECT_EQ(shown.text, expected) << "join " << join << ", limit " << limit;
      EXPECT_EQ(shown.cutLines, cut) << "join " << join << ", limit " << limit;
    }
  }
}

}  // namespace
}  // namespace clipquill
