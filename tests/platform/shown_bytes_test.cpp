// SPDX-License-Identifier: GPL-3.0-or-later
// Stray bytes of a name shown as escapes inside UTF-8 text.
#include "ui/platform/shown_bytes.h"

#include <gtest/gtest.h>

namespace clipquill {
namespace {

TEST(ShownBytes, EscapesOnlyWhatIsNotValidUtf8) {
  const struct {
    std::string bytes;
    std::string shown;
  } cases[] = {
      {"", ""},
      {"plain.avi", "plain.avi"},
      {"\xc3\xa9t\xc3\xa9", "\xc3\xa9t\xc3\xa9"},  // valid UTF-8 stays
      {"\xe9t\xe9.avi", "\\xE9t\\xE9.avi"},        // Latin-1 bytes
      {"\xe2\x82\xac \xf0\x9f\x8e\xac", "\xe2\x82\xac \xf0\x9f\x8e\xac"},
      {"\xc3", "\\xC3"},                             // cut at the end
      {"\xe2\x82x", "\\xE2\\x82x"},                  // cut inside
      {"\xc0\xaf", "\\xC0\\xAF"},                    // overlong
      {"\xe0\x80\xaf", "\\xE0\\x80\\xAF"},           // overlong
      {"\xed\xa0\x80", "\\xED\\xA0\\x80"},           // a surrogate
      {"\xf4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},  // past U+10FFFF
      {"\xff\xfe", "\\xFF\\xFE"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(withInvalidUtf8Escaped(c.bytes), c.shown) << ::testing::PrintToString(c.bytes);
}

}  // namespace
}  // namespace clipquill
