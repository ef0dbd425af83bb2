// SPDX-License-Identifier: GPL-3.0-or-later
// The status bar's places in as many rows as the window's width needs: one
// row on a wide window, more on a narrow one, so that the run's summary and
// the check's result are read whole rather than cut to fit one line beside
// the template's path.
#pragma once

#include <vector>

namespace clipquill {

struct StatusPlace {
  int least = 0;   // the width it needs to share a row (its text whole, or a
                   // path in it shortened as far as it may be)
  int wanted = 0;  // the width of its whole text; 0: nothing to show
  // Stays on the row of the place before it ("Open Folder" beside the run).
  bool withPrevious = false;
};

struct PlacedStatus {
  int row = -1;  // -1: not shown
  int x = 0;
  int width = 0;
  bool operator==(const PlacedStatus&) const = default;
};

// Each place in order on the current row while its least width (with the
// places that stay with it) fits there, else on a new row; a place wider
// than a whole row has the row to itself, at the row's width. What a row has
// left is given to its places short of their wanted width, first come first
// served.
std::vector<PlacedStatus> arrangeStatus(const std::vector<StatusPlace>& places, int width,
                                        int spacing);

// How many rows arrangeStatus uses; at least one.
int statusRows(const std::vector<PlacedStatus>& placed);

}  // namespace clipquill
