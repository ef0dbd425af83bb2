// SPDX-License-Identifier: GPL-3.0-or-later
// The fonts on Linux desktops: the desktop's own, which its platform theme
// hands Qt, its monospaced one included.
#include <QApplication>
#include <QFontDatabase>

#include "ui/platform_fonts.h"

namespace clipquill {

void usePlatformFonts(QApplication&) {}

QFont editorFont() {
  return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

}  // namespace clipquill
