// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/platform/placement.h"

#include <algorithm>

namespace clipquill {

namespace {

// lo wins over hi when the window is larger than the area: its top left
// corner stays on the screen.
int clampInto(int value, int lo, int hi) {
  return std::max(lo, std::min(value, hi));
}

}  // namespace

ScreenPoint besideWindow(const WindowRect& main, int width, int height, const WindowRect& area) {
  const int areaRight = area.x + area.width;
  const int right = main.x + main.width + kBesideGap;
  const int left = main.x - kBesideGap - width;
  int x;
  if (right + width <= areaRight) {
    x = right;
  } else if (left >= area.x) {
    x = left;
  } else {
    const bool rightIsRoomier = areaRight - (main.x + main.width) >= main.x - area.x;
    x = clampInto(rightIsRoomier ? right : left, area.x, areaRight - width);
  }
  const int y = clampInto(main.y, area.y, area.y + area.height - height);
  return {x, y};
}

}  // namespace clipquill
