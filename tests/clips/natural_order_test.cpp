// SPDX-License-Identifier: GPL-3.0-or-later
#include "clips/natural_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace clipquill {
namespace {

// The order users expect, from first to last.
const std::vector<std::string> kExpected = {
    "",
    " lead.avi",
    "0.avi",
    "1.avi",
    "01.avi",  // the same number: fewer zeros first
    "001.avi",
    "2.avi",
    "10.avi",
    "99999999999999999999999.avi",  // longer than any integer type
    "100000000000000000000000.avi",
    "clip 2.avi",
    "Clip 10.AVI",  // capitals first among names that differ only in case
    "clip 10.avi",
    "clip 10a.avi",
    "clip 10b.avi",
    "Clip.avi",  // a blank sorts before a period
    "clip.avi",
    "clip2.avi",
    "clip10.avi",
    "clip_1.avi",
    "clipper.avi",
    "take 1 part 2.avi",
    "take 1 part 10.avi",
    "take 2 part 1.avi",
    "\xC3\xA9t\xC3\xA9.avi",  // bytes above ASCII after it, unsigned
    "\xE9t\xE9.avi",
};

TEST(NaturalOrder, SortsAsUsersExpect) {
  std::vector<std::string> names = kExpected;
  std::mt19937 random(7);
  for (int round = 0; round < 5; ++round) {
    std::shuffle(names.begin(), names.end(), random);
    std::sort(names.begin(), names.end(), naturalLess);
    EXPECT_EQ(names, kExpected);
  }
}

TEST(NaturalOrder, IsATotalOrderThatTheKeysFollow) {
  const auto keyOf = [](const std::string& name) {
    std::string key;
    appendNaturalKey(key, name);
    return key;
  };
  for (const std::string& a : kExpected) {
    for (const std::string& b : kExpected) {
      const int ab = naturalCompare(a, b);
      EXPECT_EQ(ab == 0, a == b) << a << " | " << b;
      EXPECT_EQ(ab<0, naturalCompare(b, a)> 0) << a << " | " << b;
      // Keys differ in the same direction, or not at all.
      const int byKey = keyOf(a).compare(keyOf(b));
      EXPECT_TRUE(byKey == 0 || (byKey < 0) == (ab < 0)) << a << " | " << b;
    }
  }
  EXPECT_EQ(keyOf("Clip 010.AVI"), keyOf("clip 10.avi"));
  EXPECT_LT(keyOf(std::string(300, '9')), keyOf("1" + std::string(300, '0')));
}

}  // namespace
}  // namespace clipquill
