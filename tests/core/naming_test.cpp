// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/naming.h"

#include <gtest/gtest.h>

namespace clipquill {
namespace {

TEST(PerClipScriptName, FollowsThePatternRules) {
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
    const PerClipName name = PerClipScriptName(c.pattern, c.clip);
    EXPECT_EQ(name.scriptFile, c.script) << "pattern '" << c.pattern << "' clip '" << c.clip << "'";
    EXPECT_EQ(name.clipBase, c.base) << c.clip;
  }
}

TEST(JoinedScriptName, AddsTheExtensionUnlessPresentAnywhere) {
  const std::pair<const char*, const char*> cases[] = {
      {"Joined Mamas", "Joined Mamas.avs"},
      {"My.avs.bak", "My.avs.bak"},  // a substring test, not a suffix test
      {"", ".avs"},
      {"x.AVS", "x.AVS.avs"},  // case-sensitive
      {"j*", "j*.avs"},        // no wild card in joined mode
  };
  for (const auto& [text, script] : cases)
    EXPECT_EQ(JoinedScriptName(text), script) << text;
}

}  // namespace
}  // namespace clipquill
