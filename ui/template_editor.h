// SPDX-License-Identifier: GPL-3.0-or-later
// The template editor: a Scintilla editor that holds the template's bytes as
// they are. Valid UTF-8 is shown as UTF-8; anything else byte for byte as
// Latin-1, so that unedited bytes go back exactly as read. A typed character
// that Latin-1 cannot hold turns the whole template into UTF-8 first, so that
// it is kept as typed. AviSynth highlighting, "<P>" and "<F>" marked, line
// numbers, the current line and matching braces; Tab moves on to the next
// control and Ctrl+Tab types a tab character.
#pragma once

#include <Qsci/qsciscintilla.h>

#include "ui/editor_accessible.h"

#include <cstddef>
#include <string_view>

namespace clipquill {

class AvsLexer;

class TemplateEditor : public QsciScintilla {
  Q_OBJECT

 public:
  explicit TemplateEditor(QWidget* parent = nullptr);

  // Replaces the document with bytes, lines separated by "\n", and forgets
  // the undo history.
  void setBytes(std::string_view bytes);
  // The document's bytes. Valid until the next change of the document.
  std::string_view bytes() const;
  // Whether the document shows its bytes as Latin-1 rather than UTF-8.
  bool showsLatin1() const;

  // Bytes from to to, which stay where they are in the document's buffer.
  std::string_view rangeBytes(long from, long to) const;
  // A byte position as a character offset (UTF-16 code units, as Qt counts)
  // and back, for the screen reader. The first call in a UTF-8 document has
  // Scintilla index its lines' offsets; each call then costs a search and
  // the rest of one line.
  long offsetAt(long position) const;
  long positionAt(long offset) const;

  std::size_t lineCount() const;
  // One line's bytes without its line end.
  std::string_view lineBytes(std::size_t line) const;
  // The caret to byte `byte` of line `line` (kept within the line, at the
  // start of the character the byte is in), scrolled into view.
  void setCaretAtByte(std::size_t line, std::size_t byte);
  // The first document line in view and how many lines the view shows.
  std::size_t firstVisibleLine() const;
  // The height of a line of text, in pixels.
  int textHeight() const;
  std::size_t visibleLineCount() const;

  // Text entered at the caret as if typed, replacing the selection.
  void typeText(const QString& text);

  void paste() override;

 signals:
  // Ctrl+F, Ctrl+H, F3 and Shift+F3: the window's find bar answers them.
  void findRequested(bool replace);
  void findAgainRequested(bool backwards);
  // The user changed the document (sent before the change lands, at a
  // constant cost whatever the document's size).
  void edited();
  // The document or the part of it in view changed.
  void viewChanged();

 protected:
  bool focusNextPrevChild(bool next) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // Before text that Latin-1 cannot hold is entered into a Latin-1
  // document: the document becomes UTF-8, caret and selection kept.
  void makeRoomFor(const QString& text);
  void markTokens();
  void fitLineNumbers();
  void usePalette();
  void indexLines() const;
  void dropLineIndex();

  AvsLexer* lexer_;
  EditorNotices notices_{*this};
  int lineNumberDigits_ = 0;
  mutable bool linesIndexed_ = false;
};

}  // namespace clipquill
