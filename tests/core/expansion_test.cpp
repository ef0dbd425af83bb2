// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/expansion.h"
#include "core/preview.h"

#include <gtest/gtest.h>

#include <optional>
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

// AviSynth names a place in the script; the editor wants the template's.
// Columns count bytes from 1; a byte of what a token stands for goes to the
// token, one of the copies a joined line gets to the reference they copy.
TEST(TemplatePlaceOf, MapsScriptPlacesBackToTheTemplate) {
  const std::vector<std::string> clips = {"a.avi", "bb.avi"};
  using Place = std::optional<TemplatePlace>;
  struct Case {
    bool join;
    int line, column;
    Place expected;
  };
  // Per clip: AVISource("/s/a.avi") / Trim(0, 10)x / a.avi + /s/q
  // Joined:   AVISource("/s/a.avi", "/s/bb.avi") / Trim(0, 10)x / "/s/", a.avi + /s/q
  const Case cases[] = {
      {false, 1, 11, TemplatePlace{0, 10}},  // the quote before the path
      {false, 1, 12, TemplatePlace{0, 11}},  // within the folder: "<P>"
      {false, 1, 17, TemplatePlace{0, 14}},  // within the clip's name: "<F>"
      {false, 1, 20, TemplatePlace{0, 17}},  // right of both tokens, shifted back
      {false, 1, 22, TemplatePlace{0, 19}},  // the line's end
      {false, 1, 400, TemplatePlace{0, 19}},
      {false, 1, 0, TemplatePlace{0, 0}},  // no column: the line's start
      {false, 3, 1, TemplatePlace{2, 0}},
      {false, 3, 12, TemplatePlace{2, 9}},
      {false, 4, 1, std::nullopt},  // past the script's last line
      {false, 0, 1, std::nullopt},
      {true, 1, 13, TemplatePlace{0, 10}},  // the first clip's copy: where it stands
      {true, 1, 21, TemplatePlace{0, 10}},  // its ", "
      {true, 1, 25, TemplatePlace{0, 11}},  // the line's own reference
      {true, 1, 34, TemplatePlace{0, 18}},
      {true, 2, 3, TemplatePlace{1, 2}},
      {true, 3, 3, TemplatePlace{2, 0}},   // a copy put in at the line's start
      {true, 3, 8, TemplatePlace{2, 0}},   // the only "<F>"
      {true, 3, 14, TemplatePlace{2, 4}},  // " + " after it
  };
  const std::string text = "AVISource(\"<P><F>\")\nTrim(0, 10)x\n<F> + <P>q\n";
  for (const auto& c : cases) {
    const ScriptInputs in{.templateLines = TemplateLines(text),
                          .destText = "/o",
                          .sourceText = "/s",
                          .nameText = "",
                          .selectedClips = clips,
                          .join = c.join};
    EXPECT_EQ(templatePlaceOf(in, "a.avi", c.line, c.column), c.expected)
        << "join " << c.join << ", line " << c.line << ", column " << c.column;
  }
}

// Line breaks the template never had: a clip's name or a template line may
// hold one, and AviSynth counts CR, LF and either pair of them as one.
TEST(TemplatePlaceOf, CountsLinesAsAvisynthDoes) {
  using Place = std::optional<TemplatePlace>;
  struct Case {
    std::vector<std::string> lines;
    const char* clip;
    int line, column;
    Place expected;
  };
  const Case cases[] = {
      // a="x / y.avi" / b
      {{"a=\"<F>\"", "b"}, "x\ny.avi", 2, 2, TemplatePlace{0, 3}},
      {{"a=\"<F>\"", "b"}, "x\ny.avi", 2, 6, TemplatePlace{0, 6}},
      {{"a=\"<F>\"", "b"}, "x\ny.avi", 2, 7, TemplatePlace{0, 7}},
      {{"a=\"<F>\"", "b"}, "x\ny.avi", 3, 1, TemplatePlace{1, 0}},
      {{"a=\"<F>\"", "b"}, "x\ny.avi", 4, 1, std::nullopt},
      {{"a=\"<F>\"", "b"}, "x\n\ry.avi", 3, 1, TemplatePlace{1, 0}},  // LF CR: one break
      {{"a=\"<F>\"", "b"}, "x\r\ry.avi", 4, 1, TemplatePlace{1, 0}},  // CR CR: two
      {{"a\rb", "c"}, "", 2, 1, TemplatePlace{0, 2}},
      {{"a\rb", "c"}, "", 3, 1, TemplatePlace{1, 0}},
      {{"a\r", "c"}, "", 3, 1, TemplatePlace{1, 0}},  // CR, then the line's own CR LF
      {{}, "", 1, 1, std::nullopt},
  };
  for (const auto& c : cases) {
    std::string text;
    for (const std::string& line : c.lines)
      text += line + "\n";
    const ScriptInputs in{.templateLines = TemplateLines(text),
                          .destText = "/o",
                          .sourceText = "",
                          .nameText = "",
                          .selectedClips = {},
                          .join = false};
    EXPECT_EQ(templatePlaceOf(in, c.clip, c.line, c.column), c.expected)
        << testing::PrintToString(c.lines) << ", line " << c.line << ", column " << c.column;
  }
}

}  // namespace
}  // namespace clipquill
