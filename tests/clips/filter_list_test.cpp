// SPDX-License-Identifier: GPL-3.0-or-later
#include "clips/filter_list.h"

#include <gtest/gtest.h>

namespace clipquill {
namespace {

FilterList list(std::initializer_list<FilterEntry> entries) {
  return FilterList(entries);
}

TEST(RebuildClipMask, JoinsCheckedEntriesUnderThePrefix) {
  const FilterList avsAviMpg = list(
      {{"avs", CheckState::Checked}, {"avi", CheckState::Unchecked}, {"mpg", CheckState::Checked}});
  const struct {
    const char* prefix;
    FilterList filters;
    const char* mask;
  } cases[] = {
      {"", avsAviMpg, "*.avs;*.mpg"},
      {"HL", avsAviMpg, "HL*.avs;HL*.mpg"},
      // Only the second of three: no ";" at all.
      {"",
       list({{"a", CheckState::Unchecked},
             {"b", CheckState::Checked},
             {"c", CheckState::Unchecked}}),
       "*.b"},
      // Nothing checked, or no entries.
      {"", list({{"avs", CheckState::Unchecked}}), "*.*"},
      {"HL", list({{"avs", CheckState::Unchecked}}), "HL*.*"},
      {"HL", FilterList(), "HL*.*"},
      // Entries are used as they stand.
      {"", list({{".avs", CheckState::Checked}}), "*..avs"},
      {"HL", list({{"", CheckState::Checked}}), "HL*."},  // lists the names without an extension
      {"", list({{"avs;avi", CheckState::Checked}}), "*.avs;avi"},
      {"", list({{"avs", CheckState::Checked}, {"AVS", CheckState::Checked}}), "*.avs;*.AVS"},
      // So is the prefix, separators and wild cards included.
      {"sub\\x", list({{"avs", CheckState::Checked}}), "sub\\x*.avs"},
      {"a?*", list({{"avs", CheckState::Checked}}), "a?**.avs"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(rebuildClipMask(c.prefix, c.filters), c.mask) << "prefix '" << c.prefix << "'";
  }
}

}  // namespace
}  // namespace clipquill
