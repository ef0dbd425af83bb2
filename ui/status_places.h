// SPDX-License-Identifier: GPL-3.0-or-later
// The status bar's places (the template, its encoding, the clips, the last
// run, "Open Folder", the check) in as many rows as the width needs, as
// ui/platform/status_rows.h arranges them: the run's summary and the check's
// result whole, only the template's path shortened to share a row.
#pragma once

#include <QWidget>
#include <utility>
#include <vector>

#include "ui/platform/status_rows.h"

namespace clipquill {

class StatusPlaces : public QWidget {
  Q_OBJECT

 public:
  explicit StatusPlaces(QWidget* parent = nullptr);

  // How a place gives way on a narrow row: not at all (a row of its own
  // instead), or down to a few characters.
  enum class Shortens { Never, ToAFewCharacters };
  // place becomes a child; withPrevious keeps it on the row of the one before.
  void addPlace(QWidget* place, Shortens shortens = Shortens::Never, bool withPrevious = false);

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  // The rows the places take at the current width.
  int rowCount() const;
  // The height at width were the places given texts of these widths (a
  // place shown, hidden places shown too): what the texts a run brings
  // will take.
  int heightWith(int width, const std::vector<std::pair<QWidget*, int>>& wanted) const;
  // Places again now, after a place's text or visibility changed, rather
  // than once the change's notice comes round.
  void rearrange();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  struct Place {
    QWidget* widget;
    Shortens shortens;
    bool withPrevious;
  };
  std::vector<StatusPlace> measure() const;
  int heightOf(const std::vector<StatusPlace>& measured, int width) const;
  // The height of each row of placed, and the total.
  std::vector<int> rowHeights(const std::vector<PlacedStatus>& placed) const;
  void arrange();

  std::vector<Place> places_;
  int spacing_ = 6;
};

}  // namespace clipquill
