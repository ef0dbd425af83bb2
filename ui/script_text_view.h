// SPDX-License-Identifier: GPL-3.0-or-later
// The script viewer's text, with what a screen reader is told of it. Qt's
// own accessible for a plain text view takes the vertical scroll bar's
// value, which counts lines, for pixels: once the view has scrolled the
// failing line into sight, each character's place on the screen is told
// lines away from where it is drawn, and a point is read as the wrong
// character. This one asks the view's own layout, scrolled as drawn.
#pragma once

#include <QPlainTextEdit>

namespace clipquill {

class ScriptTextView : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit ScriptTextView(QWidget* parent = nullptr);

  // The character at offset as drawn, in the viewport's coordinates; empty
  // where there is none.
  QRect characterRect(int offset) const;
  // The character drawn at point (in the viewport's coordinates); -1 where
  // none is.
  int characterAt(QPoint point) const;
};

}  // namespace clipquill
