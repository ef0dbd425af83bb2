// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/elided_label.h"

#include <QFontMetrics>

namespace clipquill {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  setTextFormat(Qt::PlainText);
}

void ElidedLabel::setFullText(const QString& text) {
  fullText_ = text;
  setToolTip(text);
  setAccessibleName(text);
  fit();
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  fit();
}

void ElidedLabel::fit() {
  setText(fontMetrics().elidedText(fullText_, Qt::ElideMiddle, contentsRect().width()));
}

}  // namespace clipquill
