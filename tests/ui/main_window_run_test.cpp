// SPDX-License-Identifier: GPL-3.0-or-later
// "Create Script(s)" in the window: the preview, the run and its progress,
// the status bar's sums, and the check of the created scripts.
// The rules themselves are the model's and are tested there.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <filesystem>

#include "app/created_script_checks.h"
#include "main_window_fixture.h"
#include "ui/elided_label.h"
#include "ui/frame_pane.h"
#include "ui/preview_pane.h"
#include "ui/template_editor.h"

using namespace clipquill;
using namespace clipquill::testing;

class MainWindowRunTest : public MainWindowFixture {
  Q_OBJECT

 private slots:
  // The preview shows what the run would write for the current clip, follows
  // the join option and typing, and stays hidden once the user hides it.
  void thePreviewFollowsTheWindowAndIsRemembered() {
    startOnHall();
    auto* pane = child<PreviewPane>(form, objectNames::kPreviewPane);
    QVERIFY(pane->isVisible());
    QTest::mouseClick(child<QPushButton>(form, objectNames::kSelectAllButton), Qt::LeftButton);
    form->refreshPreview();
    const QString clips = QString::fromStdString(path("clips/"));
    QCOMPARE(pane->text(), "AVISource(\"" + clips + "a.avi\")");
    QVERIFY(pane->title().contains(QStringLiteral("a.avs")));
    QVERIFY(!pane->title().contains(QStringLiteral("already there")));
    writeFile(path("out/a.avs"), "");
    child<QCheckBox>(form, objectNames::kJoinScriptsCheckBox)->click();
    QTRY_COMPARE(pane->text(), "AVISource(\"" + clips + "a.avi\", \"" + clips + "b.avi\", \"" +
                                   clips + "d.avi\")");
    child<QCheckBox>(form, objectNames::kJoinScriptsCheckBox)->click();
    form->refreshPreview();
    QVERIFY(pane->title().contains(QStringLiteral("already there")));
    // Typing: the preview follows once typing pauses.
    auto* editor = child<TemplateEditor>(form, objectNames::kScriptMemo);
    editor->setFocus();
    QTest::keyClicks(editor, "#");
    QTRY_COMPARE(pane->text(), "#AVISource(\"" + clips + "a.avi\")");

    QTest::mouseClick(child<QCheckBox>(form, objectNames::kPreviewCheckBox), Qt::LeftButton);
    QVERIFY(!pane->isVisible());
    form.reset();
    startOnHall();
    QVERIFY(!child<PreviewPane>(form, objectNames::kPreviewPane)->isVisible());
    QVERIFY(!child<QCheckBox>(form, objectNames::kPreviewCheckBox)->isChecked());
    child<QCheckBox>(form, objectNames::kPreviewCheckBox)->click();
    QVERIFY(child<PreviewPane>(form, objectNames::kPreviewPane)->isVisible());
  }

  // A click on the picture's error puts the caret where the template wrote
  // the place AviSynth names, per clip and joined; a place the template
  // wrote nothing for leaves the caret where it was.
  void anErrorsPlaceTakesTheCaretToTheTemplate() {
    startOnHall();  // AVISource("<P><F>")
    QTest::mouseClick(child<QPushButton>(form, objectNames::kSelectAllButton), Qt::LeftButton);
    auto* editor = child<TemplateEditor>(form, objectNames::kScriptMemo);
    auto* frame = child<FramePane>(form, objectNames::kFramePane);
    const int folder = static_cast<int>(path("clips/").size());
    struct Case {
      bool join;
      int line, column;
      int caret;  // in the template's only line
    };
    const Case cases[] = {
        {false, 1, 13, 11},                        // within the folder: "<P>"
        {false, 1, 11 + folder + 5 + 2, 18},       // the ")" after "a.avi\""
        {false, 2, 1, 18},                         // no such line: the caret stays
        {true, 1, 13, 10},                         // the first clip's copy: where it stands
        {true, 1, 10 + 2 * (folder + 9) + 3, 11},  // the last clip's path: "<P>"
    };
    for (const Case& c : cases) {
      if (child<QCheckBox>(form, objectNames::kJoinScriptsCheckBox)->isChecked() != c.join)
        child<QCheckBox>(form, objectNames::kJoinScriptsCheckBox)->click();
      emit frame->errorClicked(c.line, c.column);
      int line = -1, index = -1;
      editor->getCursorPosition(&line, &index);
      QCOMPARE(QPair(line, index), QPair(0, c.caret));
    }
  }

  // The picture pane says in one sentence what is missing and what to do,
  // never a system's raw "cannot start": the helper first, then AviSynth+
  // (a library set in the options that has gone, and no other anywhere).
  void thePicturePaneSaysWhatIsMissing() {
    startOnHall();
    FramePane* frame = child<FramePane>(form, objectNames::kFramePane);
    QTRY_VERIFY_WITH_TIMEOUT(!frame->noteText().isEmpty(), 10000);
    QVERIFY2(frame->noteText().startsWith(QStringLiteral("Clipquill's command line, ") +
                                          QString::fromStdString(path("app/clipquill-cli")) +
                                          QStringLiteral(", is missing")),
             qPrintable(frame->noteText()));

    std::filesystem::create_symlink(CLIPQUILL_CHECK_HELPER, path("app/clipquill-cli"));
    fileDialogs.libraries.push_back(path("gone/libavisynth.so"));
    child<QAction>(form, objectNames::kAvisynthLibrary)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(
        frame->noteText().startsWith(QStringLiteral("AviSynth+ was not found.")), 10000);
    QVERIFY2(frame->noteText().contains(QStringLiteral("gone/libavisynth.so")),
             qPrintable(frame->noteText()));
  }

  // Clips that would share a script name: the preview says so before the
  // run, and the run shows one box naming them and writes nothing.
  void clipsSharingAScriptNameWriteNothing() {
    writeFile(path("clips/a.mkv"), "");
    writeFile(path("Hall.qtpl"), "AVISource(\"<P><F>\")\r\n");
    writeFile(path("Hall.ini"), "[Entries]\r\nClipLoc=" + path("clips") +
                                    "\r\nScriptName=*_enc\r\nScriptDest=" + path("out") +
                                    "\r\n[FilterBy]\r\nExt0=avi\r\nExt1=mkv\r\n"
                                    "[FilterState]\r\nExt0State=1\r\nExt1State=1\r\n");
    start({path("Hall.qtpl")});
    QTest::mouseClick(child<QPushButton>(form, objectNames::kSelectAllButton), Qt::LeftButton);
    form->refreshPreview();
    auto* pane = child<PreviewPane>(form, objectNames::kPreviewPane);
    QVERIFY2(pane->title().contains(QStringLiteral("a.mkv, also gets this script name")),
             qPrintable(pane->title()));
    QTest::mouseClick(child<QPushButton>(form, objectNames::kCreateScriptsButton), Qt::LeftButton);
    QCOMPARE(boxes.asked.size(), std::size_t{1});
    QCOMPARE(boxes.asked[0].kind, MessageKind::Error);
    QVERIFY2(boxes.asked[0].text.endsWith(QStringLiteral("\n\na_enc.avs: a.avi, a.mkv")),
             qPrintable(boxes.asked[0].text));
    QVERIFY(std::filesystem::is_empty(path("out")));
    auto* status = qobject_cast<ElidedLabel*>(child<QLabel>(form, objectNames::kRunStatus));
    QCOMPARE(status->fullText(),
             QStringLiteral("Last run: selected clips share script names; nothing written."));
    QVERIFY(!child<QPushButton>(form, objectNames::kOpenRunFolderButton)->isVisible());
  }

  // A typed template's empty last line reaches the script; the preview shows
  // an empty first line as a line, and after a run its title says the
  // script is there.
  void thePreviewAndTheRunKeepEmptyLines() {
    writeFile(path("Hall.qtpl"), "\r\nAVISource(\"<P><F>\")\r\n\r\n");
    writeFile(path("Hall.ini"), "[Entries]\r\nClipLoc=" + path("clips") +
                                    "\r\nScriptDest=" + path("out") +
                                    "\r\n[FilterBy]\r\nExt0=avi\r\n"
                                    "[FilterState]\r\nExt0State=1\r\n");
    start({path("Hall.qtpl")});
    QListView* list = child<QListView>(form, objectNames::kClipFileListBox);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(0, 0)).center());
    form->refreshPreview();
    auto* pane = child<PreviewPane>(form, objectNames::kPreviewPane);
    const QString line = "AVISource(\"" + QString::fromStdString(path("clips/")) + "a.avi\")";
    QCOMPARE(pane->text(), "\n" + line + "\n");
    QVERIFY(!pane->title().contains(QStringLiteral("already there")));

    auto* editor = child<TemplateEditor>(form, objectNames::kScriptMemo);
    editor->setFocus();
    QTest::keyClicks(editor, "#");
    QTest::mouseClick(child<QPushButton>(form, objectNames::kCreateScriptsButton), Qt::LeftButton);
    QCOMPARE(readFile(path("out/a.avs")), "#\r\n" + line.toStdString() + "\r\n\r\n");
    QTRY_VERIFY(pane->title().contains(QStringLiteral("already there")));
  }

  // The status bar names the template's encoding; in a UTF-8 template the
  // preview shows a clip name's stray bytes as escapes, not as mojibake.
  void theEncodingIsShownAndStrayNameBytesEscaped() {
    writeFile(path("clips/\xe9t\xe9.avi"), "");
    writeFile(path("Hall.qtpl"), "# caf\xc3\xa9 <F>\r\n");
    writeFile(path("Hall.ini"), "[Entries]\r\nClipLoc=" + path("clips") +
                                    "\r\nScriptDest=" + path("out") +
                                    "\r\n[FilterBy]\r\nExt0=avi\r\n"
                                    "[FilterState]\r\nExt0State=1\r\n");
    start({path("Hall.qtpl")});
    QCOMPARE(child<QLabel>(form, objectNames::kEncodingStatus)->text(), QStringLiteral("UTF-8"));
    QListView* list = child<QListView>(form, objectNames::kClipFileListBox);
    QCOMPARE(list->model()->rowCount(), 4);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(3, 0)).center());
    form->refreshPreview();
    auto* pane = child<PreviewPane>(form, objectNames::kPreviewPane);
    QCOMPARE(pane->text(), QStringLiteral("# caf\u00e9 \\xE9t\\xE9.avi"));
    QVERIFY2(pane->title().contains(QStringLiteral("\\xE9t\\xE9.avs")), qPrintable(pane->title()));

    writeFile(path("L1.qtpl"), "# caf\xe9 <F>\r\n");
    fileDialogs.opens.push_back(FileChoice{path("L1.qtpl"), 1});
    QTest::mouseClick(child<QPushButton>(form, objectNames::kLoadSriptButton), Qt::LeftButton);
    QCOMPARE(child<QLabel>(form, objectNames::kEncodingStatus)->text(), QStringLiteral("Latin-1"));
  }

  // A clip's name with a double quote inside "<P><F>": the preview warns
  // before the run; triple quotes hold it, and so warn of nothing.
  void thePreviewWarnsOfAQuoteInAClipsName() {
    writeFile(path("clips/it\"s.avi"), "");
    startOnHall();
    QListView* list = child<QListView>(form, objectNames::kClipFileListBox);
    const auto select = [&](const QString& name) {
      const auto found = list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, name);
      QVERIFY(!found.isEmpty());
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                        list->visualRect(found.front()).center());
    };
    auto* pane = child<PreviewPane>(form, objectNames::kPreviewPane);
    select(QStringLiteral("it\"s.avi"));
    form->refreshPreview();
    QVERIFY2(pane->title().contains(QStringLiteral("has a double quote in its name")),
             qPrintable(pane->title()));
    select(QStringLiteral("a.avi"));
    form->refreshPreview();
    QVERIFY(!pane->title().contains(QStringLiteral("double quote")));
    select(QStringLiteral("it\"s.avi"));
    form->model().setTemplateText("AVISource(\"\"\"<P><F>\"\"\")\n");
    form->refreshPreview();
    QVERIFY2(!pane->title().contains(QStringLiteral("double quote")), qPrintable(pane->title()));
  }

  // The status bar follows the template, the clip list and the last run, and
  // opens the folder the run wrote to.
  void theStatusBarSaysWhatTheWindowHolds() {
    startOnHall();
    auto text = [this](const char* name) {
      auto* label = child<QLabel>(form, name);
      auto* elided = qobject_cast<ElidedLabel*>(label);
      return elided ? elided->fullText() : label->text();
    };
    QCOMPARE(text(objectNames::kTemplateStatus),
             QString::fromStdString("Hall.qtpl in " + dir->path()));
    QCOMPARE(text(objectNames::kClipStatus), QStringLiteral("3 clips, 0 selected"));
    QVERIFY(!child<QPushButton>(form, objectNames::kOpenRunFolderButton)->isVisible());
    QTest::keyClicks(child<QLineEdit>(form, objectNames::kScriptLabeledEdit), "*");
    QVERIFY(text(objectNames::kTemplateStatus).startsWith("Hall.qtpl (modified) in "));
    QListView* list = child<QListView>(form, objectNames::kClipFileListBox);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(1, 0)).center());
    QCOMPARE(text(objectNames::kClipStatus), QStringLiteral("3 clips, 1 selected"));

    writeFile(path("out/b.avs"), "old");
    QTest::mouseClick(child<QPushButton>(form, objectNames::kSelectAllButton), Qt::LeftButton);
    boxes.answers = {Answer::Skip};
    QTest::mouseClick(child<QPushButton>(form, objectNames::kCreateScriptsButton), Qt::LeftButton);
    QCOMPARE(boxes.asked.back().buttons, Buttons::ReplaceAllSkip);
    QCOMPARE(text(objectNames::kRunStatus),
             QString::fromStdString("Last run: 2 scripts written, 1 kept in " + path("out") + "."));
    QDesktopServices::setUrlHandler("file", this, "openUrl");
    QTest::mouseClick(child<QPushButton>(form, objectNames::kOpenRunFolderButton), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("file");
    QCOMPARE(opened, std::vector<QUrl>{QUrl::fromLocalFile(QString::fromStdString(path("out/")))});
  }

  // The template, the clips, the last run and its check each have a place of
  // their own, side by side and all in view; a check's message hides none of
  // them, and "Open Folder" is offered only for a folder that is there.
  void theStatusBarsPlacesStayInViewSideBySide() {
    std::filesystem::create_symlink(CLIPQUILL_CHECK_HELPER, path("app/clipquill-cli"));
    startOnHall();
    form->resize(1900, form->height());
    fileDialogs.libraries.push_back(path("gone/libavisynth.so"));
    child<QAction>(form, objectNames::kAvisynthLibrary)->trigger();
    QTest::mouseClick(child<QPushButton>(form, objectNames::kSelectAllButton), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(form, objectNames::kCreateScriptsButton), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(form->scriptChecks().unavailable(), 10000);
    std::vector<QWidget*> places;
    for (const char* name :
         {objectNames::kTemplateStatus, objectNames::kClipStatus, objectNames::kRunStatus,
          objectNames::kOpenRunFolderButton, objectNames::kCheckStatus}) {
      QWidget* place = child<QWidget>(form, name);
      QVERIFY2(place->isVisible(), name);
      for (QWidget* other : places)
        QVERIFY2(!place->geometry().intersects(other->geometry()), name);
      places.push_back(place);
    }
    auto* check = child<ElidedLabel>(form, objectNames::kCheckStatus);
    QVERIFY(check->fullText().startsWith(QStringLiteral("AviSynth+ is not available: ")));
    QCOMPARE(check->toolTip(), check->fullText());
    QVERIFY(!child<ElidedLabel>(form, objectNames::kTemplateStatus)->text().isEmpty());
    QVERIFY(!child<ElidedLabel>(form, objectNames::kRunStatus)->text().isEmpty());

    // A destination that is not there: the run is refused naming it, and
    // there is no folder to open.
    form->model().setFieldText(Field::Destination, path("missing"));
    boxes.asked.clear();
    QTest::mouseClick(child<QPushButton>(form, objectNames::kCreateScriptsButton), Qt::LeftButton);
    QCOMPARE(boxes.asked.size(), std::size_t{1});
    QCOMPARE(boxes.asked[0].kind, MessageKind::Error);
    QCOMPARE(boxes.asked[0].text, QString::fromStdString("The destination folder \"" +
                                                         path("missing") + "\" does not exist."));
    QVERIFY(!child<QPushButton>(form, objectNames::kOpenRunFolderButton)->isVisible());
  }

  // Each created script is checked with AviSynth+ by the command line beside
  // the program (here the check's test program, with a stand-in library that
  // crashes on a script named so), and its line marked.
  void createdScriptsAreCheckedWithTheLibraryFromTheOptions() {
    std::filesystem::create_symlink(CLIPQUILL_CHECK_HELPER, path("app/clipquill-cli"));
    writeFile(path("clips/crash.avi"), "");
    std::filesystem::create_directory(path("out2"));
    startOnHall();
    auto* status = child<ElidedLabel>(form, objectNames::kCheckStatus);
    fileDialogs.libraries.push_back(path("gone/libavisynth.so"));
    child<QAction>(form, objectNames::kAvisynthLibrary)->trigger();
    QTest::mouseClick(child<QPushButton>(form, objectNames::kSelectAllButton), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(form, objectNames::kCreateScriptsButton), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(form->scriptChecks().unavailable(), 10000);
    QVERIFY(status->fullText().startsWith(QStringLiteral("AviSynth+ is not available: ")));

    fileDialogs.libraries.push_back(CLIPQUILL_FAKE_AVISYNTH);
    child<QAction>(form, objectNames::kAvisynthLibrary)->trigger();
    form->model().setFieldText(Field::Destination, path("out2"));
    QTest::mouseClick(child<QPushButton>(form, objectNames::kCreateScriptsButton), Qt::LeftButton);
    QCOMPARE(child<QPlainTextEdit>(form, objectNames::kScriptNameMemo)->toPlainText(),
             QStringLiteral("Script(s) Created:\na.avs\nb.avs\ncrash.avs\nd.avs"));
    QTRY_VERIFY_WITH_TIMEOUT(status->fullText().contains(QStringLiteral("failed")), 10000);
    QVERIFY2(status->fullText().startsWith(
                 QStringLiteral("AviSynth+: 1 of 4 scripts failed; crash.avs: crashed")),
             qPrintable(status->fullText()));
    QCOMPARE(form->scriptChecks().mark(3), CreatedScriptChecks::Mark::Failed);
    QCOMPARE(form->scriptChecks().mark(4), CreatedScriptChecks::Mark::Good);

    // The next run clears the marks when it starts, also one that writes
    // nothing (here refused: every clip would get one name).
    form->model().setFieldText(Field::ScriptName, "one");
    QTest::mouseClick(child<QPushButton>(form, objectNames::kCreateScriptsButton), Qt::LeftButton);
    QCOMPARE(boxes.asked.back().kind, MessageKind::Error);
    QCOMPARE(form->scriptChecks().mark(3), CreatedScriptChecks::Mark::None);
    QCOMPARE(form->scriptChecks().status(), std::string());
    QVERIFY(child<QPlainTextEdit>(form, objectNames::kScriptNameMemo)->extraSelections().isEmpty());
  }

  void cancellingTheProgressStopsBeforeTheNextScript() {
    startOnHall();
    form->setProgressDelay(0);
    QTest::mouseClick(child<QPushButton>(form, objectNames::kSelectAllButton), Qt::LeftButton);
    QTimer::singleShot(0, [] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* progress = qobject_cast<QProgressDialog*>(w)) progress->cancel();
      }
    });
    QTest::mouseClick(child<QPushButton>(form, objectNames::kCreateScriptsButton), Qt::LeftButton);
    QCOMPARE(child<QPlainTextEdit>(form, objectNames::kScriptNameMemo)->toPlainText(),
             QStringLiteral("Script(s) Created:"));
    QVERIFY(!std::filesystem::exists(path("out/a.avs")));
  }

  // Create Script(s) writes on a thread of its own: held at its question
  // before replacing b's script, the run leaves the window taking keys, its
  // progress not modal, no second run offered; it writes what it started
  // with.
  void theWindowTakesKeysWhileARunWrites() {
    startHeldRun();
    auto* dest = child<QLineEdit>(form, objectNames::kDestLabeledEdit);
    bool aWritten = false, modal = true, secondRunOffered = true, progressInSight = true;
    boxes.whileAsked = [&] {
      aWritten = std::filesystem::exists(path("out/a.avs"));
      modal = !progress() || progress()->windowModality() != Qt::NonModal;
      progressInSight = progress() && progress()->isVisible();
      secondRunOffered = createButton()->isEnabled();
      dest->setFocus();
      dest->selectAll();
      QTest::keyClicks(dest, QString::fromStdString(path("elsewhere")));
    };
    QTest::mouseClick(createButton(), Qt::LeftButton);
    QVERIFY(aWritten);
    QVERIFY(!modal);
    QVERIFY(!progressInSight);  // the question alone, nothing being written
    QVERIFY(!secondRunOffered);
    QCOMPARE(dest->text(), QString::fromStdString(path("elsewhere")));
    QCOMPARE(readFile(path("out/b.avs")), "AVISource(\"" + path("clips/b.avi") + "\")\r\n");
    QVERIFY(std::filesystem::exists(path("out/d.avs")));
    QVERIFY(!std::filesystem::exists(path("elsewhere")));
    QVERIFY(createButton()->isEnabled());
  }

  // The time a question waits for its answer is not the run's: however long
  // it waits, the progress does not come up beside it.
  void theProgressStaysAwayWhileAQuestionWaits() {
    startHeldRun();
    form->setProgressDelay(100);
    bool inSight = true;
    boxes.whileAsked = [&] {
      QTest::qWait(400);
      inSight = progress() && progress()->isVisible();
    };
    QTest::mouseClick(createButton(), Qt::LeftButton);
    QVERIFY(!inSight);
    QVERIFY(std::filesystem::exists(path("out/d.avs")));
  }

  // Escape on the progress (which closes it without its Cancel button) and
  // a close of the window each stop the run before its next script; the
  // window closes once the run has stopped.
  void aRunIsStoppedByEscapeOrAClose_data() {
    QTest::addColumn<bool>("byClose");
    QTest::newRow("Escape") << false;
    QTest::newRow("close") << true;
  }
  void aRunIsStoppedByEscapeOrAClose() {
    QFETCH(bool, byClose);
    startHeldRun();
    bool shownAfterClose = false;
    boxes.whileAsked = [&] {
      if (byClose) {
        form->close();
        shownAfterClose = form->isVisible();  // not yet: the run is writing
      } else if (progress()) {
        QTest::keyClick(progress(), Qt::Key_Escape);
      }
    };
    QTest::mouseClick(createButton(), Qt::LeftButton);
    QVERIFY(std::filesystem::exists(path("out/a.avs")));
    QVERIFY(!std::filesystem::exists(path("out/d.avs")));
    if (byClose) {
      QVERIFY(shownAfterClose);
      QTRY_VERIFY(!form->isVisible());
    }
  }

 private:
  // a, b and d selected, b's script there from an earlier run: the run asks
  // before replacing it (answered OK), its thread waiting meanwhile.
  void startHeldRun() {
    startOnHall();
    writeFile(path("out/b.avs"), "earlier");
    form->setProgressDelay(0);
    QTest::mouseClick(child<QPushButton>(form, objectNames::kSelectAllButton), Qt::LeftButton);
    boxes.answers = {Answer::Ok};
  }
  QPushButton* createButton() {
    return child<QPushButton>(form, objectNames::kCreateScriptsButton);
  }
  QProgressDialog* progress() {
    return form->findChild<QProgressDialog*>(objectNames::kCreateScriptsProgress);
  }
};

int main(int argc, char** argv) {
  return runWindowTests<MainWindowRunTest>(argc, argv);
}
#include "main_window_run_test.moc"
