// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's widgets and keys: names, captions and the tab order,
// the menu's shortcuts before the edits', the Alt+letters, and the two key
// schemes.
// The rules themselves are the model's and are tested there.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QStatusBar>
#include <QtTest>
#include <filesystem>

#include "main_window_fixture.h"
#include "ui/find_bar.h"
#include "ui/preview_pane.h"
#include "ui/template_editor.h"

using namespace clipquill;
using namespace clipquill::testing;

class MainWindowKeysTest : public MainWindowFixture {
  Q_OBJECT

 private slots:
  void widgetsAreNamedCaptionedAndInTabOrder() {
    start();
    const std::vector<std::pair<const char*, const char*>> table{
        {objectNames::kLocLabeledEdit, "Location of sources:"},
        {objectNames::kCapFldrButton, "Clips Folder"},
        {objectNames::kClipNameLabeledEdit, "Name of source(s):"},
        {objectNames::kScriptLabeledEdit, "Name for script(s) - Wild card "},
        {objectNames::kDestLabeledEdit, "Destination folder for scripts:"},
        {objectNames::kScrFldrButton, "Script Folder"},
        {objectNames::kScriptMemo, "Script template:"},
        {objectNames::kCreateScriptsButton, "Create Script(s)"},
        {objectNames::kJoinScriptsCheckBox, "Join Sources"},
        {objectNames::kClipFileListBox, "Source(s):"},
        {objectNames::kSelectAllButton, "De/Select All"},
        {objectNames::kLoadSriptButton, "Load Template"},
        {objectNames::kSaveScriptButton, "Save Template"},
        {objectNames::kScriptNameMemo, "Script(s):"},
        {objectNames::kFilterByCheckListBox, "Filter By:"},
        {objectNames::kEditFiltersButton, "Edit Filter List"},
    };
    std::vector<QWidget*> expected;
    for (const auto& [name, caption] : table) {
      auto* widget = form->findChild<QWidget*>(name);
      QVERIFY2(widget, name);
      QVERIFY2(widget->accessibleName().startsWith(QString::fromLatin1(caption)), name);
      expected.push_back(widget);
    }
    // Walk the focus chain from the first widget: ours come in table order.
    std::vector<QWidget*> seen;
    QWidget* w = expected.front();
    for (int guard = 0; guard < 200 && seen.size() < expected.size(); ++guard) {
      if (std::find(expected.begin(), expected.end(), w) != expected.end()) seen.push_back(w);
      w = w->nextInFocusChain();
    }
    QCOMPARE(seen, expected);
    QCOMPARE(form->windowTitle(), QStringLiteral("Clipquill"));
    // Wider than the drawn 555 by 635 with the preview's picture beside it
    // (main_window_layout_test.cpp measures it on four screens).
    QVERIFY(form->width() > 555 &&
            form->height() >= std::min(635, form->screen()->availableGeometry().height() - 2));
    QVERIFY(!(form->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(child<QAction>(form, objectNames::kLoadInis)->isChecked() &&
            child<QAction>(form, objectNames::kSaveInis)->isChecked());
  }

  // Each kind of edit claims Ctrl+A and Ctrl+X for itself; the menu wins.
  void menuShortcutsComeBeforeTheEdits_data() {
    QTest::addColumn<QString>("widget");
    QTest::newRow("line edit") << objectNames::kLocLabeledEdit;
    QTest::newRow("name edit") << objectNames::kClipNameLabeledEdit;
    QTest::newRow("template editor") << objectNames::kScriptMemo;
    QTest::newRow("created-scripts list") << objectNames::kScriptNameMemo;
    QTest::newRow("clip list") << objectNames::kClipFileListBox;
    QTest::newRow("filter list") << objectNames::kFilterByCheckListBox;
  }

  void menuShortcutsComeBeforeTheEdits() {
    QFETCH(QString, widget);
    startOnHall();
    auto* target = form->findChild<QWidget*>(widget);
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());
    if (auto* edit = qobject_cast<QLineEdit*>(target)) {
      edit->setText("keep me");
      edit->setSelection(0, 4);
    }
    if (auto* memo = qobject_cast<QPlainTextEdit*>(target)) {
      if (memo->toPlainText().isEmpty()) memo->setPlainText("keep me");
      memo->selectAll();
      QVERIFY(memo->textCursor().hasSelection());
    }
    if (auto* editor = qobject_cast<TemplateEditor*>(target)) {
      editor->selectAll();
      QVERIFY(editor->hasSelectedText());
    }
    const bool saveInis = form->model().optionFlags().saveInis;
    QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(form->model().optionFlags().saveInis, !saveInis);
    QVERIFY(form->model().state().modified);
    // Ctrl+X: the close prompt, not a cut; its Cancel keeps the window and the text.
    const QString before = qobject_cast<QLineEdit*>(target)
                               ? qobject_cast<QLineEdit*>(target)->text()
                               : (qobject_cast<QPlainTextEdit*>(target)
                                      ? qobject_cast<QPlainTextEdit*>(target)->toPlainText()
                                      : (qobject_cast<TemplateEditor*>(target)
                                             ? qobject_cast<TemplateEditor*>(target)->text()
                                             : QString()));
    QTest::keyClick(target, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(boxes.asked.size(), std::size_t{1});
    QCOMPARE(boxes.asked[0].text,
             QStringLiteral("Do you want to save the template and an .ini file?"));
    QCOMPARE(boxes.asked[0].buttons, Buttons::SaveDontSaveCancel);
    QVERIFY(form->isVisible());
    if (auto* edit = qobject_cast<QLineEdit*>(target)) QCOMPARE(edit->text(), before);
    if (auto* memo = qobject_cast<QPlainTextEdit*>(target)) QCOMPARE(memo->toPlainText(), before);
    if (auto* editor = qobject_cast<TemplateEditor*>(target)) QCOMPARE(editor->text(), before);
  }

  // Keys no menu item claims keep their editing meaning.
  void editingKeysStayWithTheEdit() {
    start();
    QLineEdit* edit = child<QLineEdit>(form, objectNames::kClipNameLabeledEdit);
    edit->setFocus();
    QTest::keyClicks(edit, "ab");
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), QStringLiteral("abab"));
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(edit->text(), QStringLiteral("ab"));
    QCOMPARE(form->model().fieldText(Field::ClipName), std::string("ab"));
  }

  // Tab goes on to "Create Script(s)" as the tab order says; Ctrl+Tab types
  // a tab character.
  void tabMovesOnAndCtrlTabTypesATab() {
    startOnHall();
    auto* editor = child<TemplateEditor>(form, objectNames::kScriptMemo);
    editor->setFocus();
    QTRY_VERIFY(editor->hasFocus());
    QTest::keyClick(editor, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(editor->text(), QStringLiteral("\tAVISource(\"<P><F>\")"));
    QVERIFY(form->model().state().modified);
    QTest::keyClick(editor, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(),
             child<QPushButton>(form, objectNames::kCreateScriptsButton));
    QCOMPARE(editor->text(), QStringLiteral("\tAVISource(\"<P><F>\")"));
  }

  // Every label and button has an Alt+letter of its own; the captions keep
  // their text and the accessible names have no "&".
  void everyLabelAndButtonHasAMnemonic() {
    start();
    QSet<QChar> letters{'F', 'O', 'H'};  // the menu bar's
    QWidget* central = form->centralWidget();
    std::vector<QWidget*> widgets;
    // The find bar and the preview with its picture keep their own keys; a line that only
    // shows a message takes no focus.
    const auto own = [&](QWidget* w) {
      for (QWidget* p = w; p && p != central; p = p->parentWidget()) {
        if (p->objectName() == objectNames::kFindBar ||
            p->objectName() == objectNames::kPreviewPane ||
            p->objectName() == objectNames::kFramePane)
          return false;
      }
      return w->objectName() != objectNames::kSourceProblemLabel;
    };
    for (QLabel* label : central->findChildren<QLabel*>())
      if (own(label)) widgets.push_back(label);
    for (QAbstractButton* b : central->findChildren<QAbstractButton*>())
      if (own(b)) widgets.push_back(b);
    QCOMPARE(widgets.size(), std::size_t{17});
    for (QWidget* w : widgets) {
      auto* label = qobject_cast<QLabel*>(w);
      const QString text = label ? label->text() : qobject_cast<QAbstractButton*>(w)->text();
      const qsizetype amp = text.indexOf('&');
      QVERIFY2(amp >= 0 && amp + 1 < text.size(), qPrintable(text));
      QVERIFY2(!letters.contains(text[amp + 1].toUpper()), qPrintable(text));
      letters.insert(text[amp + 1].toUpper());
      if (label) QVERIFY2(label->buddy(), qPrintable(text));
      if (!label) QVERIFY(!w->accessibleName().contains('&'));
    }
    QCOMPARE(child<QLineEdit>(form, objectNames::kDestLabeledEdit)->accessibleName(),
             QStringLiteral("Destination folder for scripts:"));
    QTest::keyClick(form.get(), Qt::Key_D, Qt::AltModifier);
    QTRY_VERIFY(child<QLineEdit>(form, objectNames::kDestLabeledEdit)->hasFocus());
  }

  // Ctrl+Return runs "Create Script(s)" from the editor without a new line,
  // F1 opens the usage window, and the specified keys stay.
  void ctrlReturnCreatesAndF1ShowsTheUsage() {
    startOnHall();
    QTest::mouseClick(child<QPushButton>(form, objectNames::kSelectAllButton), Qt::LeftButton);
    auto* memo = child<TemplateEditor>(form, objectNames::kScriptMemo);
    memo->setFocus();
    QTRY_VERIFY(memo->hasFocus());
    QTest::keyClick(memo, Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(std::filesystem::exists(path("out/a.avs")));
    QCOMPARE(memo->text(), QStringLiteral("AVISource(\"<P><F>\")"));
    QTest::keyClick(memo, Qt::Key_F1);
    QCOMPARE(dialogs.usingShown, 1);
    QCOMPARE(child<QAction>(form, objectNames::kExit1)->shortcut(), QKeySequence("Ctrl+X"));
    QCOMPARE(child<QAction>(form, objectNames::kSaveInis)->shortcut(), QKeySequence("Ctrl+A"));
  }

  // Every Alt+letter is unique among what is in view at once: the window
  // with the find bar closed or open, and each menu.
  void noTwoMnemonicsShareALetter() {
    startOnHall();
    const auto letter = [](const QString& text) -> QChar {
      for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '&' && text[i + 1] != '&') return text[i + 1].toUpper();
        if (text[i] == '&') ++i;
      }
      return QChar();
    };
    const auto checkUnique = [&](const QStringList& captions, const char* state) {
      QMap<QChar, QString> seen;
      for (const QString& caption : captions) {
        const QChar c = letter(caption);
        if (c.isNull()) continue;
        QVERIFY2(!seen.contains(c), qPrintable(QStringLiteral("%1: %2 and %3 share Alt+%4")
                                                   .arg(state, seen.value(c), caption, c)));
        seen.insert(c, caption);
      }
    };
    const auto inView = [&] {
      QStringList captions;
      for (QAction* menu : form->menuBar()->actions())
        captions << menu->text();
      for (QLabel* label : form->centralWidget()->findChildren<QLabel*>())
        if (label->isVisible()) captions << label->text();
      for (QAbstractButton* b : form->centralWidget()->findChildren<QAbstractButton*>())
        if (b->isVisible()) captions << b->text();
      return captions;
    };
    checkUnique(inView(), "find bar closed");
    auto* editor = child<TemplateEditor>(form, objectNames::kScriptMemo);
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_H, Qt::ControlModifier);
    QVERIFY(child<FindBar>(form, objectNames::kFindBar)->isVisible());
    const QStringList open = inView();
    checkUnique(open, "find bar open");
    QVERIFY(open.contains(QStringLiteral("Replace &All")));
    // Every item of every menu has a letter, its own within its menu.
    for (QAction* menu : form->menuBar()->actions()) {
      QStringList captions;
      for (QAction* item : menu->menu()->actions()) {
        if (item->isSeparator()) continue;
        QVERIFY2(!letter(item->text()).isNull(), qPrintable(item->text()));
        captions << item->text();
      }
      checkUnique(captions, qPrintable(menu->text()));
    }

    // With the bar open, Alt+A replaces all and the selection stays.
    QTest::mouseClick(child<QPushButton>(form, objectNames::kSelectAllButton), Qt::LeftButton);
    QTest::keyClicks(child<QLineEdit>(form, objectNames::kFindEdit), "AVISource");
    QTest::keyClicks(child<QLineEdit>(form, objectNames::kReplaceEdit), "DirectShowSource");
    QTest::keyClick(form.get(), Qt::Key_A, Qt::AltModifier);
    QTRY_VERIFY(editor->text().startsWith(QStringLiteral("DirectShowSource")));
    QCOMPARE(form->model().clips().selectedCount(), std::size_t{3});
    // Closed again, the window's letters come back.
    QTest::keyClick(child<QLineEdit>(form, objectNames::kFindEdit), Qt::Key_Escape);
    QTRY_VERIFY(!child<FindBar>(form, objectNames::kFindBar)->isVisible());
    QCOMPARE(child<QPushButton>(form, objectNames::kSelectAllButton)->text(),
             QStringLiteral("De/Select &All"));
    checkUnique(inView(), "find bar closed again");
  }

  // The specified keys, then the desktop's: the option is the user's, and
  // the window says what a key flipped.
  void theDesktopsStandardKeysAreAPerUserOption() {
    startOnHall();
    auto* edit = child<QLineEdit>(form, objectNames::kScriptLabeledEdit);
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QVERIFY(!form->model().optionFlags().saveInis);
    QCOMPARE(form->statusBar()->currentMessage(), QStringLiteral("Save Template .ini's: off"));

    child<QAction>(form, objectNames::kStandardKeys1)->trigger();
    QCOMPARE(form->statusBar()->currentMessage(), QStringLiteral("Desktop's Standard Keys: on"));
    QTest::keyClicks(edit, "abc");
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(edit->selectedText(), QStringLiteral("abc"));
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);  // a cut, the window stays
    QVERIFY(form->isVisible());
    QCOMPARE(edit->text(), QString());
    QVERIFY(!form->model().optionFlags().saveInis);
    QVERIFY(child<QAction>(form, objectNames::kSaveInis)->shortcut().isEmpty());
    QVERIFY(child<QAction>(form, objectNames::kLoadInis)->shortcut().isEmpty());
    boxes.answers = {Answer::No};                           // the edits are not saved first
    QTest::keyClick(edit, Qt::Key_O, Qt::ControlModifier);  // Load Template
    QCOMPARE(fileDialogs.folders, std::vector<std::string>{path("")});
    boxes.answers = {Answer::DontSave};
    QTest::keyClick(edit, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!form->isVisible());

    // Kept for the next window; the template's flags are not touched.
    start();
    QVERIFY(child<QAction>(form, objectNames::kStandardKeys1)->isChecked());
    QCOMPARE(child<QAction>(form, objectNames::kExit1)->shortcut(), QKeySequence("Ctrl+Q"));
  }
};

int main(int argc, char** argv) {
  return runWindowTests<MainWindowKeysTest>(argc, argv);
}
#include "main_window_keys_test.moc"
