// SPDX-License-Identifier: GPL-3.0-or-later
// Places a window in the middle of the screen it belongs to, as every window
// of the program opens.
#pragma once

class QWidget;

namespace clipquill {

// Centres window's client area on its parent's screen (the primary screen for
// a window without parent). Qt leaves a window it was told to move where it
// was put, so a dialog opens here rather than over its parent.
void centreOnScreen(QWidget* window);

}  // namespace clipquill
