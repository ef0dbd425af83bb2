// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/platform/status_rows.h"

#include <algorithm>
#include <cstddef>

namespace clipquill {

std::vector<PlacedStatus> arrangeStatus(const std::vector<StatusPlace>& places, int width,
                                        int spacing) {
  std::vector<PlacedStatus> placed(places.size());
  width = std::max(width, 1);
  // The groups: a place and those that stay with it.
  struct Group {
    std::size_t first, end;
    int least;
  };
  std::vector<Group> groups;
  for (std::size_t i = 0; i < places.size(); ++i) {
    if (places[i].wanted <= 0) continue;
    const int least = std::min(places[i].least, places[i].wanted);
    if (places[i].withPrevious && !groups.empty()) {
      groups.back().end = i + 1;
      groups.back().least += spacing + least;
    } else {
      groups.push_back({i, i + 1, least});
    }
  }
  // Rows of groups.
  int row = -1;
  int used = 0;  // of the current row
  std::vector<std::vector<std::size_t>> rows;
  for (const Group& g : groups) {
    if (row < 0 || used + spacing + g.least > width) {
      ++row;
      rows.emplace_back();
      used = g.least;
    } else {
      used += spacing + g.least;
    }
    for (std::size_t i = g.first; i < g.end; ++i)
      if (places[i].wanted > 0) rows.back().push_back(i);
  }
  for (std::size_t r = 0; r < rows.size(); ++r) {
    int left = width;
    for (std::size_t i : rows[r]) {
      placed[i].row = static_cast<int>(r);
      placed[i].width = std::min(places[i].least, places[i].wanted);
      left -= placed[i].width;
    }
    left -= spacing * static_cast<int>(rows[r].size() - 1);
    for (std::size_t i : rows[r]) {
      const int more = std::clamp(places[i].wanted - placed[i].width, 0, std::max(left, 0));
      placed[i].width += more;
      left -= more;
    }
    // Too wide for the row even at their least: the row's width, cut.
    int x = 0;
    for (std::size_t i : rows[r]) {
      placed[i].x = x;
      placed[i].width = std::min(placed[i].width, std::max(width - x, 0));
      x += placed[i].width + spacing;
    }
  }
  return placed;
}

int statusRows(const std::vector<PlacedStatus>& placed) {
  int rows = 0;
  for (const PlacedStatus& p : placed)
    rows = std::max(rows, p.row + 1);
  return std::max(rows, 1);
}

}  // namespace clipquill
