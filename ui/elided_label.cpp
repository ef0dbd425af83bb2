// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/elided_label.h"

#include <QFontMetrics>

namespace clipquill {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  setTextFormat(Qt::PlainText);
}

void ElidedLabel::setFullText(const QString& text, const QString& givesWay) {
  const bool changed = text != fullText_;
  fullText_ = text;
  givesWay_ = givesWay;
  setToolTip(text);
  setAccessibleName(text);
  fit();
  // Whatever places it (the status bar's rows) may give it another width.
  if (changed) updateGeometry();
}

int ElidedLabel::wholeWidth() const {
  if (fullText_.isEmpty()) return 0;
  const QMargins margins = contentsMargins();
  // A pixel over the advance: elidedText keeps a text whole only with room
  // to spare for its rounding.
  return fontMetrics().horizontalAdvance(fullText_) + margins.left() + margins.right() +
         2 * margin() + 2;
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  fit();
}

void ElidedLabel::fit() {
  const QFontMetrics metrics = fontMetrics();
  const int room = contentsRect().width();
  const qsizetype at = givesWay_.isEmpty() ? -1 : fullText_.indexOf(givesWay_);
  if (at >= 0 && metrics.horizontalAdvance(fullText_) > room) {
    const QString before = fullText_.left(at);
    const QString after = fullText_.mid(at + givesWay_.size());
    const int left =
        room - metrics.horizontalAdvance(before) - metrics.horizontalAdvance(after) - 1;
    const QString part = metrics.elidedText(givesWay_, Qt::ElideMiddle, left);
    // Some of the path left, at least its ellipsis: the rest stays whole.
    if (left > 0 && !part.isEmpty()) {
      setText(before + part + after);
      return;
    }
  }
  setText(metrics.elidedText(fullText_, Qt::ElideMiddle, room));
}

}  // namespace clipquill
