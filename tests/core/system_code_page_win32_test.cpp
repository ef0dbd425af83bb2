// SPDX-License-Identifier: GPL-3.0-or-later
// The system's ANSI code page as Windows converts into it: the Windows
// stage runs these with it set to 1252 and to 1251.
#include <gtest/gtest.h>

#include "core/script_encoding.h"
#include "core/windows_api.h"

namespace clipquill {
namespace {

TEST(SystemCodePageTest, NamesInTheCodePageOrNotAtAll) {
  const CodePage& codePage = systemCodePage();
  ASSERT_EQ(codePage.number(), GetACP());
  struct Case {
    unsigned codePage;  // the case's, 0 for any
    std::string name;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {0, "plain.avi", "plain.avi"},
      {0, "", ""},
      {0, "clip \xF0\x9F\x8E\xAC.avi", std::nullopt},  // an emoji: in no ANSI code page
      {0, "\xE6\x97\xA5\xE6\x9C\xAC.avi", std::nullopt},
      {0, "a\xED\xA0\x80.avi", std::nullopt},  // a lone surrogate
      {0, "a\xFF.avi", std::nullopt},          // not UTF-8
      {1252, "Caf\xC3\xA9 \xC3\x89t\xC3\xA9.avi", "Caf\xE9 \xC9t\xE9.avi"},
      {1252, "\xE2\x82\xAC.avi", "\x80.avi"},  // the euro sign
      {1252, "\xC4\x81.avi", std::nullopt},    // ā: no best fit "a"
      {1252, "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2.avi", std::nullopt},
      {1251, "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2.avi", "\xCF\xF0\xE8\xE2.avi"},
      {1251, "\xD0\x81.avi", "\xA8.avi"},  // Ё
      {1251, "Caf\xC3\xA9.avi", std::nullopt},
  };
  for (const Case& c : cases) {
    if (c.codePage != 0 && c.codePage != codePage.number()) continue;
    EXPECT_EQ(codePage.fromUtf8(c.name), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace clipquill
