// SPDX-License-Identifier: GPL-3.0-or-later
// The template editor's highlighting and marks, on an editor of its own.
#include "ui/main_window.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>
#include <deque>
#include <filesystem>
#include <tuple>

#include "app/created_script_checks.h"
#include "support/named_child.h"
#include "support/qt_bytes.h"
#include "support/temp_dir.h"
#include "ui/avs_lexer.h"
#include "ui/editor_accessible.h"
#include "ui/elided_label.h"
#include "ui/find_bar.h"
#include "ui/list_views.h"
#include "ui/object_names.h"
#include "ui/preview_pane.h"
#include "ui/template_editor.h"

using namespace clipquill;
using clipquill::testing::bytes;

// The editor's highlighting and marks, on an editor of its own.
class TemplateEditorTest : public QObject {
  Q_OBJECT

 private slots:
  void theLexerStylesWhatItReads_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("word");  // the part whose style is checked
    QTest::addColumn<int>("style");
    QTest::newRow("line comment") << "x = 1 # a note"
                                  << "a note" << int(AvsLexer::LineComment);
    QTest::newRow("block comment") << "/* a\nnote */ x"
                                   << "note" << int(AvsLexer::BlockComment);
    QTest::newRow("nested comment") << "[* a *] x"
                                    << "a" << int(AvsLexer::NestedBlockComment);
    QTest::newRow("string") << "Import(\"a.avs\")"
                            << "a.avs" << int(AvsLexer::String);
    QTest::newRow("triple string") << "s = \"\"\"a \"b\" c\"\"\""
                                   << "b" << int(AvsLexer::TripleString);
    QTest::newRow("internal filter") << "AVISource(\"<P><F>\")"
                                     << "AVISource" << int(AvsLexer::Filter);
    QTest::newRow("filter in any case") << "last.converttoyv12()"
                                        << "converttoyv12" << int(AvsLexer::Filter);
    QTest::newRow("plugin function") << "QTGMC(preset=\"slow\")"
                                     << "QTGMC" << int(AvsLexer::Plugin);
    QTest::newRow("internal function") << "x = Round(2.5)"
                                       << "Round" << int(AvsLexer::Function);
    QTest::newRow("clip property") << "w = last.Width"
                                   << "Width" << int(AvsLexer::ClipProperty);
    QTest::newRow("keyword") << "return last"
                             << "return" << int(AvsLexer::Keyword);
    QTest::newRow("number") << "Trim(0, 1000)"
                            << "1000" << int(AvsLexer::Number);
    QTest::newRow("a name of the user's") << "myClip = 1"
                                          << "myClip" << int(AvsLexer::Identifier);
  }
  void theLexerStylesWhatItReads() {
    QFETCH(QString, text);
    QFETCH(QString, word);
    QFETCH(int, style);
    TemplateEditor editor;
    editor.setBytes(text.toStdString());
    editor.SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0UL, -1L);
    const long at = text.toUtf8().indexOf(word.toUtf8());
    QVERIFY(at >= 0);
    for (long i = at; i < at + word.toUtf8().size(); ++i)
      QCOMPARE(int(editor.SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT,
                                        static_cast<unsigned long>(i))),
               style);
  }

  void theTokensAreMarkedWhereTheyAreSeen() {
    TemplateEditor editor;
    editor.resize(400, 200);
    editor.setBytes("AVISource(\"<P><F>\") # <X> <P");
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    auto marked = [&](unsigned long pos) {
      return editor.SendScintilla(QsciScintillaBase::SCI_INDICATORVALUEAT, 8UL,
                                  static_cast<long>(pos)) != 0;
    };
    QTRY_VERIFY(marked(11));
    for (unsigned long pos : {11UL, 13UL, 14UL, 16UL})
      QVERIFY(marked(pos));
    for (unsigned long pos : {10UL, 17UL, 22UL, 23UL, 27UL})
      QVERIFY(!marked(pos));
    // A wash under the token, not a block that hides its letters.
    QVERIFY(editor.SendScintilla(QsciScintillaBase::SCI_INDICGETALPHA, 8UL) < 100);
  }

  // The screen reader's offsets are Qt's (UTF-16 units), in UTF-8 and in
  // Latin-1, before and after an edit, through the editor's own accessible.
  void theScreenReaderCountsAsQtDoes() {
    const std::string utf8 = "a\xc3\xa9\n\xf0\x9f\x8e\xac b\ncaf\xc3\xa9";
    for (const std::string& bytes : {utf8, std::string("caf\xe9\nx\xff")}) {
      TemplateEditor editor;
      editor.setBytes(bytes);
      const bool latin1 = editor.showsLatin1();
      QCOMPARE(latin1, bytes != utf8);
      editor.SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
      editor.typeText(QStringLiteral("\u00fcz"));  // after an edit, too
      const std::string now(editor.bytes());
      for (std::size_t pos = 0; pos <= now.size(); ++pos) {
        if (!latin1 && pos < now.size() && (static_cast<unsigned char>(now[pos]) & 0xC0) == 0x80)
          continue;  // inside a character
        const QByteArray before(now.data(), static_cast<qsizetype>(pos));
        const auto offset =
            (latin1 ? QString::fromLatin1(before) : QString::fromUtf8(before)).size();
        QCOMPARE(editor.offsetAt(static_cast<long>(pos)), static_cast<long>(offset));
        QCOMPARE(editor.positionAt(static_cast<long>(offset)), static_cast<long>(pos));
      }
      QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&editor);
      QVERIFY(accessible && accessible->textInterface());
      QAccessibleTextInterface* text = accessible->textInterface();
      int start = 0, end = 0;
      QCOMPARE(
          text->textAtOffset(text->characterCount() - 1, QAccessible::LineBoundary, &start, &end),
          editor.text(editor.lines() - 1));
      QCOMPARE(end, text->characterCount());
      const int last = text->characterCount() - 1;
      QCOMPARE(text->textBeforeOffset(last, QAccessible::LineBoundary, &start, &end),
               editor.text(editor.lines() - 2));
      QCOMPARE(text->textAfterOffset(last, QAccessible::LineBoundary, &start, &end), QString());
      QCOMPARE(text->cursorPosition(), text->characterCount());
      // Words by Qt's rule, within their line, at the document's offsets.
      const int lastLine =
          text->characterCount() - static_cast<int>(editor.text(editor.lines() - 1).size());
      QCOMPARE(text->textAtOffset(lastLine + 1, QAccessible::WordBoundary, &start, &end),
               editor.text(editor.lines() - 1));
      QCOMPARE(std::pair(start, end), std::pair(lastLine, text->characterCount()));
      QCOMPARE(text->textBeforeOffset(lastLine + 1, QAccessible::WordBoundary, &start, &end),
               QString());
    }
  }

  // While a screen reader listens, it hears of each change and caret move at
  // Qt's offsets, the removed text read before it goes.
  void aListeningScreenReaderHearsTheEdits() {
    using Heard = std::tuple<int, int, QString>;  // what, at which offset, which text
    std::vector<Heard> changes;
    int caret = -1;
    listenForTesting([&](QAccessibleEvent* event) {
      if (auto* e = dynamic_cast<QAccessibleTextInsertEvent*>(event)) {
        changes.emplace_back(e->type(), e->changePosition(), e->textInserted());
      } else if (auto* e = dynamic_cast<QAccessibleTextRemoveEvent*>(event)) {
        changes.emplace_back(e->type(), e->changePosition(), e->textRemoved());
      } else if (auto* e = dynamic_cast<QAccessibleTextCursorEvent*>(event)) {
        caret = e->cursorPosition();
      }
    });
    {
      TemplateEditor editor;
      editor.setBytes("\xc3\xa9\xc3\xa9\nab");
      editor.show();
      QVERIFY(QTest::qWaitForWindowExposed(&editor));
      editor.SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
      changes.clear();
      editor.typeText(QStringLiteral("\u00fc"));
      QTRY_COMPARE(caret, 6);
      QTest::keyClick(&editor, Qt::Key_Backspace);
      QTest::keyClick(&editor, Qt::Key_Backspace);
      QTRY_COMPARE(caret, 4);
    }
    listenForTesting(nullptr);
    const std::vector<Heard> expected = {
        {QAccessible::TextInserted, 5, QStringLiteral("\u00fc")},
        {QAccessible::TextRemoved, 5, QStringLiteral("\u00fc")},
        {QAccessible::TextRemoved, 4, QStringLiteral("b")},
    };
    QCOMPARE(changes, expected);
  }

  // The caret goes to a byte of a line, as the template's places count them:
  // kept on that line, never inside a character, and not moved for a line
  // the document does not have.
  void theCaretGoesToAByteOfALine() {
    TemplateEditor editor;
    struct Case {
      const char* document;
      std::size_t line, byte;
      int caretLine, caretIndex;  // the caret as Qt counts: characters
    };
    const Case cases[] = {
        {"a\xc3\xa9<P>\nbc", 0, 3, 0, 2},   // after the "\xc3\xa9"
        {"a\xc3\xa9<P>\nbc", 0, 2, 0, 1},   // within it: its start
        {"a\xc3\xa9<P>\nbc", 0, 99, 0, 5},  // past the line's end: its end
        {"a\xc3\xa9<P>\nbc", 1, 1, 1, 1},
        {"a\xe9<P>\nbc", 0, 2, 0, 2},   // Latin-1: a byte a character
        {"a\xe9<P>\nbc", 1, 99, 1, 2},  // the last line's end
        {"a\xe9<P>\nbc", 2, 0, 0, 1},   // no such line: where it was
    };
    for (const Case& c : cases) {
      editor.setBytes(c.document);
      editor.setCursorPosition(0, 1);
      editor.setCaretAtByte(c.line, c.byte);
      int line = -1;
      int index = -1;
      editor.getCursorPosition(&line, &index);
      QCOMPARE(QPair(line, index), QPair(c.caretLine, c.caretIndex));
    }
  }

  // Dark or light, the text stands apart from its paper.
  void theColoursComeFromThePalette() {
    for (const QColor& paper : {QColor(Qt::white), QColor(30, 30, 30)}) {
      QPalette palette;
      palette.setColor(QPalette::Base, paper);
      palette.setColor(QPalette::Text, paper.lightness() < 128 ? Qt::white : Qt::black);
      AvsLexer lexer;
      lexer.usePalette(palette);
      QCOMPARE(lexer.paper(AvsLexer::Default), paper);
      for (int style : {int(AvsLexer::LineComment), int(AvsLexer::String), int(AvsLexer::Filter),
                        int(AvsLexer::Keyword), int(AvsLexer::Number)}) {
        QVERIFY2(std::abs(lexer.color(style).lightness() - paper.lightness()) > 80,
                 qPrintable(QString::number(style)));
      }
    }
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  TemplateEditorTest editor;
  return QTest::qExec(&editor, argc, argv);
}
#include "template_editor_test.moc"
