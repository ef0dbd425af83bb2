// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/status_places.h"

#include <QEvent>
#include <QFontMetrics>
#include <QResizeEvent>
#include <algorithm>
#include <numeric>

#include "ui/elided_label.h"

namespace clipquill {

namespace {

// A shortened place keeps this many characters of its text.
constexpr int kFewCharacters = 16;

}  // namespace

StatusPlaces::StatusPlaces(QWidget* parent) : QWidget(parent) {
  QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
}

void StatusPlaces::addPlace(QWidget* place, Shortens shortens, bool withPrevious) {
  place->setParent(this);
  places_.push_back({place, shortens, withPrevious});
  updateGeometry();
}

std::vector<StatusPlace> StatusPlaces::measure() const {
  std::vector<StatusPlace> measured;
  measured.reserve(places_.size());
  for (const Place& p : places_) {
    StatusPlace m;
    m.withPrevious = p.withPrevious;
    if (!p.widget->isHidden()) {
      if (const auto* label = qobject_cast<const ElidedLabel*>(p.widget)) {
        m.wanted = label->wholeWidth();
      } else {
        m.wanted = p.widget->sizeHint().width();
      }
      m.least = m.wanted;
      if (p.shortens == Shortens::ToAFewCharacters) {
        m.least = std::min(m.wanted, p.widget->fontMetrics().averageCharWidth() * kFewCharacters);
      }
    }
    measured.push_back(m);
  }
  return measured;
}

std::vector<int> StatusPlaces::rowHeights(const std::vector<PlacedStatus>& placed) const {
  std::vector<int> heights(static_cast<std::size_t>(statusRows(placed)), fontMetrics().height());
  for (std::size_t i = 0; i < placed.size(); ++i) {
    if (placed[i].row < 0) continue;
    int& h = heights[static_cast<std::size_t>(placed[i].row)];
    const QWidget* w = places_[i].widget;
    h = std::max(h, std::min(w->sizeHint().height(), w->maximumHeight()));
  }
  return heights;
}

int StatusPlaces::heightForWidth(int width) const {
  return heightOf(measure(), width);
}

int StatusPlaces::heightOf(const std::vector<StatusPlace>& measured, int width) const {
  const std::vector<int> heights = rowHeights(arrangeStatus(measured, width, spacing_));
  return std::accumulate(heights.begin(), heights.end(), 0) +
         spacing_ / 2 * static_cast<int>(heights.size() - 1);
}

QSize StatusPlaces::sizeHint() const {
  int width = 0;
  for (const StatusPlace& m : measure()) {
    if (m.wanted > 0) width += m.wanted + spacing_;
  }
  return {std::max(width - spacing_, 0), heightForWidth(std::max(width - spacing_, 1))};
}

QSize StatusPlaces::minimumSizeHint() const {
  // Any width: the rows grow instead.
  return {0, fontMetrics().height()};
}

int StatusPlaces::rowCount() const {
  return statusRows(arrangeStatus(measure(), width(), spacing_));
}

int StatusPlaces::heightWith(int width, const std::vector<std::pair<QWidget*, int>>& wanted) const {
  std::vector<StatusPlace> measured = measure();
  for (const auto& [widget, textWidth] : wanted) {
    for (std::size_t i = 0; i < places_.size(); ++i) {
      if (places_[i].widget == widget) measured[i].wanted = measured[i].least = textWidth;
    }
  }
  return heightOf(measured, width);
}

void StatusPlaces::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  arrange();
}

bool StatusPlaces::event(QEvent* event) {
  // A place shown, hidden or given another text: the rows may change.
  if (event->type() == QEvent::LayoutRequest) {
    updateGeometry();
    arrange();
  }
  return QWidget::event(event);
}

void StatusPlaces::rearrange() {
  updateGeometry();
  arrange();
}

void StatusPlaces::arrange() {
  const std::vector<PlacedStatus> placed = arrangeStatus(measure(), width(), spacing_);
  const std::vector<int> heights = rowHeights(placed);
  // The window's layout asks the status bar for its height at a width only
  // when something else moves it, so the bar is held at what these rows
  // need. Only once shown: before, the width is not the window's yet.
  if (QWidget* bar = parentWidget(); bar && isVisible()) {
    const int rows = static_cast<int>(heights.size());
    const int total =
        std::accumulate(heights.begin(), heights.end(), 0) + spacing_ / 2 * (rows - 1);
    // The bar's own room around its one row.
    const int around = std::max(bar->sizeHint().height() - heightForWidth(sizeHint().width()), 0);
    if (bar->minimumHeight() != total + around || bar->maximumHeight() != total + around)
      bar->setFixedHeight(total + around);
  }
  std::vector<int> tops(heights.size(), 0);
  for (std::size_t r = 1; r < heights.size(); ++r)
    tops[r] = tops[r - 1] + heights[r - 1] + spacing_ / 2;
  for (std::size_t i = 0; i < placed.size(); ++i) {
    QWidget* widget = places_[i].widget;
    if (placed[i].row < 0) {
      // Nothing to show: no width, and nothing to cut either.
      widget->setGeometry(0, 0, 0, widget->sizeHint().height());
      continue;
    }
    const auto row = static_cast<std::size_t>(placed[i].row);
    const int height = std::min(widget->sizeHint().height(), heights[row]);
    widget->setGeometry(placed[i].x, tops[row] + (heights[row] - height) / 2, placed[i].width,
                        height);
  }
}

}  // namespace clipquill
