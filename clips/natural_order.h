// SPDX-License-Identifier: GPL-3.0-or-later
// The order of the clip list, which is also the order in which scripts are
// written and in which a joined script names its clips: without regard to
// case, and with runs of digits compared by their value, so that "clip 2.avi"
// comes before "clip 10.avi".
//
// strverscmp(3) is close but regards case and reads leading zeros as a
// fraction; a collator (ICU, QCollator) would need valid text, and names here
// are bytes. Hence this small comparison of our own.
#pragma once

#include <string>
#include <string_view>

namespace clipquill {

// Negative, zero or positive as a sorts before, with or after b. Names that
// differ only in case or in leading zeros are told apart by their bytes,
// capitals and fewer zeros first, so the order is total and zero means equal
// bytes.
int naturalCompare(std::string_view a, std::string_view b);

inline bool naturalLess(std::string_view a, std::string_view b) {
  return naturalCompare(a, b) < 0;
}

// Appends to key a sort key of name: bytes whose plain order (a common start
// sorting shorter first) is the order of naturalCompare, except that names
// differing only in case or in leading zeros get equal keys. Sorting many
// names by keys worked out once costs far less than comparing them afresh
// each time; naturalCompare then settles the rare equal keys.
void appendNaturalKey(std::string& key, std::string_view name);

}  // namespace clipquill
