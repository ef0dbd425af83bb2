// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/platform/placement.h"

#include <gtest/gtest.h>

namespace clipquill {
namespace {

TEST(Placement, BesideTheMainWindowWithinTheScreen) {
  const WindowRect screen{0, 0, 1920, 1080};
  const struct {
    const char* what;
    WindowRect main;
    int width, height;
    WindowRect area;
    ScreenPoint at;
  } cases[] = {
      {"right", {682, 222, 555, 635}, 472, 606, screen, {682 + 555 + kBesideGap, 222}},
      {"left, no room right", {1300, 100, 555, 635}, 472, 606, screen, {1300 - 8 - 472, 100}},
      {"low main: moved up", {100, 700, 555, 635}, 472, 606, screen, {663, 1080 - 606}},
      {"room on neither side: roomier one, on screen",
       {300, 0, 555, 635},
       472,
       606,
       {0, 0, 1024, 768},
       {0, 0}},
      {"larger than the area: its corner stays on",
       {0, 0, 555, 635},
       900,
       900,
       {0, 30, 800, 600},
       {0, 30}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(besideWindow(c.main, c.width, c.height, c.area), c.at) << c.what;
}

}  // namespace
}  // namespace clipquill
