// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/editor_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <algorithm>
#include <string_view>
#include <utility>

#include "ui/template_editor.h"

namespace clipquill {

namespace {

using Base = QsciScintillaBase;

std::function<void(QAccessibleEvent*)>& testListener() {
  static std::function<void(QAccessibleEvent*)> listener;
  return listener;
}

void tell(QAccessibleEvent* event) {
  if (testListener()) {
    testListener()(event);
  } else {
    QAccessible::updateAccessibility(event);
  }
}

QString textOf(const TemplateEditor& editor, long from, long to) {
  const std::string_view bytes = editor.rangeBytes(from, to);
  const auto size = static_cast<qsizetype>(bytes.size());
  return editor.showsLatin1() ? QString::fromLatin1(bytes.data(), size)
                              : QString::fromUtf8(bytes.data(), size);
}

bool screenReaderListens() {
  return testListener() || QAccessible::isActive();
}

// One line's text, for Qt's own rules for words, sentences and paragraphs,
// which read all the text they are given: given a line, not the template.
class LineText : public QAccessibleTextInterface {
 public:
  explicit LineText(QString text) : text_(std::move(text)) {}
  QString text(int start, int end) const override { return text_.mid(start, end - start); }
  int characterCount() const override { return static_cast<int>(text_.size()); }
  // The rules ask for nothing else.
  void selection(int, int* start, int* end) const override { *start = *end = 0; }
  int selectionCount() const override { return 0; }
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}
  int cursorPosition() const override { return 0; }
  void setCursorPosition(int) override {}
  QRect characterRect(int) const override { return {}; }
  int offsetAtPoint(const QPoint&) const override { return -1; }
  void scrollToSubstring(int, int) override {}
  QString attributes(int, int* start, int* end) const override {
    *start = *end = 0;
    return {};
  }

 private:
  QString text_;
};

class EditorAccessible : public QAccessibleWidget,
                         public QAccessibleTextInterface,
                         public QAccessibleEditableTextInterface {
 public:
  explicit EditorAccessible(TemplateEditor* editor)
      : QAccessibleWidget(editor, QAccessible::EditableText) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface)
      return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.multiLine = true;
    s.selectableText = true;
    s.readOnly = editor()->isReadOnly();
    s.editable = !s.readOnly;
    return s;
  }

  QString text(QAccessible::Text type) const override {
    if (type == QAccessible::Value) return editor()->text();
    return QAccessibleWidget::text(type);
  }

  void selection(int index, int* start, int* end) const override {
    *start = *end = 0;
    if (index != 0 || !editor()->hasSelectedText()) return;
    *start = offset(editor()->SendScintilla(Base::SCI_GETSELECTIONSTART));
    *end = offset(editor()->SendScintilla(Base::SCI_GETSELECTIONEND));
  }
  int selectionCount() const override { return editor()->hasSelectedText() ? 1 : 0; }
  void addSelection(int start, int end) override { setSelection(0, start, end); }
  void removeSelection(int index) override {
    if (index == 0) editor()->SendScintilla(Base::SCI_SETEMPTYSELECTION, caret());
  }
  void setSelection(int index, int start, int end) override {
    if (index != 0) return;
    editor()->SendScintilla(Base::SCI_SETSEL, static_cast<unsigned long>(position(start)),
                            position(end));
  }

  int cursorPosition() const override { return offset(caret()); }
  void setCursorPosition(int at) override {
    editor()->SendScintilla(Base::SCI_GOTOPOS, static_cast<unsigned long>(position(at)));
  }

  QString text(int start, int end) const override {
    return bytesAsText(position(start), position(end));
  }

  // Lines and characters are answered from their own bytes, the other
  // boundaries within their line: Qt's defaults would read the whole text.
  QString textAtOffset(int at, QAccessible::TextBoundaryType boundary, int* start,
                       int* end) const override {
    if (boundary == QAccessible::LineBoundary) return lineAround(position(at), start, end);
    if (boundary == QAccessible::CharBoundary) {
      const long from = position(at);
      const long to =
          editor()->SendScintilla(Base::SCI_POSITIONAFTER, static_cast<unsigned long>(from));
      *start = at;
      *end = offset(to);
      return bytesAsText(from, to);
    }
    return withinLine(at, start, end, [&](const LineText& line, int inLine, int* from, int* to) {
      return line.textAtOffset(inLine, boundary, from, to);
    });
  }
  QString textBeforeOffset(int at, QAccessible::TextBoundaryType boundary, int* start,
                           int* end) const override {
    if (boundary == QAccessible::LineBoundary) return lineNextTo(at, -1, start, end);
    return withinLine(at, start, end, [&](const LineText& line, int inLine, int* from, int* to) {
      return line.textBeforeOffset(inLine, boundary, from, to);
    });
  }
  QString textAfterOffset(int at, QAccessible::TextBoundaryType boundary, int* start,
                          int* end) const override {
    if (boundary == QAccessible::LineBoundary) return lineNextTo(at, 1, start, end);
    return withinLine(at, start, end, [&](const LineText& line, int inLine, int* from, int* to) {
      return line.textAfterOffset(inLine, boundary, from, to);
    });
  }

  int characterCount() const override { return offset(length()); }

  QRect characterRect(int at) const override {
    const auto pos = static_cast<unsigned long>(position(at));
    const int x = static_cast<int>(
        editor()->SendScintilla(Base::SCI_POINTXFROMPOSITION, 0UL, static_cast<long>(pos)));
    const int y = static_cast<int>(
        editor()->SendScintilla(Base::SCI_POINTYFROMPOSITION, 0UL, static_cast<long>(pos)));
    const long line = editor()->SendScintilla(Base::SCI_LINEFROMPOSITION, pos);
    const int height = static_cast<int>(
        editor()->SendScintilla(Base::SCI_TEXTHEIGHT, static_cast<unsigned long>(line)));
    const long next = editor()->SendScintilla(Base::SCI_POSITIONAFTER, pos);
    const int nextX =
        static_cast<int>(editor()->SendScintilla(Base::SCI_POINTXFROMPOSITION, 0UL, next));
    const QPoint topLeft = editor()->viewport()->mapToGlobal(QPoint(x, y));
    return {topLeft, QSize(std::max(1, nextX - x), height)};
  }
  int offsetAtPoint(const QPoint& point) const override {
    const QPoint local = editor()->viewport()->mapFromGlobal(point);
    const long pos = editor()->SendScintilla(Base::SCI_POSITIONFROMPOINTCLOSE,
                                             static_cast<unsigned long>(local.x()), local.y());
    return pos < 0 ? -1 : offset(pos);
  }
  void scrollToSubstring(int start, int end) override {
    editor()->SendScintilla(Base::SCI_SCROLLRANGE, static_cast<unsigned long>(position(end)),
                            position(start));
  }
  QString attributes(int at, int* start, int* end) const override {
    *start = *end = at;
    return {};
  }

  void deleteText(int start, int end) override { replaceText(start, end, {}); }
  void insertText(int at, const QString& text) override { replaceText(at, at, text); }
  void replaceText(int start, int end, const QString& text) override {
    if (editor()->isReadOnly()) return;
    setSelection(0, start, end);
    editor()->typeText(text);
  }

 private:
  TemplateEditor* editor() const { return static_cast<TemplateEditor*>(widget()); }
  int offset(long pos) const { return static_cast<int>(editor()->offsetAt(pos)); }
  long position(int at) const { return editor()->positionAt(at); }
  long caret() const { return editor()->SendScintilla(Base::SCI_GETCURRENTPOS); }
  long length() const { return editor()->SendScintilla(Base::SCI_GETLENGTH); }
  long lineStart(long line) const {
    return editor()->SendScintilla(Base::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
  }

  QString bytesAsText(long from, long to) const { return textOf(*editor(), from, to); }
  // The line holding pos, its line end included, as screen readers expect.
  QString lineAround(long pos, int* start, int* end) const {
    const long line =
        editor()->SendScintilla(Base::SCI_LINEFROMPOSITION, static_cast<unsigned long>(pos));
    const long from = lineStart(line);
    const long to = lineStart(line + 1);
    *start = offset(from);
    *end = offset(to);
    return bytesAsText(from, to);
  }
  // Qt's rule for a boundary applied to the line holding offset at: words,
  // sentences and paragraphs end at a line's end in a script.
  template <class Ask>
  QString withinLine(int at, int* start, int* end, Ask ask) const {
    if (at == -2) at = cursorPosition();  // Qt's "at the caret"
    const long line = editor()->SendScintilla(Base::SCI_LINEFROMPOSITION,
                                              static_cast<unsigned long>(position(at)));
    const long from = lineStart(line);
    const int base = offset(from);
    const QString found =
        ask(LineText(bytesAsText(from, lineStart(line + 1))), at - base, start, end);
    if (*start >= 0) *start += base;
    if (*end >= 0) *end += base;
    return found;
  }
  // The line before (step -1) or after (step 1) the one holding offset at.
  QString lineNextTo(int at, long step, int* start, int* end) const {
    const long line = editor()->SendScintilla(Base::SCI_LINEFROMPOSITION,
                                              static_cast<unsigned long>(position(at))) +
                      step;
    if (line < 0 || line >= static_cast<long>(editor()->lineCount())) {
      *start = *end = -1;
      return {};
    }
    return lineAround(lineStart(line), start, end);
  }
};

QAccessibleInterface* makeAccessible(const QString& className, QObject* object) {
  if (className != QLatin1String(TemplateEditor::staticMetaObject.className())) return nullptr;
  auto* editor = qobject_cast<TemplateEditor*>(object);
  return editor ? new EditorAccessible(editor) : nullptr;
}

}  // namespace

void installEditorAccessible() {
  static const bool installed = [] {
    QAccessible::installFactory(makeAccessible);
    return true;
  }();
  (void)installed;
}

void listenForTesting(std::function<void(QAccessibleEvent*)> listener) {
  testListener() = std::move(listener);
}

void EditorNotices::beforeInsert(long position, long length) {
  tellInserted();
  if (!screenReaderListens() || length <= 0) return;
  insertedAt_ = position;
  insertedLength_ = length;
}

void EditorNotices::beforeDelete(long position, long length) {
  tellInserted();
  if (!screenReaderListens() || length <= 0) return;
  QAccessibleTextRemoveEvent event(&editor_, static_cast<int>(editor_.offsetAt(position)),
                                   textOf(editor_, position, position + length));
  tell(&event);
}

void EditorNotices::viewUpdated(bool caretMoved) {
  tellInserted();
  if (!caretMoved || !screenReaderListens()) return;
  const long caret = editor_.SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
  QAccessibleTextCursorEvent event(&editor_, static_cast<int>(editor_.offsetAt(caret)));
  tell(&event);
}

void EditorNotices::tellInserted() {
  if (insertedAt_ < 0) return;
  const long at = std::exchange(insertedAt_, -1);
  QAccessibleTextInsertEvent event(&editor_, static_cast<int>(editor_.offsetAt(at)),
                                   textOf(editor_, at, at + insertedLength_));
  tell(&event);
}

}  // namespace clipquill
