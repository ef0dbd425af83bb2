// SPDX-License-Identifier: GPL-3.0-or-later
// The frame the program's dialogs share, and how each laid-out dialog gets
// its size: the design's size is the smallest it takes, grown to whatever
// its texts need in the fonts and scale of the desktop, so that no caption
// or text is ever cut off.
#pragma once

#include <QSize>
#include <Qt>

class QDialog;
class QWidget;

namespace clipquill {

// A caption and a close box, no minimise or maximise box.
inline constexpr Qt::WindowFlags kDialogFrame =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
// The same for a window that keeps one size.
inline constexpr Qt::WindowFlags kFixedDialogFrame =
    kDialogFrame | Qt::MSWindowsFixedSizeDialogHint;

// The width a window needs for its caption to show whole in its title bar:
// the caption in the bold form of the window's font (title bars use bold
// fonts at most this size), with room for the window manager's icon and
// three buttons.
int captionWidth(const QWidget* window);

// Gives a dialog with a layout its smallest size: designSize, grown to what
// its layout needs and to its caption's width; a dialog smaller than that
// grows to it. Its buttons are at least 75 by 25, the design's, and as
// large as their captions need. Called again after the caption or a text
// changes.
void fitDialog(QDialog* dialog, QSize designSize);

}  // namespace clipquill
