// SPDX-License-Identifier: GPL-3.0-or-later
// AviSynth's error texts as its parser and evaluator write them, and file
// names that look like a place themselves.
#include <gtest/gtest.h>

#include "check/script_check.h"
#include "check/script_error.h"

namespace clipquill {
namespace {

struct LocateCase {
  const char* name;
  std::string text;
  std::string script;
  std::string message;
  int line;
  int column;
};

// The case's name, so that CTest's test names stay short and the same each run.
void PrintTo(const LocateCase& c, std::ostream* out) {
  *out << c.name;
}

class LocateScriptErrorTest : public ::testing::TestWithParam<LocateCase> {};

TEST_P(LocateScriptErrorTest, FindsThePlaceInTheCheckedScript) {
  const LocateCase& c = GetParam();
  LocatedError e = locateScriptError(c.text, c.script);
  EXPECT_EQ(e.message, c.message);
  EXPECT_EQ(e.line, c.line);
  EXPECT_EQ(e.column, c.column);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LocateScriptErrorTest,
    ::testing::Values(
        LocateCase{"ParseError", "Script error: expected a , or )\n(/s/q.avs, line 2, column 21)",
                   "/s/q.avs", "Script error: expected a , or )", 2, 21},
        LocateCase{"RunTimeErrorHasNoColumn",
                   "There is no function named 'Nope'.\n(/s/a.avs, line 3)", "/s/a.avs",
                   "There is no function named 'Nope'.", 3, 0},
        // An error inside an imported file: the place is the Import line,
        // the imported file's line goes into the message.
        LocateCase{"InsideAnImport",
                   "I don't know what 'x' means.\n(/c/a.avsi, line 1)\n(/s/a.avs, line 4)",
                   "/s/a.avs", "I don't know what 'x' means. (in /c/a.avsi, line 1)", 4, 0},
        // A name may hold a newline, a parenthesis and a place of its own.
        LocateCase{"NameLooksLikeAPlace", "boom\n(/s/x, line 9)\n(y.avs, line 2, column 5)",
                   "/s/x, line 9)\n(y.avs", "boom", 2, 5},
        LocateCase{"NameWithCommasAndParens", "boom\n(/s/a (1), b.avs, line 7)", "/s/a (1), b.avs",
                   "boom", 7, 0},
        LocateCase{"MultiLineMessageBecomesOneLine", "first\nsecond\r\n(/s/a.avs, line 1)\n",
                   "/s/a.avs", "first second", 1, 0},
        LocateCase{"NoPlace", "Import: couldn't open \"/s/gone.avs\"", "/s/gone.avs",
                   "Import: couldn't open \"/s/gone.avs\"", 0, 0},
        // Only the checked script's place counts as its line.
        LocateCase{"PlaceInAnotherFileOnly", "bad\n(/c/a.avsi, line 5, column 2)", "/s/a.avs",
                   "bad (in /c/a.avsi, line 5)", 0, 0},
        LocateCase{"NotAPlace", "value (line 3)", "/s/a.avs", "value (line 3)", 0, 0},
        LocateCase{"HugeNumberIsNoPlace", "x\n(/s/a.avs, line 99999999999)", "/s/a.avs",
                   "x (/s/a.avs, line 99999999999)", 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseScriptErrorTest, KeepsEveryPlaceInnermostFirst) {
  ScriptErrorText e = parseScriptError("m\n(/a, line 1, column 3)\n(/b, line 2)\n(/c, line 3)");
  EXPECT_EQ(e.message, "m");
  ASSERT_EQ(e.places.size(), 3u);
  EXPECT_EQ(e.places[0].file, "/a");
  EXPECT_EQ(e.places[0].column, 3);
  EXPECT_EQ(e.places[2].file, "/c");
  EXPECT_EQ(e.places[2].line, 3);
}

TEST(FormatCheckLineTest, LeavesOutWhatIsUnknown) {
  EXPECT_EQ(formatCheckLine("a.avs", {CheckStatus::Failed, "bad", 2, 21}), "a.avs:2:21: bad");
  EXPECT_EQ(formatCheckLine("a.avs", {CheckStatus::Failed, "bad", 2, 0}), "a.avs:2: bad");
  EXPECT_EQ(formatCheckLine("a.avs", {CheckStatus::TimedOut, "timed out after 10 s", 0, 0}),
            "a.avs: timed out after 10 s");
}

TEST(SummarizeChecksTest, CountsAndNamesTheFirstFailure) {
  const std::vector<std::string> names = {"a.avs", "b.avs", "c.avs"};
  const ScriptCheck good;
  const ScriptCheck quote{CheckStatus::Failed, "Script error: expected a , or )", 1, 21};
  const ScriptCheck slow{CheckStatus::TimedOut, "timed out after 10 s", 0, 0};
  struct Case {
    std::vector<ScriptCheck> checks;
    std::string summary;
  };
  for (const Case& c : std::vector<Case>{
           {{good}, "AviSynth+: 1 script good"},
           {{good, good, good}, "AviSynth+: 3 scripts good"},
           {{good, quote, slow},
            "AviSynth+: 2 of 3 scripts failed; b.avs: line 1, column 21: Script error: expected a "
            ", or )"},
           {{slow}, "AviSynth+: 1 of 1 script failed; a.avs: timed out after 10 s"},
       }) {
    EXPECT_EQ(summarizeChecks(names, c.checks), c.summary);
  }
  EXPECT_EQ(describeCheck(quote), "AviSynth+: line 1, column 21: Script error: expected a , or )");
  EXPECT_EQ(describeCheck(good), "AviSynth+: good");
}

}  // namespace
}  // namespace clipquill
