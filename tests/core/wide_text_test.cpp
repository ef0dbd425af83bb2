// SPDX-License-Identifier: GPL-3.0-or-later
// Names between UTF-8 and the UTF-16 of the Windows API: what goes in comes
// back, lone surrogates included, and what is not UTF-8 names nothing.
#include "core/wide_text.h"

#include <gtest/gtest.h>

namespace clipquill {
namespace {

TEST(WideText, NamesComeBackAsTheyWent) {
  const struct {
    std::string utf8;
    std::u16string utf16;
  } cases[] = {
      {"", u""},
      {"clip 1.avi", u"clip 1.avi"},
      {"caf\xC3\xA9", u"caf\u00E9"},
      {"\xE6\x97\xA5\xE6\x9C\xAC.avs", u"\u65E5\u672C.avs"},
      {"\xF0\x9F\x8E\xAC", u"\U0001F3AC"},                               // a surrogate pair
      {"a\xED\xA0\x80z", std::u16string{u'a', char16_t(0xD800), u'z'}},  // a lone surrogate
      {"\xED\xBF\xBF", std::u16string{char16_t(0xDFFF)}},
      {"\xEF\xBF\xBF", u"\uFFFF"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(utf16FromUtf8(c.utf8), c.utf16) << c.utf8;
    EXPECT_EQ(utf8FromUtf16(c.utf16), c.utf8) << c.utf8;
  }
}

TEST(WideText, WhatIsNotUtf8NamesNothing) {
  for (const std::string bad : {"\x80", "a\xC3", "\xC0\xAF", "\xE0\x80\x80", "\xF4\x90\x80\x80",
                                "\xF8\x88\x80\x80\x80", "\xE6\x97"}) {
    EXPECT_EQ(utf16FromUtf8(bad), std::nullopt) << bad;
  }
}

}  // namespace
}  // namespace clipquill
