// SPDX-License-Identifier: GPL-3.0-or-later
#include "clips/filter_list.h"

#include "clips/clip_list.h"

namespace clipquill {

void FilterList::toggle(std::size_t i) {
  CheckState& state = entries_.at(i).state;
  state = state == CheckState::Checked ? CheckState::Unchecked : CheckState::Checked;
}

std::string rebuildClipMask(std::string_view prefix, const FilterList& filters) {
  std::string mask;
  for (const FilterEntry& entry : filters.entries()) {
    if (entry.state != CheckState::Checked) continue;
    if (!mask.empty()) mask += ';';
    mask.append(prefix).append("*.").append(entry.text);
  }
  if (mask.empty()) mask.append(prefix).append(kAllFilesMask);
  return mask;
}

}  // namespace clipquill
