// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/script_text_view.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>

namespace clipquill {

namespace {

// The text interface over the view's document: offsets are the document's
// positions (a line end is one), places are the view's, scrolled as drawn.
class ScriptTextAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit ScriptTextAccessible(ScriptTextView* view)
      : QAccessibleWidget(view, QAccessible::EditableText) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = view()->isReadOnly();
    s.editable = !s.readOnly;
    s.multiLine = true;
    s.selectableText = true;
    return s;
  }
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return view()->toPlainText();
    return QAccessibleWidget::text(t);
  }

  void selection(int index, int* start, int* end) const override {
    *start = *end = 0;
    const QTextCursor cursor = view()->textCursor();
    if (index != 0 || !cursor.hasSelection()) return;
    *start = cursor.selectionStart();
    *end = cursor.selectionEnd();
  }
  int selectionCount() const override { return view()->textCursor().hasSelection() ? 1 : 0; }
  void addSelection(int start, int end) override { setSelection(0, start, end); }
  void removeSelection(int index) override {
    if (index != 0) return;
    QTextCursor cursor = view()->textCursor();
    cursor.clearSelection();
    view()->setTextCursor(cursor);
  }
  void setSelection(int index, int start, int end) override {
    if (index != 0) return;
    view()->setTextCursor(cursorOver(start, end));
  }
  int cursorPosition() const override { return view()->textCursor().position(); }
  void setCursorPosition(int position) override {
    view()->setTextCursor(cursorOver(position, position));
  }
  QString text(int start, int end) const override {
    return cursorOver(start, end).selectedText().replace(QChar::ParagraphSeparator, u'\n');
  }
  int characterCount() const override { return view()->document()->characterCount() - 1; }
  QRect characterRect(int offset) const override {
    const QRect r = view()->characterRect(offset);
    return r.isEmpty() ? QRect() : r.translated(view()->viewport()->mapToGlobal(QPoint(0, 0)));
  }
  int offsetAtPoint(const QPoint& point) const override {
    return view()->characterAt(view()->viewport()->mapFromGlobal(point));
  }
  void scrollToSubstring(int start, int end) override {
    view()->setTextCursor(cursorOver(start, end));
    view()->ensureCursorVisible();
  }
  QString attributes(int offset, int* start, int* end) const override {
    *start = *end = offset;
    return {};
  }

 private:
  ScriptTextView* view() const { return static_cast<ScriptTextView*>(widget()); }
  QTextCursor cursorOver(int start, int end) const {
    const int last = characterCount();
    QTextCursor cursor(view()->document());
    cursor.setPosition(std::clamp(start, 0, last));
    cursor.setPosition(std::clamp(end, 0, last), QTextCursor::KeepAnchor);
    return cursor;
  }
};

QAccessibleInterface* makeAccessible(const QString& className, QObject* object) {
  if (className != QLatin1String(ScriptTextView::staticMetaObject.className())) return nullptr;
  auto* view = qobject_cast<ScriptTextView*>(object);
  return view ? new ScriptTextAccessible(view) : nullptr;
}

}  // namespace

ScriptTextView::ScriptTextView(QWidget* parent) : QPlainTextEdit(parent) {
  static const bool installed = [] {
    QAccessible::installFactory(makeAccessible);
    return true;
  }();
  (void)installed;
}

QRect ScriptTextView::characterRect(int offset) const {
  const QTextBlock block = document()->findBlock(offset);
  if (!block.isValid() || !block.layout()) return {};
  const QTextLayout* layout = block.layout();
  const int at = offset - block.position();
  const QTextLine line = layout->lineForTextPosition(at);
  if (!line.isValid()) return {};
  const QPointF origin =
      blockBoundingGeometry(block).translated(contentOffset()).topLeft() + layout->position();
  const qreal x = line.cursorToX(at);
  // A line's end has no width of its own: an average character's.
  const qreal next =
      at + 1 < block.length() ? line.cursorToX(at + 1) : x + fontMetrics().averageCharWidth();
  return QRectF(origin.x() + x, origin.y() + line.y(), std::max<qreal>(next - x, 1), line.height())
      .toAlignedRect();
}

int ScriptTextView::characterAt(QPoint point) const {
  if (!viewport()->rect().contains(point)) return -1;
  const QPointF offset = contentOffset();
  for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
    const QRectF box = blockBoundingGeometry(block).translated(offset);
    if (box.top() > point.y()) break;
    if (point.y() >= box.bottom() || !block.layout()) continue;
    const QTextLayout* layout = block.layout();
    const QPointF inside = QPointF(point) - box.topLeft() - layout->position();
    for (int i = 0; i < layout->lineCount(); ++i) {
      const QTextLine line = layout->lineAt(i);
      if (inside.y() < line.y() || inside.y() >= line.y() + line.height()) continue;
      return block.position() + line.xToCursor(inside.x(), QTextLine::CursorOnCharacter);
    }
  }
  return -1;
}

}  // namespace clipquill
