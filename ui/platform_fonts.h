// SPDX-License-Identifier: GPL-3.0-or-later
// The window's fonts where the toolkit's own choice may fall short: on
// Windows (and under Wine) the message font the system names and a
// monospaced editor font that is installed, looked up rather than assumed;
// elsewhere the desktop's own (platform_fonts_posix.cpp,
// platform_fonts_win32.cpp).
#pragma once

#include <QFont>

class QApplication;

namespace clipquill {

// Sets the application's font, once, after QApplication is made.
void usePlatformFonts(QApplication& app);
// The template editor's and the script views' monospaced font.
QFont editorFont();

}  // namespace clipquill
