// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/naming.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace clipquill {
namespace {

TEST(perClipScriptName, FollowsThePatternRules) {
  struct Case {
    const char* pattern;
    const char* clip;
    const char* script;
    const char* base;
  };
  const Case cases[] = {
      {"", "clip one.avi", "clip one.avs", "clip one"},
      {"", "a.b.c.mpg", "a.avs", "a"},  // the base stops at the first dot
      {"", "noext", ".avs", ""},        // no dot: an empty base
      {"* - 24fps", "HL - Mama.avi", "HL - Mama - 24fps.avs", "HL - Mama"},
      {"pre_*_post", "take 3.avi", "pre_take 3_post.avs", "take 3"},
      {"*-*", "c.avi", "c-*.avs", "c"},  // only the first star is a wild card
      {"Final", "a.avi", "Final.avs", "a"},
      {"x.AVS", "a.avi", "x.AVS.avs", "a"},
      {"\xe9_*", "\xe0\xfe.avi", "\xe9_\xe0\xfe.avs", "\xe0\xfe"},  // bytes pass unchanged
  };
  for (const auto& c : cases) {
    const PerClipName name = perClipScriptName(c.pattern, c.clip);
    EXPECT_EQ(name.scriptFile, c.script) << "pattern '" << c.pattern << "' clip '" << c.clip << "'";
    EXPECT_EQ(name.clipBase, c.base) << c.clip;
  }
}

// The same clips under either rule of where a clip's name ends; a name of
// dots alone names nothing under either.
TEST(perClipScriptName, EndsTheClipsNameAtItsFirstOrLastDot) {
  struct Case {
    const char* clip;
    const char* firstDot;  // the script for the pattern "*"
    const char* lastDot;
  };
  const Case cases[] = {
      {"Show.S01E01.1080p.avi", "Show.avs", "Show.S01E01.1080p.avs"},
      {"episode.01.final.mkv", "episode.avs", "episode.01.final.avs"},
      {"clip one.avi", "clip one.avs", "clip one.avs"},  // one dot: the rules agree
      {"a..b.avi", "a.avs", "a..b.avs"},
      {".hidden.avi", ".avs", ".hidden.avs"},
      {"trailing.", "trailing.avs", "trailing.avs"},
      {"noext", ".avs", ".avs"},
      {"...avi", ".avs", ".avs"},  // dots alone before the extension
      {"..", ".avs", ".avs"},
      {".", ".avs", ".avs"},
      {"", ".avs", ".avs"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(perClipScriptName("*", c.clip, NameEnd::FirstDot).scriptFile, c.firstDot) << c.clip;
    EXPECT_EQ(perClipScriptName("*", c.clip, NameEnd::LastDot).scriptFile, c.lastDot) << c.clip;
    EXPECT_EQ(isNamelessScript(c.lastDot), std::string_view(c.lastDot) == ".avs") << c.clip;
  }
  // A pattern with text of its own names even a nameless clip.
  EXPECT_EQ(perClipScriptName("*_enc", "...avi", NameEnd::LastDot).scriptFile, "_enc.avs");
  EXPECT_FALSE(isNamelessScript("_enc.avs"));
}

TEST(perClipNameClashes, SaysWhenTheLastDotTellsTheClipsApart) {
  struct Case {
    const char* what;
    std::vector<std::string> clips;
    const char* pattern;
    std::size_t clashesFirst;
    std::size_t clashesLast;
    bool hint;
  };
  const Case cases[] = {
      {"episodes", {"Show.S01E01.1080p.avi", "Show.S01E02.1080p.avi"}, "*", 1, 0, true},
      {"containers alone", {"a.avi", "a.mkv"}, "*", 1, 1, false},
      {"one name for all", {"x.1.avi", "x.2.avi"}, "Final", 1, 1, false},
      {"one pair of each kind", {"a.avi", "a.mkv", "Show.1.avi", "Show.2.avi"}, "*_f", 2, 1, true},
      {"all different", {"a.avi", "b.avi"}, "*", 0, 0, false},
  };
  for (const auto& c : cases) {
    const auto first = perClipNameClashes(c.pattern, c.clips, NameEnd::FirstDot);
    EXPECT_EQ(first.size(), c.clashesFirst) << c.what;
    EXPECT_EQ(perClipNameClashes(c.pattern, c.clips, NameEnd::LastDot).size(), c.clashesLast)
        << c.what;
    EXPECT_EQ(lastDotWouldHelp(c.pattern, first), c.hint) << c.what;
  }
}

TEST(joinedScriptName, AddsTheExtensionUnlessPresentAnywhere) {
  const std::pair<const char*, const char*> cases[] = {
      {"Joined Mamas", "Joined Mamas.avs"},
      {"My.avs.bak", "My.avs.bak"},  // a substring test, not a suffix test
      {"", ".avs"},
      {"x.AVS", "x.AVS.avs"},  // case-sensitive
      {"j*", "j*.avs"},        // no wild card in joined mode
  };
  for (const auto& [text, script] : cases)
    EXPECT_EQ(joinedScriptName(text), script) << text;
}

}  // namespace
}  // namespace clipquill
