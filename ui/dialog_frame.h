// SPDX-License-Identifier: GPL-3.0-or-later
// The frame the program's fixed-size dialogs share: a caption and a close
// box, no minimise or maximise box, no resizing by the frame.
#pragma once

#include <Qt>

namespace clipquill {

inline constexpr Qt::WindowFlags kFixedDialogFrame =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
    Qt::MSWindowsFixedSizeDialogHint;

}  // namespace clipquill
