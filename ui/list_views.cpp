// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/list_views.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>

#include "ui/qt_text.h"

namespace clipquill {

int ClipListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(list_.count());
}

QVariant ClipListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole) return {};
  return shownText(list_.entry(static_cast<std::size_t>(index.row())));
}

void ClipListModel::refresh() {
  beginResetModel();
  endResetModel();
}

int FilterListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(list_.count());
}

QVariant FilterListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const auto row = static_cast<std::size_t>(index.row());
  if (role == Qt::DisplayRole) return shownText(list_.text(row));
  if (role == Qt::CheckStateRole)
    return list_.state(row) == CheckState::Checked ? Qt::Checked : Qt::Unchecked;
  return {};
}

void FilterListModel::refresh() {
  const int rows = static_cast<int>(list_.count());
  if (rows == shownRows_ && rows > 0) {
    emit dataChanged(index(0), index(rows - 1));
    return;
  }
  beginResetModel();
  shownRows_ = rows;
  endResetModel();
}

FilterCheckList::FilterCheckList(QWidget* parent) : QListView(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformItemSizes(true);
}

int FilterCheckList::checkColumnEnd(const QModelIndex& index) const {
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  option.rect = visualRect(index);
  option.features |= QStyleOptionViewItem::HasCheckIndicator;
  const QRect box = style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
  return box.right() + 2;
}

bool FilterCheckList::pressEntry(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return true;  // swallowed: no effect
  const QModelIndex index = indexAt(event->position().toPoint());
  if (!index.isValid()) return false;
  const bool inCheckColumn = event->position().toPoint().x() <= checkColumnEnd(index);
  setCurrentIndex(index);
  if (inCheckColumn) {
    if (onToggle) onToggle(index.row());
  } else if (onClick) {
    onClick();
  }
  return true;
}

void FilterCheckList::mousePressEvent(QMouseEvent* event) {
  if (!pressEntry(event)) QListView::mousePressEvent(event);
}

// The second press of a double click toggles again, at once, as the first did.
void FilterCheckList::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!pressEntry(event)) QListView::mouseDoubleClickEvent(event);
}

void FilterCheckList::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
    if (currentIndex().isValid() && onToggle) onToggle(currentIndex().row());
    return;
  }
  const QPersistentModelIndex before = currentIndex();
  QListView::keyPressEvent(event);
  if (currentIndex() != before && currentIndex().isValid() && onClick) onClick();
}

}  // namespace clipquill
