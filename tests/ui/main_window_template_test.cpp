// SPDX-License-Identifier: GPL-3.0-or-later
// The template document in the window: its bytes through the editor and
// back, load and save with their dialogs and questions, the default and
// recent templates, and find and replace.
// The rules themselves are the model's and are tested there.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QtTest>
#include <filesystem>

#include "main_window_fixture.h"
#include "ui/find_bar.h"
#include "ui/template_editor.h"

using namespace clipquill;
using namespace clipquill::testing;

class MainWindowTemplateTest : public MainWindowFixture {
  Q_OBJECT

 private slots:
  // A template that is not UTF-8 is shown as Latin-1 and saved as read; a
  // character typed beyond Latin-1 is kept.
  void templateBytesSurviveTheEditor() {
    writeFile(path("L1.qtpl"), "caf\xe9\r\nx\r\n");
    start({path("L1.qtpl")});
    QCOMPARE(child<TemplateEditor>(form, objectNames::kScriptMemo)->text(),
             QStringLiteral("caf\u00e9\nx"));
    fileDialogs.saves.push_back(FileChoice{path("same.qtpl"), 1});
    child<QAction>(form, objectNames::kSaveTemplate1)->trigger();
    QCOMPARE(readFile(path("same.qtpl")), std::string("caf\xe9\r\nx\r\n"));

    auto* editor = child<TemplateEditor>(form, objectNames::kScriptMemo);
    editor->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    // QTest types Latin-1 only; text entered as typed raises the same change.
    editor->typeText(QStringLiteral("\u20ac"));
    QVERIFY(form->model().state().modified);
    fileDialogs.saves.push_back(FileChoice{path("euro.qtpl"), 1});
    child<QAction>(form, objectNames::kSaveTemplate1)->trigger();
    QCOMPARE(readFile(path("euro.qtpl")), std::string("caf\xc3\xa9\r\nx\xe2\x82\xac\r\n"));
  }

  // Bytes read, shown, typed into and saved: unedited bytes come back as
  // read; a character Latin-1 cannot hold turns the template into UTF-8.
  void templateBytesRoundTrip_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("typed");  // at the start, as keys
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("utf-8") << bytes("caf\xc3\xa9 <F>\r\n") << "" << bytes("caf\xc3\xa9 <F>\r\n");
    QTest::newRow("latin-1") << bytes("caf\xe9\r\n\xff\r\n") << "" << bytes("caf\xe9\r\n\xff\r\n");
    QTest::newRow("latin-1, a latin-1 key") << bytes("caf\xe9\r\n") << "\u00e0"
                                            << bytes(
                                                   "\xe0"
                                                   "caf\xe9\r\n");
    QTest::newRow("latin-1, a euro key") << bytes("caf\xe9\r\n") << "\u20ac"
                                         << bytes(
                                                "\xe2\x82\xac"
                                                "caf\xc3\xa9\r\n");
    QTest::newRow("line feeds alone") << bytes("a\nb") << "" << bytes("a\r\nb\r\n");
    QTest::newRow("a lone CR") << bytes("a\rb\r\n") << "" << bytes("ab\r\n");
    QTest::newRow("NUL") << bytes("a\0b\r\n") << "" << bytes("a\0b\r\n");
    QTest::newRow("NUL in latin-1, a euro key")
        << bytes("\xe9\0\r\n") << "\u20ac" << bytes("\xe2\x82\xac\xc3\xa9\0\r\n");
    QTest::newRow("Ctrl-Z in a line") << bytes(
                                             "ab\x1a"
                                             "cd\r\nef")
                                      << "" << bytes("ab\r\nef\r\n");
    QTest::newRow("Ctrl-Z at a line's start") << bytes("\r\n\x1axyz") << "" << bytes("\r\n");
    QTest::newRow("empty") << QByteArray() << "" << QByteArray();
    // Empty first, last and only lines, typed into or not, in both encodings.
    QTest::newRow("latin-1, empty last line, a key")
        << bytes("A <F> \xe9t\xe9\r\n\r\n") << "k" << bytes("kA <F> \xe9t\xe9\r\n\r\n");
    QTest::newRow("utf-8, empty last line, a key")
        << bytes("A \xc3\xa9\r\n\r\n") << "k" << bytes("kA \xc3\xa9\r\n\r\n");
    QTest::newRow("two empty last lines, a key")
        << bytes("a\r\n\r\n\r\n") << "k" << bytes("ka\r\n\r\n\r\n");
    QTest::newRow("latin-1, empty first line, a key")
        << bytes("\r\n\xe9\r\n") << "k" << bytes("k\r\n\xe9\r\n");
    QTest::newRow("empty first and last lines, a key")
        << bytes("\r\nx\r\n\r\n") << "k" << bytes("k\r\nx\r\n\r\n");
    QTest::newRow("only line empty") << bytes("\r\n") << "" << bytes("\r\n");
    QTest::newRow("only line empty, a key") << bytes("\r\n") << "k" << bytes("k\r\n");
    QTest::newRow("empty last line") << bytes("a\r\n\r\n") << "" << bytes("a\r\n\r\n");
  }

  void templateBytesRoundTrip() {
    QFETCH(QByteArray, file);
    QFETCH(QString, typed);
    QFETCH(QByteArray, saved);
    writeFile(path("in.qtpl"), file.toStdString());
    start({path("in.qtpl")});
    auto* editor = child<TemplateEditor>(form, objectNames::kScriptMemo);
    editor->setFocus();
    for (QChar c : typed) {
      QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
      QApplication::sendEvent(editor, &key);
    }
    QCOMPARE(form->model().state().modified, !typed.isEmpty());
    fileDialogs.saves.push_back(FileChoice{path("out.qtpl"), 1});
    child<QAction>(form, objectNames::kSaveTemplate1)->trigger();
    QCOMPARE(QByteArray::fromStdString(readFile(path("out.qtpl"))), saved);
  }

  // File > Save as Default Template writes the user's own default, with no
  // dialog, and the next window starts on it.
  void saveAsDefaultTemplateIsWhereTheNextStartLooks() {
    startOnHall();
    auto* item = child<QAction>(form, objectNames::kSaveDefaultTemplate1);
    QCOMPARE(item->text(), QStringLiteral("Save as &Default Template"));
    item->trigger();
    QVERIFY(boxes.asked.empty() && boxes.errors.empty());
    QCOMPARE(readFile(path("home/.config/Clipquill/DefaultTemplate.qtpl")),
             std::string("AVISource(\"<P><F>\")\r\n"));
    start();
    QCOMPARE(form->model().state().templatePath,
             path("home/.config/Clipquill/DefaultTemplate.qtpl"));
    QCOMPARE(form->model().fieldText(Field::Source), path("clips"));
  }

  // The shipped default template is the program's (read-only once
  // installed): its first save proposes the user's own default template.
  void savingTheShippedDefaultProposesTheUsersOwn() {
    writeFile(path("app/DefaultTemplate.qtpl"), "AVISource(\"<P><F>\")\r\n");
    start();
    QCOMPARE(form->model().state().templatePath, path("app/DefaultTemplate.qtpl"));
    child<QAction>(form, objectNames::kSaveTemplate1)->trigger();
    QCOMPARE(fileDialogs.folders.back(), path("home/.config/Clipquill/"));
    QVERIFY(std::filesystem::is_directory(path("home/.config/Clipquill")));
    // Saved there, it is the user's own, whose next save stays where it is.
    fileDialogs.saves.push_back(FileChoice{path("home/.config/Clipquill/DefaultTemplate.qtpl"), 1});
    child<QAction>(form, objectNames::kSaveTemplate1)->trigger();
    QCOMPARE(readFile(path("home/.config/Clipquill/DefaultTemplate.qtpl")),
             std::string("AVISource(\"<P><F>\")\r\n"));
    child<QAction>(form, objectNames::kSaveTemplate1)->trigger();
    QCOMPARE(fileDialogs.folders.back(), path("home/.config/Clipquill/"));
    // Any other template's dialog starts in its own folder.
    startOnHall();
    child<QAction>(form, objectNames::kSaveTemplate1)->trigger();
    QCOMPARE(fileDialogs.folders.back(), dir->path() + "/");
  }

  // A template without a settings file empties Filter By, and the clip list
  // shows what an empty filter lists: every clip.
  void loadingATemplateWithoutSettingsListsEveryClip() {
    startOnHall();
    auto* list = child<QListView>(form, objectNames::kClipFileListBox);
    QCOMPARE(list->model()->rowCount(), 3);
    writeFile(path("Bare.qtpl"), "Bare\r\n");
    fileDialogs.opens.push_back(FileChoice{path("Bare.qtpl"), 1});
    QTest::mouseClick(child<QPushButton>(form, objectNames::kLoadSriptButton), Qt::LeftButton);
    QCOMPARE(child<QListView>(form, objectNames::kFilterByCheckListBox)->model()->rowCount(), 0);
    QCOMPARE(list->model()->rowCount(), 4);
    QCOMPARE(qobject_cast<QLabel*>(child<QLabel>(form, objectNames::kClipStatus))->text(),
             QStringLiteral("4 clips, 0 selected"));
  }

  void findAndReplaceWorkInTheEditor() {
    startOnHall();
    auto* editor = child<TemplateEditor>(form, objectNames::kScriptMemo);
    editor->setText(QStringLiteral("AVISource(a)\navisource(b)\nAVISource(c)"));
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_H, Qt::ControlModifier);
    auto* bar = child<FindBar>(form, objectNames::kFindBar);
    QVERIFY(bar->isVisible());
    QVERIFY(child<QLineEdit>(form, objectNames::kFindEdit)->hasFocus());
    child<QLineEdit>(form, objectNames::kFindEdit)->setText(QStringLiteral("AVISource"));
    auto* replaceEdit = child<QLineEdit>(form, objectNames::kReplaceEdit);
    replaceEdit->setText(QStringLiteral("FFVideoSource"));
    // A filter's name fits whole at the window's first size.
    QTRY_VERIFY(replaceEdit->width() >
                replaceEdit->fontMetrics().horizontalAdvance(replaceEdit->text()));
    child<QCheckBox>(form, objectNames::kMatchCaseCheckBox)->setChecked(true);
    QTest::mouseClick(child<QAbstractButton>(form, objectNames::kReplaceAllButton), Qt::LeftButton);
    QCOMPARE(editor->text(), QStringLiteral("FFVideoSource(a)\navisource(b)\nFFVideoSource(c)"));
    // One step to undo.
    editor->undo();
    QCOMPARE(editor->text(), QStringLiteral("AVISource(a)\navisource(b)\nAVISource(c)"));
    QTest::keyClick(child<QLineEdit>(form, objectNames::kFindEdit), Qt::Key_Escape);
    QVERIFY(!bar->isVisible());
    QVERIFY(editor->hasFocus());
    // F3 finds the next match from the caret, round the end.
    editor->setCursorPosition(1, 0);
    QTest::keyClick(editor, Qt::Key_F3);
    QCOMPARE(editor->selectedText(), QStringLiteral("AVISource"));
    int line = 0, index = 0;
    editor->getCursorPosition(&line, &index);
    QCOMPARE(line, 2);
  }

  void aFailedSaveOnCloseKeepsTheWindowOpen() {
    startOnHall();
    QTest::keyClicks(child<QLineEdit>(form, objectNames::kScriptLabeledEdit), "*_x");
    boxes.answers = {Answer::Save};
    fileDialogs.saves.push_back(FileChoice{path("missing/t.qtpl"), 1});
    form->close();
    QVERIFY(form->isVisible());
    QCOMPARE(boxes.errors.size(), std::size_t{1});
    QVERIFY(form->model().state().modified);
    // Save with its dialog cancelled, then Cancel: the window stays each time.
    boxes.answers = {Answer::Save, Answer::Cancel};
    form->close();
    form->close();
    QVERIFY(form->isVisible());
    // Only "Don't Save" closes without saving.
    boxes.answers = {Answer::DontSave};
    form->close();
    QVERIFY(!form->isVisible());
    QVERIFY(!std::filesystem::exists(path("t.qtpl")));
  }

  // Loads and saves fill File > Recent Templates; an item loads through Load
  // Template's questions, and the dialogs start in the template's folder.
  void recentTemplatesLoadThroughLoadTemplate() {
    startOnHall();
    auto* recent = form->findChild<QMenu*>(objectNames::kRecentTemplates1);
    QVERIFY(recent);
    QCOMPARE(recent->actions().size(), 1);  // the command line's template
    std::filesystem::create_directory(path("other"));
    writeFile(path("other/B&W.qtpl"), "bw\r\n");
    fileDialogs.opens.push_back(FileChoice{path("other/B&W.qtpl"), 1});
    child<QAction>(form, objectNames::kLoadTemplate1)->trigger();
    QCOMPARE(fileDialogs.folders, std::vector<std::string>{path("")});
    QCOMPARE(recent->actions().size(), 2);
    QCOMPARE(recent->actions()[0]->text(),
             QStringLiteral("&1 ") + QString::fromStdString(path("other/B&&W.qtpl")));
    child<QAction>(form, objectNames::kSaveTemplate1)->trigger();  // cancelled
    QCOMPARE(fileDialogs.folders.back(), path("other/"));

    QTest::keyClicks(child<TemplateEditor>(form, objectNames::kScriptMemo), "x");
    boxes.answers = {Answer::No};
    recent->actions()[1]->trigger();
    QTRY_COMPARE(child<TemplateEditor>(form, objectNames::kScriptMemo)->text(),
                 QStringLiteral("AVISource(\"<P><F>\")"));
    QCOMPARE(boxes.asked.size(), std::size_t{1});          // the save question
    QCOMPARE(fileDialogs.folders.size(), std::size_t{2});  // no open dialog
    QCOMPARE(recent->actions()[0]->text(),
             QStringLiteral("&1 ") + QString::fromStdString(path("Hall.qtpl")));
  }
};

int main(int argc, char** argv) {
  return runWindowTests<MainWindowTemplateTest>(argc, argv);
}
#include "main_window_template_test.moc"
