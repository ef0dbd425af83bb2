// SPDX-License-Identifier: GPL-3.0-or-later
#include "clips/wildcard.h"

#include <gtest/gtest.h>

#include <string>

namespace clipquill {
namespace {

struct MatchCase {
  const char* pattern;
  std::string name;
  bool matches;
};

TEST(WildcardPattern, MatchesWholeNamesByTheWildCardRules) {
  const MatchCase cases[] = {
      {"*.avi", "clip 1.avi", true},
      {"*.avi", "clip 1.avi.bak", false},  // the whole name, not a part of it
      {"*.avi", "CLIP.AVI", true},         // case is ignored, in either side
      {"clip?.avi", "clip1.avi", true},
      {"clip?.avi", "clip.avi", false},         // "?" is exactly one character
      {"clip?.avi", "clip\xC3\xA9.avi", true},  // "é" is one character
      {"clip??.avi", "clip\xC3\xA9.avi", false},
      {"*", "", true},
      {"", "", true},
      // A final ".*" also matches where the name has no period.
      {"*.*", "clip", true},
      {"*.*", "clip.avi", true},
      {"HL*.*", "HLclip", true},
      {"HL*.*", "clipHL", false},
      {"a.b.*", "a.b", true},
      // A final "." stands for the end of a name without a period.
      {"*.", "clip", true},
      {"*.", "clip.avi", false},
      {"*.", "clip.", true},  // the period itself, matched as it stands
      {"HL*.", "HLclip", true},
      {"HL*.", "clip", false},
      {"a.b.", "a.b", false},
      {"?.", "\xC3\xA9", true},
      {"*..avs", "clip.avs", false},  // an entry kept with its period
      {"*..avs", "clip..avs", true},
      // Characters that other wild-card dialects give meanings to are literal.
      {"[ab].avi", "[ab].avi", true},
      {"[ab].avi", "a.avi", false},
      {"sub\\x*.avs", "subx1.avs", false},
      {"sub\\x*.avs", "sub\\x1.avs", true},
      // Names are bytes: one that is not UTF-8 matches byte for byte.
      {"*.avi", "caf\xE9.avi", true},
      {"caf?.avi", "caf\xE9.avi", true},
      {"caf\xE9.*", "CAF\xE9.avi", true},
      {"caf\xC9.avi", "caf\xE9.avi", false},  // only ASCII letters fold
      {"?", "\xC3", true},                    // a cut-off sequence is one byte
      {"*a*a*b", "aaab", true},
      // A byte of the pattern never matches a part of a character.
      {"\xE2*", "\xE2\x82\xAC", false},
      {"*\xE2?*\xAC",
       "\xE2"
       "A\xE2\x82\xAC",
       false},
      {"*\xE2\x82\xAC", "x\xE2\x82\xAC", true},
  };
  for (const MatchCase& c : cases) {
    EXPECT_EQ(WildcardPattern(c.pattern).matches(c.name), c.matches)
        << "pattern '" << c.pattern << "', name '" << c.name << "'";
  }
}

TEST(WildcardPattern, CostsNoMoreThanPatternTimesName) {
  // Backtracking into every star would take astronomically long here.
  const std::string name(10'000, 'a');
  EXPECT_FALSE(WildcardPattern("*a*a*a*a*a*a*a*a*a*a*b").matches(name));
  EXPECT_TRUE(WildcardPattern("*a*a*a*a*a*a*a*a*a*a*").matches(name));

  std::string longPattern(10'000, '?');
  EXPECT_FALSE(WildcardPattern(longPattern).matches("clip.avi"));
  EXPECT_TRUE(WildcardPattern(longPattern).matches(name));
  longPattern.back() = '*';
  EXPECT_TRUE(WildcardPattern(longPattern).matches(name));
}

TEST(ClipMaskMatcher, CountsEveryPatternThatMatches) {
  const struct {
    const char* mask;
    const char* name;
    std::size_t count;
  } cases[] = {
      {"*.avs;*.mpg", "a.avs", 1},
      {"*.avs;*.mpg", "a.mpg", 1},
      {"*.avs;*.mpg", "a.avi", 0},
      {"*.avs;*.AVS", "a.avs", 2},  // listed twice
      {"*.*;*.avs;a*", "a.avs", 3},
      {";;", "a.avs", 0},       // empty patterns match no file
      {"*.avs;avi", "avi", 1},  // an entry holding ";" gives a bare name
      {"*.avs;avi", "x.avi", 0},
      {"", "a", 0},
      // Patterns looked up by their ends agree with those tried in turn.
      {"HL*.avs;hl*.AVS;HL*.avs;*.avs", "hl take.AVS", 4},
      {"HL*.avs;*.avs", "HL.avs", 2},
      {"ab*ba;a*a;*a", "aba", 2},  // "ab" and "ba" overlap: too short for the first
      {"ab*ba;a*a;*a", "a", 1},
      {"*s;*vs;*avs;*.avs;*.vs", "x.avs", 4},      // tails of four lengths
      {"*.\xC3\xA9;*.\xC3\x89", "x.\xC3\xA9", 1},  // case folds for ASCII letters only
      {"*.avs;?.avs;*.avs.*", "x.avs", 3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClipMaskMatcher(c.mask).matchCount(c.name), c.count)
        << "mask '" << c.mask << "', name '" << c.name << "'";
  }
}

}  // namespace
}  // namespace clipquill
