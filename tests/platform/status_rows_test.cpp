// SPDX-License-Identifier: GPL-3.0-or-later
// The status bar's places in rows: whole where a row has room, on a row of
// their own where it has not, only what may shorten shortened.
#include "ui/platform/status_rows.h"

#include <gtest/gtest.h>

namespace clipquill {
namespace {

// The window's six places: the template (shortens), its encoding, the
// clips, the last run, "Open Folder" with it, the check.
std::vector<StatusPlace> windowPlaces(int run, int check, bool folder = true) {
  return {{120, 300},    {40, 40}, {130, 130}, {run, run}, {80, folder ? 80 : 0, true},
          {check, check}};
}

TEST(StatusRows, AsManyRowsAsTheWidthNeeds) {
  struct Case {
    const char* what;
    int width;
    std::vector<StatusPlace> places;
    std::vector<PlacedStatus> placed;
  } cases[] = {
      {"wide: one row, each whole",
       1500,
       windowPlaces(350, 550),
       {{0, 0, 300}, {0, 306, 40}, {0, 352, 130}, {0, 488, 350}, {0, 844, 80}, {0, 930, 550}}},
      {"the check on a row of its own",
       1000,
       windowPlaces(350, 550),
       {{0, 0, 300}, {0, 306, 40}, {0, 352, 130}, {0, 488, 350}, {0, 844, 80}, {1, 0, 550}}},
      {"the template's path shortened so the run shares its row",
       760,
       windowPlaces(350, 550),
       {{0, 0, 136}, {0, 142, 40}, {0, 188, 130}, {0, 324, 350}, {0, 680, 80}, {1, 0, 550}}},
      {"narrow: the run and its folder's button go down together",
       640,
       windowPlaces(350, 550),
       {{0, 0, 300}, {0, 306, 40}, {0, 352, 130}, {1, 0, 350}, {1, 356, 80}, {2, 0, 550}}},
      {"no folder to open: nothing kept for it",
       1000,
       windowPlaces(350, 550, false),
       {{0, 0, 300}, {0, 306, 40}, {0, 352, 130}, {0, 488, 350}, {-1, 0, 0}, {1, 0, 550}}},
      {"wider than a row: the row's width",
       400,
       {{50, 50}, {600, 600}, {50, 50}},
       {{0, 0, 50}, {1, 0, 400}, {2, 0, 50}}},
      {"nothing shown: no rows used", 400, {{10, 0}, {10, 0}}, {{-1, 0, 0}, {-1, 0, 0}}},
  };
  for (const Case& c : cases) {
    const std::vector<PlacedStatus> placed = arrangeStatus(c.places, c.width, 6);
    ASSERT_EQ(placed.size(), c.placed.size()) << c.what;
    for (std::size_t i = 0; i < placed.size(); ++i) {
      EXPECT_EQ(placed[i], c.placed[i]) << c.what << ", place " << i << ": row " << placed[i].row
                                        << " x " << placed[i].x << " width " << placed[i].width;
    }
  }
}

TEST(StatusRows, CountsTheRowsUsed) {
  EXPECT_EQ(statusRows(arrangeStatus(windowPlaces(350, 550), 1500, 6)), 1);
  EXPECT_EQ(statusRows(arrangeStatus(windowPlaces(350, 550), 640, 6)), 3);
  EXPECT_EQ(statusRows({}), 1);
}

}  // namespace
}  // namespace clipquill
