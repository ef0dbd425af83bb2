// SPDX-License-Identifier: GPL-3.0-or-later
// A one-line label for texts of any length (paths in the status bar, the
// folder error beside a field): it never widens the window, and when the
// text does not fit it shows both ends with "…" between, the whole text in
// its tooltip.
#pragma once

#include <QLabel>

namespace clipquill {

class ElidedLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ElidedLabel(QWidget* parent = nullptr);

  // The whole text, shown elided as the width requires, and as the tooltip
  // and accessible name.
  void setFullText(const QString& text);
  const QString& fullText() const { return fullText_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void fit();

  QString fullText_;
};

}  // namespace clipquill
