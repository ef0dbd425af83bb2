// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's reading of AviSynth text: where the caret is in which call,
// what is offered there, and which names are marked. "|" in a case's text
// stands for the caret.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/avs_script_scan.h"

namespace clipquill {
namespace {

struct Caret {
  std::string text;
  std::size_t at;
};
Caret caret(std::string marked) {
  const std::size_t at = marked.find('|');
  marked.erase(at, 1);
  return {marked, at};
}

FunctionIndex testIndex() {
  const auto f = [](const char* name, const char* source, const char* signature) {
    return AvsFunction{name, source, signature, parseAvsParams(signature)};
  };
  return FunctionIndex({
      f("BlankClip", "internal", "[]c*[length]i[width]i[height]i[pixel_type]s"),
      f("Blur", "internal", "cf[amountV]f"),
      f("Trim", "internal", "cii[length]b"),
      f("Trim", "internal", "ci[end]i"),
      f("StackHorizontal", "internal", "cc+"),
      f("FFVideoSource", "/p/libffms2.so", "[source]s[track]i[width]i"),
      f("libffms2_FFVideoSource", "/p/libffms2.so", "[source]s[track]i[width]i"),
      f("Broken", "/p/bad.so", "c[oops"),
  });
}

TEST(StatementStart, FollowsLineJoins) {
  const struct {
    const char* text;
    const char* expectedFrom;  // the statement's text from its start
    std::size_t limit;
  } cases[] = {
      {"a\nBlur(1|)", "Blur(1", 1000},
      {"a\nBlur(1, \\\n  2|)", "Blur(1, \\\n  2", 1000},
      {"a\nBlur(1,\n\\ 2|)", "Blur(1,\n\\ 2", 1000},
      {"x=1\n\nBlur(|", "Blur(", 1000},
      {"Blur(1, 2, 3|", ", 2, 3", 6},  // bounded on a long line
  };
  for (const auto& c : cases) {
    const Caret k = caret(c.text);
    EXPECT_EQ(k.text.substr(statementStart(k.text, k.at, c.limit),
                            k.at - statementStart(k.text, k.at, c.limit)),
              c.expectedFrom)
        << c.text;
  }
}

TEST(CallAtCaret, FollowsCommasNestedCallsAndStrings) {
  const struct {
    const char* text;
    const char* function;  // "" for no call
    std::size_t argument;
    const char* named;
  } cases[] = {
      {"Blur(|", "Blur", 0, ""},
      {"Blur(1, |", "Blur", 1, ""},
      {"Blur(1, Trim(2, 3), |", "Blur", 2, ""},
      {"Blur(1, Trim(2, |", "Trim", 1, ""},
      {"Blur(1, (2 + 3), |", "Blur", 2, ""},
      {"Blur(\"a, b\", |", "Blur", 1, ""},
      {"Blur(\"a, (b\", |", "Blur", 1, ""},
      {"Blur(\"\"\"a, \"b\", (c\"\"\", |", "Blur", 1, ""},
      {"Blur(e\"a\\\", b\", |", "Blur", 1, ""},
      {"Blur(\"a, |", "Blur", 0, ""},  // inside the string: still its argument
      {"Blur(1) |", "", 0, ""},
      {"Blur(1 # a, b\n|", "Blur", 0, ""},
      {"BlankClip(width=|", "BlankClip", 0, "width"},
      {"BlankClip(1, height = 2|", "BlankClip", 1, "height"},
      {"BlankClip(x == |", "BlankClip", 0, ""},
      {"c.Trim(1, |", "Trim", 1, ""},
      {"|", "", 0, ""},
  };
  for (const auto& c : cases) {
    const Caret k = caret(c.text);
    const auto call = callAtCaret(k.text, k.at);
    if (*c.function == '\0') {
      EXPECT_FALSE(call) << c.text;
      continue;
    }
    ASSERT_TRUE(call) << c.text;
    EXPECT_EQ(call->function, c.function) << c.text;
    EXPECT_EQ(call->argument, c.argument) << c.text;
    EXPECT_EQ(call->namedArgument, c.named) << c.text;
  }
}

TEST(DefinedNames, FunctionsAndGlobalAndTopLevelVariables) {
  const DefinedNames names = definedNames(
      "function MyFilter(clip c, int \"x\") {\n  inner = 1\n  global g1 = 2\n  return c\n}\n"
      "src = FFVideoSource(<P>)\n# fake = 1\ns = \"y = 2\"\nif (a == b) { }\nglobal G2=3\n"
      "Function other() { }\n");
  EXPECT_EQ(names.functionNames, (std::vector<std::string>{"MyFilter", "other"}));
  EXPECT_EQ(names.variableNames, (std::vector<std::string>{"g1", "src", "s", "G2"}));
  EXPECT_TRUE(names.functions.contains("myfilter"));
  EXPECT_TRUE(names.variables.contains("g2"));
}

std::vector<std::string> texts(const std::vector<Completion>& list) {
  std::vector<std::string> out;
  for (const Completion& c : list)
    out.push_back(c.text);
  return out;
}

TEST(CompletionsAt, OffersByPrefixWithoutCaseAndNamedParametersInCalls) {
  const FunctionIndex index = testIndex();
  const DefinedNames own = definedNames("function BlurMore(clip c) { c }\nblurred = 1\n");
  using V = std::vector<std::string>;
  const struct {
    const char* text;
    bool explicitly;
    V expected;
  } cases[] = {
      {"b|", false, V{}},  // one letter: not yet
      {"bl|", false, V{"BlankClip", "Blur", "BlurMore", "blurred"}},
      {"BLU|", false, V{"Blur", "BlurMore", "blurred"}},
      {"b|", true, V{"BlankClip", "Blur", "Broken", "BlurMore", "blurred"}},
      {"ffv|", false, V{"FFVideoSource"}},
      {"lib|", false, V{"libffms2_FFVideoSource"}},
      {"Trim|", false, V{"Trim"}},  // two overloads, one entry
      {"BlankClip(wi|", false, V{"width="}},
      {"BlankClip(1, he|", false, V{"height="}},
      {"BlankClip(1, 2 + he|", false, V{}},  // not at an argument's start
      {"FFVideoSource(tr|", false, V{"track=", "Trim"}},
      {"c.Bl|", false, V{"BlankClip", "Blur", "BlurMore"}},  // methods: no variables
      {"\"bl|", false, V{}},
      {"# bl|", false, V{}},
      {"<|", false, V{"P>", "F>"}},
      {"<P|", false, V{"P>"}},
      {"|", true,
       V{"BlankClip", "Blur", "Broken", "FFVideoSource", "libffms2_FFVideoSource",
         "StackHorizontal", "Trim", "BlurMore", "blurred", "<P>", "<F>"}},
  };
  for (const auto& c : cases) {
    const Caret k = caret(c.text);
    EXPECT_EQ(texts(completionsAt(k.text, k.at, index, own, c.explicitly)), c.expected) << c.text;
  }
}

TEST(CompletionsAt, ShowsEachFunctionsSource) {
  const Caret k = caret("FFV|");
  const auto list = completionsAt(k.text, k.at, testIndex(), {}, false);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].detail, "libffms2.so");
}

TEST(CallTipAt, MarksTheParameterAtTheCaret) {
  const FunctionIndex index = testIndex();
  const struct {
    const char* text;
    const char* tip;     // "" for none
    const char* marked;  // the marked part of the tip
  } cases[] = {
      {"Blur(|", "Blur(clip, float, float amountV)", "clip"},
      {"Blur(c, |", "Blur(clip, float, float amountV)", "float"},
      {"Blur(c, 1, amountV=|", "Blur(clip, float, float amountV)", "float amountV"},
      {"Blur(Trim(1, 2), \"x, y\", |", "Blur(clip, float, float amountV)", "float amountV"},
      {"Blur(c, Trim(1, |", "Trim(clip, int, int, bool length)\nTrim(clip, int, int end)", "int"},
      {"StackHorizontal(a, b, c, |", "StackHorizontal(clip, clip+)", "clip+"},
      {"Blur(c, 1, 2, 3, |", "Blur(clip, float, float amountV)", ""},
      {"Broken(|", "", ""},
      {"Unknown(|", "", ""},
      {"Blur(1)|", "", ""},
  };
  for (const auto& c : cases) {
    const Caret k = caret(c.text);
    const auto tip = callTipAt(k.text, k.at, index);
    if (*c.tip == '\0') {
      EXPECT_FALSE(tip) << c.text;
      continue;
    }
    ASSERT_TRUE(tip) << c.text;
    EXPECT_EQ(tip->text, c.tip) << c.text;
    EXPECT_EQ(tip->text.substr(tip->markStart, tip->markEnd - tip->markStart), c.marked) << c.text;
  }
}

TEST(UnknownNames, MarksTyposButNeverOwnNamesStringsCommentsOrMethods) {
  const FunctionIndex index = testIndex();
  const struct {
    const char* text;
    std::vector<std::string> marked;  // the marked names, in order
  } cases[] = {
      {"FFVideoSourse(\"a.mkv\")", {"FFVideoSourse"}},
      {"ffvideosource(\"a.mkv\")", {}},
      {"FFVideoSource(\"a.mkv\", widht=640)", {"widht"}},
      {"FFVideoSource(\"a.mkv\", width=640, track = 1)", {}},
      {"FFVideoSource(source = \"x\", Trim(c, length=true))", {}},
      {"Trim(c, 1, end=2)", {}},  // the second overload's
      {"Trim(c, 1, finish=2)", {"finish"}},
      {"Broken(c, anything=1)", {}},  // no parameters known: not ours to say
      {"function Mine(clip c) { Blur(c, 1) }\nMine(last, x=1)", {}},
      {"\"Nothing(1)\" # Nothing(2)\n/* Nothing(3) */ [* [* Nothing(4) *] *]", {}},
      {"\"\"\"Nothing(\"1\")\"\"\"", {}},
      {"c.Nothing(1).Trim(1, 2)", {}},
      {"if (x) { y = 1 } else { z = 2 }\nwhile (false) { }", {}},
      {"BlankClip(width=1 == 2)", {}},
      {"Blur(c,\n  Nothing(1))", {"Nothing"}},
      {"Blur(c, \\\n  amount=1)", {"amount"}},
      {"Blur(c, x == 1, Blrr(1))", {"Blrr"}},
      {"$FF0000 + Nothing2(1)", {"Nothing2"}},
  };
  for (const auto& c : cases) {
    const std::string text = c.text;
    std::vector<std::string> marked;
    for (const NameMark& m : unknownNames(text, index, definedNames(text), "AviSynth+ 3.7.5"))
      marked.push_back(text.substr(m.start, m.length));
    EXPECT_EQ(marked, c.marked) << c.text;
  }
}

TEST(UnknownNames, SaysWhatIsMissingAndTheNearestName) {
  const std::string text = "FFVideoSourse(\"a\", widht=1)\nFFVideoSource(\"a\", widht=1)";
  const auto marks = unknownNames(text, testIndex(), {}, "AviSynth+ 3.7.5 with the plugins of /p");
  ASSERT_EQ(marks.size(), 2u);
  EXPECT_EQ(marks[0].message,
            "AviSynth+ 3.7.5 with the plugins of /p has no function FFVideoSourse; did you mean "
            "FFVideoSource?");
  EXPECT_EQ(marks[1].message, "FFVideoSource has no parameter widht; did you mean width?");
  EXPECT_TRUE(unknownNames(text, FunctionIndex(), {}, "x").empty()) << "no table: no marks";
}

}  // namespace
}  // namespace clipquill
