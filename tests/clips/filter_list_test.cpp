// SPDX-License-Identifier: GPL-3.0-or-later
#include "clips/filter_list.h"

#include <gtest/gtest.h>

namespace clipquill {
namespace {

FilterList list(std::initializer_list<FilterEntry> entries) {
  return FilterList(entries);
}

TEST(RebuildClipMask, JoinsCheckedEntriesUnderThePrefix) {
  const FilterList avsAviMpg = list({{"avs", cbChecked}, {"avi", cbUnchecked}, {"mpg", cbChecked}});
  const struct {
    const char* prefix;
    FilterList filters;
    const char* mask;
  } cases[] = {
      {"", avsAviMpg, "*.avs;*.mpg"},
      {"HL", avsAviMpg, "HL*.avs;HL*.mpg"},
      // Only the second of three: no ";" at all.
      {"", list({{"a", cbUnchecked}, {"b", cbChecked}, {"c", cbUnchecked}}), "*.b"},
      // Nothing checked, or no entries.
      {"", list({{"avs", cbUnchecked}}), "*.*"},
      {"HL", list({{"avs", cbUnchecked}}), "HL*.*"},
      {"HL", FilterList(), "HL*.*"},
      // Entries are used as they stand.
      {"", list({{".avs", cbChecked}}), "*..avs"},
      {"HL", list({{"", cbChecked}}), "HL*."},  // lists the names without an extension
      {"", list({{"avs;avi", cbChecked}}), "*.avs;avi"},
      {"", list({{"avs", cbChecked}, {"AVS", cbChecked}}), "*.avs;*.AVS"},
      // So is the prefix, separators and wild cards included.
      {"sub\\x", list({{"avs", cbChecked}}), "sub\\x*.avs"},
      {"a?*", list({{"avs", cbChecked}}), "a?**.avs"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(rebuildClipMask(c.prefix, c.filters), c.mask) << "prefix '" << c.prefix << "'";
  }
}

}  // namespace
}  // namespace clipquill
