#include "core/naming.h"

#include <gtest/gtest.h>

namespace clipquill {
namespace {

struct PerClipCase {
  const char* pattern;
  const char* clip;
  const char* script;
  const char* base;
};

TEST(PerClipScriptName, FollowsThePatternRules) {
  const PerClipCase cases[] = {
      {"", "clip one.avi", "clip one.avs", "clip one"},
      {"", "a.b.c.mpg", "a.avs", "a"},  // the base stops at the first dot
      {"", "noext", ".avs", ""},        // no dot: empty base
      {"", ".hidden.avi", ".avs", ""},
      {"*", "x.avi", "x.avs", "x"},
      {"* - 24fps", "HL - Mama.avi", "HL - Mama - 24fps.avs", "HL - Mama"},
      {"pre_*_post", "take 3.avi", "pre_take 3_post.avs", "take 3"},
      {"*_final_cut_version", "a.avi", "a_final_cut_version.avs", "a"},
      {"*-*", "c.avi", "c-*.avs", "c"},  // only the first star is a wild card
      {"Final", "a.avi", "Final.avs", "a"},
      {"Final", "b.avi", "Final.avs", "b"},
      {"x.avs", "a.avi", "x.avs.avs", "a"},
      {"x.AVS", "a.avi", "x.AVS.avs", "a"},
      {"*", "noext", ".avs", ""},
      {"\xe9t\xe9_*", "\xe0 \xfe.avi", "\xe9t\xe9_\xe0 \xfe.avs",
       "\xe0 \xfe"},  // bytes pass unchanged
  };
  for (const auto& c : cases) {
    const PerClipName name = PerClipScriptName(c.pattern, c.clip);
    EXPECT_EQ(name.scriptFile, c.script) << "pattern '" << c.pattern << "' clip '" << c.clip << "'";
    EXPECT_EQ(name.clipBase, c.base) << "clip '" << c.clip << "'";
  }
}

TEST(JoinedScriptName, AddsTheExtensionUnlessPresentAnywhere) {
  const std::pair<const char*, const char*> cases[] = {
      {"Joined Mamas", "Joined Mamas.avs"},
      {"My.avs.bak", "My.avs.bak"},  // a substring test, not a suffix test
      {"", ".avs"},
      {"x.AVS", "x.AVS.avs"},  // case-sensitive
      {"j*", "j*.avs"},        // no wild card in joined mode
      {"all.avs", "all.avs"},
  };
  for (const auto& [text, script] : cases)
    EXPECT_EQ(JoinedScriptName(text), script) << text;
}

}  // namespace
}  // namespace clipquill
