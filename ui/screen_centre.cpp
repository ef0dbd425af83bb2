// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/screen_centre.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace clipquill {

void centreOnScreen(QWidget* window) {
  QScreen* screen = window->parentWidget() ? window->parentWidget()->screen() : nullptr;
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}

}  // namespace clipquill
