#include "core/expansion.h"

#include <gtest/gtest.h>

#include <vector>

namespace clipquill {
namespace {

std::string perClip(std::string_view line, std::string_view source, std::string_view clip) {
  std::string out = "kept:";  // appends, never replaces what is there
  appendPerClipLine(out, line, source, clip);
  EXPECT_EQ(out.substr(0, 5), "kept:");
  return out.substr(5);
}

std::string joined(std::string_view line, std::string_view source,
                   const std::vector<std::string>& clips) {
  std::string out;
  appendJoinedLine(out, widenLine(line, clips.size()), source, clips);
  return out;
}

TEST(PerClipLine, ReplacesBothTokens) {
  struct Case {
    const char* line;
    const char* source;
    const char* clip;
    const char* expected;
  };
  const Case cases[] = {
      {"AVISource(\"<P><F>\")", "C:\\caps\\", "Take 1.avi", "AVISource(\"C:\\caps\\Take 1.avi\")"},
      {"AVISource(\"<P><F>\")", "/caps/", "Take 1.avi", "AVISource(\"/caps/Take 1.avi\")"},
      {"<P><F>", "", "clip.avi", "clip.avi"},
      {"<F> and <F>", "/s/", "a.avi", "a.avi and a.avi"},  // same clip twice
      {"ConvertToYV12()", "/s/", "a.avi", "ConvertToYV12()"},
      {"", "/s/", "a.avi", ""},
      {"<p><f><P", "/s/", "a.avi", "<p><f><P"},  // exact upper-case tokens only
      {"<<P>>", "/s/", "a.avi", "</s/>"},
      {"<P", "/s/", "a.avi", "<P"},
      // Inserted text is never scanned again.
      {"<P>|<F>", "/<F>/", "<P>.avi", "/<F>/|<P>.avi"},
      {"<P<F>", "/s/", "a.avi", "<Pa.avi"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(perClip(c.line, c.source, c.clip), c.expected) << c.line;
  }
  const std::string binary("\0<F>\xff\r", 6);
  EXPECT_EQ(perClip(binary, "/s/", "x"), std::string("\0x\xff\r", 4));
}

TEST(WidenLine, InsertsQuotedCopiesInFrontOfTheFirstQuotedReference) {
  struct Case {
    const char* line;
    std::size_t clips;
    const char* expected;
  };
  const Case cases[] = {
      {"AVISource(\"<P><F>\")", 3, "AVISource(\"<P><F>\", \"<P><F>\", \"<P><F>\")"},
      {"# <P>", 3, "\"<P>\", \"<P>\", # <P>"},  // no quoted reference: at the start
      {"DirectShowSource(\"<P>x.avi\")", 3, "DirectShowSource(\"<P>\", \"<P>\", \"<P>x.avi\")"},
      {"a=\"<F>\"", 2, "a=\"<F>\", \"<F>\""},
      {"a=\"<F>\"", 1, "a=\"<F>\""},  // one clip: no widening
      {"a=\"<F>\"", 0, "a=\"<F>\""},
      {"Trim(0, 100)", 4, "Trim(0, 100)"},
      // "<P><F>" decides the case even when the first quoted "<P>" is another one.
      {"x(\"<P>a\", <P><F>)", 2, "x(\"<P><F>\", \"<P>a\", <P><F>)"},
      // "<P>" outranks "<F>".
      {"f(\"<F>\", \"<P>\")", 2, "f(\"<F>\", \"<P>\", \"<P>\")"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(widenLine(c.line, c.clips), c.expected) << c.line;
}

TEST(JoinedLine, GivesTheKthReferenceTheKthClip) {
  const std::vector<std::string> abc = {"a.avi", "b.avi", "c.avi"};
  EXPECT_EQ(joined("AVISource(\"<P><F>\")", "C:\\scripts\\", abc),
            "AVISource(\"C:\\scripts\\a.avi\", \"C:\\scripts\\b.avi\", \"C:\\scripts\\c.avi\")");
  EXPECT_EQ(joined("# <P>", "C:\\scripts\\", abc),
            "\"C:\\scripts\\\", \"C:\\scripts\\\", # C:\\scripts\\");
  EXPECT_EQ(joined("a=\"<F>\"", "/s/", {"x.avi", "y.avi"}), "a=\"x.avi\", \"y.avi\"");
  EXPECT_EQ(joined("AVISource(\"<P><F>\")", "/s/", {"only.avi"}), "AVISource(\"/s/only.avi\")");
  // Every line counts from the first clip again; surplus references get nothing.
  EXPECT_EQ(joined("<F>|<F>|<F>", "/s/", {"x.avi", "y.avi"}), "\"x.avi\", y.avi||");
  EXPECT_EQ(joined("src(\"<P><F>\") <F>", "/s/", {}), "src(\"/s/\") ");
}

}  // namespace
}  // namespace clipquill
