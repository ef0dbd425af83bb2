// SPDX-License-Identifier: GPL-3.0-or-later
// The two lists of the main window as views over the model's own lists: no
// widget item per entry, so that a folder of 100,000 clips costs no more to
// show than the rows on screen.
#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <functional>

#include "clips/clip_list.h"
#include "clips/filter_list.h"

namespace clipquill {

// The clip list's entries; names that are not valid UTF-8 read as Latin-1.
class ClipListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  ClipListModel(const ClipList& list, QObject* parent) : QAbstractListModel(parent), list_(list) {}
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  // After the list was re-read.
  void refresh();

 private:
  const ClipList& list_;
};

// The filter list's entries with their check marks. The items are not
// user-checkable: the view decides what toggles, and the model's rules
// follow.
class FilterListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  FilterListModel(const FilterList& list, QObject* parent)
      : QAbstractListModel(parent), list_(list) {}
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  // After entries or check marks changed; keeps the highlight when the
  // number of entries stayed.
  void refresh();

 private:
  const FilterList& list_;
  int shownRows_ = 0;
};

// The filter list as a check list: a left press in the check column (the box
// and a 2-pixel margin) or the space bar toggles the entry; a press on the
// text, or the keyboard moving the highlight (arrows, Home, End, pages,
// type-ahead), is the list's click. A press below the last entry and the
// right button do nothing.
class FilterCheckList : public QListView {
  Q_OBJECT

 public:
  explicit FilterCheckList(QWidget* parent = nullptr);

  std::function<void(int row)> onToggle;
  std::function<void()> onClick;

  // The check column's right edge for a row, in viewport coordinates.
  int checkColumnEnd(const QModelIndex& index) const;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool pressEntry(QMouseEvent* event);
};

}  // namespace clipquill
