// SPDX-License-Identifier: GPL-3.0-or-later
// Where a window that the user reads beside the main window goes (the usage
// window): next to it rather than over its fields, always on the screen.
#pragma once

#include "app/desktop_rules.h"  // WindowRect

namespace clipquill {

struct ScreenPoint {
  int x = 0;
  int y = 0;
  bool operator==(const ScreenPoint&) const = default;
};

// The top left corner for a window of width by height beside main, within
// area (the screen's part that windows may use): to the right of main when it
// fits there, else to its left, else on the roomier side, overlapping main as
// little as the area allows. Level with main's top, moved up as far as needed
// to end inside the area.
ScreenPoint besideWindow(const WindowRect& main, int width, int height, const WindowRect& area);

// The gap left between the two windows' frames.
inline constexpr int kBesideGap = 8;

}  // namespace clipquill
