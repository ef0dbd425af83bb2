// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialog_frame.h"

#include <QDialog>
#include <QFontMetrics>
#include <QLayout>
#include <QPushButton>
#include <algorithm>

namespace clipquill {

int captionWidth(const QWidget* window) {
  QFont font = window->font();
  font.setBold(true);
  const QFontMetrics metrics(font);
  // A title bar is about a line high; its icon and buttons are squares.
  const int bar = metrics.height() + 8;
  return metrics.horizontalAdvance(window->windowTitle()) + 4 * bar + 16;
}

void fitDialog(QDialog* dialog, QSize designSize) {
  dialog->ensurePolished();
  // Buttons keep the design's 75 by 25 and grow with their captions; a
  // minimum below the caption's size would let a layout squeeze them.
  for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
    button->setMinimumSize(0, 0);
    button->setMinimumSize(button->sizeHint().expandedTo(QSize(75, 25)));
  }
  QSize least = designSize;
  least.setWidth(std::max(least.width(), captionWidth(dialog)));
  if (QLayout* layout = dialog->layout()) {
    layout->invalidate();
    layout->activate();
    const QSize needed = layout->totalMinimumSize();
    least.setWidth(std::max(least.width(), needed.width()));
    // Word-wrapped texts need the more height the narrower they are.
    least.setHeight(std::max(least.height(), layout->hasHeightForWidth()
                                                 ? layout->totalHeightForWidth(least.width())
                                                 : needed.height()));
  }
  dialog->setMinimumSize(least);
  // A window never sized yet holds Qt's default size, not a chosen one.
  dialog->resize(dialog->testAttribute(Qt::WA_Resized) ? dialog->size().expandedTo(least) : least);
  // The widgets take their places now, not only at the first showing: a
  // hidden frame would lay out its own widgets only when shown.
  if (QLayout* layout = dialog->layout()) {
    layout->invalidate();
    layout->activate();
  }
  for (QWidget* inner : dialog->findChildren<QWidget*>()) {
    if (QLayout* layout = inner->layout()) layout->activate();
  }
}

}  // namespace clipquill
