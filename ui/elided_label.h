// SPDX-License-Identifier: GPL-3.0-or-later
// A one-line label for texts of any length (paths in the status bar, the
// folder error beside a field): it never widens the window, and when the
// text does not fit it shows both ends with "…" between, the whole text in
// its tooltip. A text with a path in it (the last run's folder) may have
// only the path shortened, so that the counts around it stay whole.
#pragma once

#include <QLabel>

namespace clipquill {

class ElidedLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ElidedLabel(QWidget* parent = nullptr);

  // The whole text, shown elided as the width requires, and as the tooltip
  // and accessible name.
  // givesWay: the part of text that is shortened first, where it is found
  // in text; empty, the whole text.
  void setFullText(const QString& text, const QString& givesWay = QString());
  const QString& fullText() const { return fullText_; }
  // The width that shows the whole text; 0 for none.
  int wholeWidth() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void fit();

  QString fullText_;
  QString givesWay_;
};

}  // namespace clipquill
