// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's binding to its model: widgets found by name, keys and
// clicks sent as a user would, questions answered through the window's seams.
// The rules themselves are the model's and are tested there.
#include "ui/main_window.h"

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
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <deque>
#include <filesystem>

#include "support/named_child.h"
#include "support/temp_dir.h"
#include "ui/elided_label.h"
#include "ui/list_views.h"

using namespace clipquill;
using clipquill::testing::child;
using clipquill::testing::readFile;
using clipquill::testing::TempDir;
using clipquill::testing::writeFile;

namespace {

struct Asked {
  MessageKind kind;
  Buttons buttons;
  QString text;
};

class ScriptedBoxes : public MessageBoxes {
 public:
  std::deque<Answer> answers;
  std::vector<Asked> asked;
  std::vector<QString> errors;  // "caption: text"
  Answer ask(QWidget*, MessageKind kind, Buttons buttons, const QString& text) override {
    asked.push_back({kind, buttons, text});
    if (answers.empty()) return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  void error(QWidget*, const QString& caption, const QString& text) override {
    errors.push_back(caption + ": " + text);
  }
};

class ScriptedFileDialogs : public FileDialogs {
 public:
  std::deque<std::optional<FileChoice>> opens, saves;
  std::optional<FileChoice> open(QWidget*, int) override { return next(opens); }
  std::optional<FileChoice> save(QWidget*, std::string_view, int) override { return next(saves); }

 private:
  static std::optional<FileChoice> next(std::deque<std::optional<FileChoice>>& queue) {
    if (queue.empty()) return std::nullopt;
    auto choice = queue.front();
    queue.pop_front();
    return choice;
  }
};

class RecordingDialogs : public Dialogs {
 public:
  std::vector<FolderPickerFor> picked;
  std::optional<std::string> pickAnswer;
  std::optional<std::vector<std::string>> filterAnswer;
  int usingShown = 0, aboutShown = 0;
  std::optional<std::string> pickFolder(FolderPickerFor which, std::string_view,
                                        std::string_view) override {
    picked.push_back(which);
    return pickAnswer;
  }
  std::optional<std::vector<std::string>> editFilters(const std::vector<std::string>&) override {
    return filterAnswer;
  }
  void showUsage() override { ++usingShown; }
  void showAbout() override { ++aboutShown; }
};

// Runs check on the modal dialog of type T once it is up and has settled,
// looking again every 20 ms until it is.
template <class T, class Check>
void whenModal(Check check, int tries = 100) {
  QTimer::singleShot(20, [check, tries] {
    if (T* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
      check(dialog);
    } else if (tries > 0) {
      whenModal<T>(check, tries - 1);
    }
  });
}

QStringList buttonTexts(QMessageBox* box) {
  QStringList texts;
  for (QAbstractButton* b : box->buttons())
    texts << b->text();
  texts.sort();
  return texts;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 public slots:
  // Stands in for the desktop's file manager.
  void openUrl(const QUrl& url) { opened.push_back(url); }

 private:
  std::vector<QUrl> opened;
  std::unique_ptr<TempDir> dir;
  ScriptedBoxes boxes;
  ScriptedFileDialogs fileDialogs;
  RecordingDialogs dialogs;
  std::unique_ptr<MainWindow> form;

  std::string path(const std::string& rel) const { return dir->path() + "/" + rel; }

  // A window started on a template with a settings file: the clips folder
  // listed through the "avi" entry, checked.
  void start(std::vector<std::string> args = {}) {
    form = std::make_unique<MainWindow>(MainWindowSetup{
        .startup = {.executablePath = path("app/clipquill"),
                    .args = std::move(args),
                    .homeFolder = path("home")},
        .registryRoot = path("registry"),
        .boxes = &boxes,
        .files = &fileDialogs,
    });
    form->setDialogs(&dialogs);
    form->show();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
  }
  void startOnHall() {
    writeFile(path("Hall.qtpl"), "AVISource(\"<P><F>\")\r\n");
    writeFile(path("Hall.ini"), "[Entries]\r\nClipLoc=" + path("clips") +
                                    "\r\nScriptDest=" + path("out") +
                                    "\r\n[FilterBy]\r\nExt0=avi\r\nExt1=mpg\r\n"
                                    "[FilterState]\r\nExt0State=1\r\n");
    start({path("Hall.qtpl")});
  }

 private slots:
  void init() {
    dir = std::make_unique<TempDir>();
    for (const char* sub : {"app", "home", "clips", "out"})
      std::filesystem::create_directory(path(sub));
    for (const char* clip : {"b.avi", "a.avi", "c.mpg", "d.avi"})
      writeFile(path("clips/") + clip, "");
    boxes = {};
    fileDialogs = {};
    dialogs = {};
  }
  void cleanup() {
    if (form) form->setAttribute(Qt::WA_DeleteOnClose, false);
    form.reset();
    dir.reset();
  }

  void widgetsAreNamedCaptionedAndInTabOrder() {
    start();
    const std::vector<std::pair<const char*, const char*>> table{
        {"LocLabeledEdit", "Location of sources:"},
        {"CapFldrButton", "Clips Folder"},
        {"ClipNameLabeledEdit", "Name of source(s):"},
        {"ScriptLabeledEdit", "Name for script(s) - Wild card "},
        {"DestLabeledEdit", "Destination folder for scripts:"},
        {"ScrFldrButton", "Script Folder"},
        {"ScriptMemo", "Script template:"},
        {"CreateScriptsButton", "Create Script(s)"},
        {"JoinScriptsCheckBox", "Join Sources"},
        {"ClipFileListBox", "Source(s):"},
        {"SelectAllButton", "De/Select All"},
        {"LoadSriptButton", "Load Template"},
        {"SaveScriptButton", "Save Template"},
        {"ScriptNameMemo", "Script(s):"},
        {"FilterByCheckListBox", "Filter By:"},
        {"EditFiltersButton", "Edit Filter List"},
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
    QCOMPARE(form->size(), QSize(555, 635));
    QVERIFY(!(form->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(child<QAction>(form, "LoadInis")->isChecked() &&
            child<QAction>(form, "SaveInis")->isChecked());
  }

  // Each kind of edit claims Ctrl+A and Ctrl+X for itself; the menu wins.
  void menuShortcutsComeBeforeTheEdits_data() {
    QTest::addColumn<QString>("widget");
    QTest::newRow("line edit") << "LocLabeledEdit";
    QTest::newRow("name edit") << "ClipNameLabeledEdit";
    QTest::newRow("template editor") << "ScriptMemo";
    QTest::newRow("created-scripts list") << "ScriptNameMemo";
    QTest::newRow("clip list") << "ClipFileListBox";
    QTest::newRow("filter list") << "FilterByCheckListBox";
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
    const bool saveInis = form->model().optionFlags().saveInis;
    QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(form->model().optionFlags().saveInis, !saveInis);
    QVERIFY(form->model().state().Modified);
    // Ctrl+X: the close prompt, not a cut; its Cancel keeps the window and the text.
    const QString before = qobject_cast<QLineEdit*>(target)
                               ? qobject_cast<QLineEdit*>(target)->text()
                               : (qobject_cast<QPlainTextEdit*>(target)
                                      ? qobject_cast<QPlainTextEdit*>(target)->toPlainText()
                                      : QString());
    QTest::keyClick(target, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(boxes.asked.size(), std::size_t{1});
    QCOMPARE(boxes.asked[0].text,
             QStringLiteral("Do you want to save the template and an .ini file?"));
    QCOMPARE(boxes.asked[0].buttons, Buttons::SaveDontSaveCancel);
    QVERIFY(form->isVisible());
    if (auto* edit = qobject_cast<QLineEdit*>(target)) QCOMPARE(edit->text(), before);
    if (auto* memo = qobject_cast<QPlainTextEdit*>(target)) QCOMPARE(memo->toPlainText(), before);
  }

  // Keys no menu item claims keep their editing meaning.
  void editingKeysStayWithTheEdit() {
    start();
    QLineEdit* edit = child<QLineEdit>(form, "ClipNameLabeledEdit");
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

  void typingAndProgramChangesRaiseTheSameHandler() {
    startOnHall();
    QVERIFY(!form->model().state().Modified);
    QCOMPARE(child<QLineEdit>(form, "LocLabeledEdit")->text(),
             QString::fromStdString(path("clips")));
    QCOMPARE(form->model().clips().mask(), std::string("*.avi"));
    QCOMPARE(child<QListView>(form, "ClipFileListBox")->model()->rowCount(), 3);
    // Typing in the prefix rebuilds the mask with each key.
    QTest::keyClicks(child<QLineEdit>(form, "ClipNameLabeledEdit"), "b");
    QCOMPARE(form->model().clips().mask(), std::string("b*.avi"));
    QCOMPARE(child<QListView>(form, "ClipFileListBox")->model()->rowCount(), 1);
    QVERIFY(form->model().state().Modified);
    // The program setting the field is shown, and moves the list the same way.
    form->model().setFieldText(Field::ClipName, "");
    QCOMPARE(child<QLineEdit>(form, "ClipNameLabeledEdit")->text(), QString());
    QCOMPARE(child<QListView>(form, "ClipFileListBox")->model()->rowCount(), 3);
  }

  // Keys typed into the source field all land; the folder error waits in
  // its line until the user leaves the field, then comes in one box.
  void aTypedFolderErrorWaitsForTheFieldToBeLeft() {
    startOnHall();
    QLineEdit* edit = child<QLineEdit>(form, "LocLabeledEdit");
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClicks(edit, "xyz");
    QCOMPARE(edit->text(), QString::fromStdString(path("clipsxyz")));
    QVERIFY(boxes.errors.empty());
    QCOMPARE(child<ElidedLabel>(form, "SourceProblemLabel")->fullText(),
             QString::fromStdString(path("clipsxyz") + ": File not found."));
    QCOMPARE(child<QListView>(form, "ClipFileListBox")->model()->rowCount(), 0);
    QVERIFY(!QApplication::overrideCursor());  // the busy cursor went with the failed read

    QTest::keyClick(edit, Qt::Key_Tab);
    QTRY_COMPARE(boxes.errors.size(), std::size_t{1});
    QCOMPARE(boxes.errors[0],
             "Clipquill: File not found.\n" + QString::fromStdString(path("clipsxyz")));
    // Back to a folder: the line clears and the list follows.
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    for (int i = 0; i < 3; ++i)
      QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(child<ElidedLabel>(form, "SourceProblemLabel")->fullText(), QString());
    QCOMPARE(child<QListView>(form, "ClipFileListBox")->model()->rowCount(), 3);
    // A paste shows its box at once.
    QApplication::clipboard()->setText("/no/such/folder");
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(boxes.errors.size(), std::size_t{2});
  }

  void enterPressesTheFolderButtonOfItsField() {
    startOnHall();
    dialogs.pickAnswer = path("out");
    struct Case {
      QLineEdit* edit;
      std::vector<FolderPickerFor> picked;
    };
    for (const Case& c : std::vector<Case>{
             {child<QLineEdit>(form, "LocLabeledEdit"), {FolderPickerFor::Clips}},
             {child<QLineEdit>(form, "ClipNameLabeledEdit"), {}},
             {child<QLineEdit>(form, "ScriptLabeledEdit"), {}},
             {child<QLineEdit>(form, "DestLabeledEdit"), {FolderPickerFor::Scripts}}}) {
      dialogs.picked.clear();
      c.edit->setFocus();
      QTRY_VERIFY(c.edit->hasFocus());
      QTest::keyClick(c.edit, Qt::Key_Return);
      QCOMPARE(dialogs.picked, c.picked);
    }
    // The picker's folder reached the source box as if typed: the list moved.
    QCOMPARE(child<QLineEdit>(form, "LocLabeledEdit")->text(), QString::fromStdString(path("out")));
    QCOMPARE(form->model().clips().folder(), path("out"));
    child<QPlainTextEdit>(form, "ScriptMemo")->setFocus();
    QTRY_VERIFY(form->defaultButton() == nullptr);
  }

  void buttonsAndMenuItemsReachTheirHandlers() {
    startOnHall();
    QTest::mouseClick(child<QPushButton>(form, "SelectAllButton"), Qt::LeftButton);
    QCOMPARE(form->model().clips().selectedCount(), std::size_t{3});
    QCOMPARE(child<QListView>(form, "ClipFileListBox")->selectionModel()->selectedRows().size(), 3);
    QTest::mouseClick(child<QPushButton>(form, "CreateScriptsButton"), Qt::LeftButton);
    QCOMPARE(child<QPlainTextEdit>(form, "ScriptNameMemo")->toPlainText(),
             QStringLiteral("Script(s) Created:\na.avs\nb.avs\nd.avs"));
    QVERIFY(std::filesystem::exists(path("out/a.avs")));

    dialogs.filterAnswer = std::vector<std::string>{"avs", "", "mpg"};
    child<QAction>(form, "EditFilters1")->trigger();
    QCOMPARE(child<FilterCheckList>(form, "FilterByCheckListBox")->model()->rowCount(), 2);
    QTest::mouseClick(child<QPushButton>(form, "EditFiltersButton"), Qt::LeftButton);
    child<QAction>(form, "Using1")->trigger();
    child<QAction>(form, "About1")->trigger();
    QCOMPARE(dialogs.usingShown, 1);
    QCOMPARE(dialogs.aboutShown, 1);

    child<QCheckBox>(form, "JoinScriptsCheckBox")->click();
    QVERIFY(form->model().join());
    child<QAction>(form, "LoadInis")->trigger();
    QVERIFY(!child<QAction>(form, "LoadInis")->isChecked());
    QVERIFY(!form->model().optionFlags().loadInis);

    // Save through the button: the dialog's path and type come back.
    fileDialogs.saves.push_back(FileChoice{path("New"), 2});
    QTest::mouseClick(child<QPushButton>(form, "SaveScriptButton"), Qt::LeftButton);
    QVERIFY(std::filesystem::exists(path("New.avs")));
    QVERIFY(!form->model().state().Modified);
    // Load through the menu, the open dialog cancelled: the editor keeps its
    // text and its undo history.
    QTest::keyClicks(child<QPlainTextEdit>(form, "ScriptMemo"), "x");
    boxes.answers = {Answer::No};
    child<QAction>(form, "LoadTemplate1")->trigger();
    QCOMPARE(boxes.asked.back().buttons, Buttons::YesNoCancel);
    QCOMPARE(child<QPlainTextEdit>(form, "ScriptMemo")->toPlainText(),
             QStringLiteral("xAVISource(\"<P><F>\")"));
    QVERIFY(child<QPlainTextEdit>(form, "ScriptMemo")->document()->isUndoAvailable());
    QVERIFY(form->model().state().Modified);
  }

  void theFilterListTogglesOnlyInItsCheckColumn() {
    startOnHall();
    FilterCheckList* list = child<FilterCheckList>(form, "FilterByCheckListBox");
    const QModelIndex mpg = list->model()->index(1, 0);
    const QRect row = list->visualRect(mpg);
    // A press on the text is the list's click: the same mask, and the mark.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(row.right() - 2, row.center().y()));
    QCOMPARE(form->model().filters().state(1), cbUnchecked);
    QVERIFY(form->model().state().Modified);
    // A press in the check column toggles and the list follows at once.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(row.left() + 3, row.center().y()));
    QCOMPARE(form->model().filters().state(1), cbChecked);
    QCOMPARE(form->model().clips().mask(), std::string("*.avi;*.mpg"));
    QCOMPARE(list->model()->index(1, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    // The space bar toggles the highlighted entry; the right button does nothing.
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(form->model().filters().state(1), cbUnchecked);
    QTest::mouseClick(list->viewport(), Qt::RightButton, {},
                      QPoint(row.left() + 3, row.center().y()));
    QCOMPARE(form->model().filters().state(1), cbUnchecked);
    // Arrow keys move the highlight and click: the mark is set afresh.
    form->model().setFieldText(Field::ScriptName, "x");  // any change
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(list->currentIndex().row(), 0);
  }

  void clipSelectionReachesTheModel() {
    writeFile(path("clips/caf\xe9.avi"), "");  // a Latin-1 name
    startOnHall();
    QListView* list = child<QListView>(form, "ClipFileListBox");
    QCOMPARE(list->model()->index(2, 0).data().toString(), QStringLiteral("caf\u00e9.avi"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(1, 0)).center());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      list->visualRect(list->model()->index(3, 0)).center());
    QCOMPARE(form->model().clips().selectedEntries(),
             (std::vector<std::string>{"b.avi", "caf\xe9.avi", "d.avi"}));
    // Type-ahead selects the first name that begins with the letters, alone.
    QTest::keyClicks(list, "a");
    QCOMPARE(form->model().clips().selectedEntries(), (std::vector<std::string>{"a.avi"}));
  }

  // A template that is not UTF-8 is shown as Latin-1 and saved as read; a
  // character typed beyond Latin-1 is kept.
  void templateBytesSurviveTheEditor() {
    writeFile(path("L1.qtpl"), "caf\xe9\r\nx\r\n");
    start({path("L1.qtpl")});
    QCOMPARE(child<QPlainTextEdit>(form, "ScriptMemo")->toPlainText(),
             QStringLiteral("caf\u00e9\nx"));
    fileDialogs.saves.push_back(FileChoice{path("same.qtpl"), 1});
    child<QAction>(form, "SaveTemplate1")->trigger();
    QCOMPARE(readFile(path("same.qtpl")), std::string("caf\xe9\r\nx\r\n"));

    child<QPlainTextEdit>(form, "ScriptMemo")->moveCursor(QTextCursor::End);
    // QTest types Latin-1 only; the editor's own insert raises the same change.
    child<QPlainTextEdit>(form, "ScriptMemo")->textCursor().insertText(QStringLiteral("\u20ac"));
    QVERIFY(form->model().state().Modified);
    fileDialogs.saves.push_back(FileChoice{path("euro.qtpl"), 1});
    child<QAction>(form, "SaveTemplate1")->trigger();
    QCOMPARE(readFile(path("euro.qtpl")), std::string("caf\xc3\xa9\r\nx\xe2\x82\xac\r\n"));
  }

  void aFailedSaveOnCloseKeepsTheWindowOpen() {
    startOnHall();
    QTest::keyClicks(child<QLineEdit>(form, "ScriptLabeledEdit"), "*_x");
    boxes.answers = {Answer::Save};
    fileDialogs.saves.push_back(FileChoice{path("missing/t.qtpl"), 1});
    form->close();
    QVERIFY(form->isVisible());
    QCOMPARE(boxes.errors.size(), std::size_t{1});
    QVERIFY(form->model().state().Modified);
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

  // The status bar follows the template, the clip list and the last run, and
  // opens the folder the run wrote to.
  void theStatusBarSaysWhatTheWindowHolds() {
    startOnHall();
    auto text = [this](const char* name) {
      auto* label = child<QLabel>(form, name);
      auto* elided = qobject_cast<ElidedLabel*>(label);
      return elided ? elided->fullText() : label->text();
    };
    QCOMPARE(text("TemplateStatus"), QString::fromStdString("Hall.qtpl in " + dir->path()));
    QCOMPARE(text("ClipStatus"), QStringLiteral("3 clips, 0 selected"));
    QVERIFY(!child<QPushButton>(form, "OpenRunFolderButton")->isVisible());
    QTest::keyClicks(child<QLineEdit>(form, "ScriptLabeledEdit"), "*");
    QVERIFY(text("TemplateStatus").startsWith("Hall.qtpl (modified) in "));
    QListView* list = child<QListView>(form, "ClipFileListBox");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(1, 0)).center());
    QCOMPARE(text("ClipStatus"), QStringLiteral("3 clips, 1 selected"));

    writeFile(path("out/b.avs"), "old");
    QTest::mouseClick(child<QPushButton>(form, "SelectAllButton"), Qt::LeftButton);
    boxes.answers = {Answer::Skip};
    QTest::mouseClick(child<QPushButton>(form, "CreateScriptsButton"), Qt::LeftButton);
    QCOMPARE(boxes.asked.back().buttons, Buttons::ReplaceAllSkip);
    QCOMPARE(text("RunStatus"),
             QString::fromStdString("Last run: 2 scripts written, 1 kept in " + path("out") + "."));
    QDesktopServices::setUrlHandler("file", this, "openUrl");
    QTest::mouseClick(child<QPushButton>(form, "OpenRunFolderButton"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("file");
    QCOMPARE(opened, std::vector<QUrl>{QUrl::fromLocalFile(QString::fromStdString(path("out/")))});
  }

  void cancellingTheProgressStopsBeforeTheNextScript() {
    startOnHall();
    form->setProgressDelay(0);
    QTest::mouseClick(child<QPushButton>(form, "SelectAllButton"), Qt::LeftButton);
    QTimer::singleShot(0, [] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* progress = qobject_cast<QProgressDialog*>(w)) progress->cancel();
      }
    });
    QTest::mouseClick(child<QPushButton>(form, "CreateScriptsButton"), Qt::LeftButton);
    QCOMPARE(child<QPlainTextEdit>(form, "ScriptNameMemo")->toPlainText(),
             QStringLiteral("Script(s) Created:"));
    QVERIFY(!std::filesystem::exists(path("out/a.avs")));
  }
};

// The real boxes: captions, buttons, and Escape as Cancel or No.
class RealBoxesTest : public QObject {
  Q_OBJECT

 private slots:
  void boxesHaveTheirCaptionsAndButtons_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("onEscape");
    QTest::newRow("warning") << int(MessageKind::Warning) << int(Buttons::OkCancel) << "Warning"
                             << QStringList{"Cancel", "OK"} << int(Answer::Cancel);
    QTest::newRow("confirm") << int(MessageKind::Confirmation) << int(Buttons::YesNo) << "Confirm"
                             << QStringList{"&No", "&Yes"} << int(Answer::No);
    QTest::newRow("information") << int(MessageKind::Information) << int(Buttons::OkCancel)
                                 << "Information" << QStringList{"Cancel", "OK"}
                                 << int(Answer::Cancel);
    QTest::newRow("error") << int(MessageKind::Error) << int(Buttons::Ok) << "Error"
                           << QStringList{"OK"} << int(Answer::Ok);
    QTest::newRow("load question")
        << int(MessageKind::Confirmation) << int(Buttons::YesNoCancel) << "Confirm"
        << QStringList{"&No", "&Yes", "Cancel"} << int(Answer::Cancel);
    QTest::newRow("close prompt") << int(MessageKind::Information)
                                  << int(Buttons::SaveDontSaveCancel) << "Information"
                                  << QStringList{"&Don't Save", "&Save", "Cancel"}
                                  << int(Answer::Cancel);
    QTest::newRow("replace") << int(MessageKind::Warning) << int(Buttons::ReplaceAllSkip)
                             << "Warning" << QStringList{"Cancel", "OK", "Replace &All", "S&kip"}
                             << int(Answer::Cancel);
  }
  void boxesHaveTheirCaptionsAndButtons() {
    QFETCH(int, kind);
    QFETCH(int, buttons);
    QFETCH(QString, caption);
    QFETCH(QStringList, texts);
    QFETCH(int, onEscape);
    QString seenCaption;
    QStringList seenTexts;
    whenModal<QMessageBox>([&](QMessageBox* box) {
      seenCaption = box->windowTitle();
      seenTexts = buttonTexts(box);
      QTest::keyClick(box, Qt::Key_Escape);
    });
    const Answer answer = qtMessageBoxes().ask(nullptr, MessageKind(kind), Buttons(buttons), "?");
    QCOMPARE(seenCaption, caption);
    QCOMPARE(seenTexts, texts);
    QCOMPARE(int(answer), onEscape);
  }

  void theErrorBoxIsCaptionedWithTheTitle() {
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenModal<QMessageBox>([&](QMessageBox* box) {
      caption = box->windowTitle();
      icon = box->icon();
      box->close();
    });
    qtMessageBoxes().error(nullptr, "Clipquill", "File not found.");
    QCOMPARE(caption, QStringLiteral("Clipquill"));
    QCOMPARE(icon, QMessageBox::Critical);
  }

  // A short message is no reason to cut the caption, and a long path on the
  // second line is shown whole.
  void theErrorBoxShowsItsCaptionAndTextWhole_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("short") << "File not found.";
    QTest::newRow("long path") << "File not found.\n/home/someone/videos/" + QString(60, 'x');
  }
  void theErrorBoxShowsItsCaptionAndTextWhole() {
    QFETCH(QString, text);
    int boxWidth = 0, labelWidth = 0, captionWidth = 0, lineWidth = 0;
    whenModal<QMessageBox>([&](QMessageBox* box) {
      QFont bold = box->font();
      bold.setBold(true);
      captionWidth = QFontMetrics(bold).horizontalAdvance(box->windowTitle());
      auto* label = box->findChild<QLabel*>("qt_msgbox_label");
      for (const QString& line : text.split('\n'))
        lineWidth = std::max(lineWidth, label->fontMetrics().horizontalAdvance(line));
      boxWidth = box->width();
      labelWidth = label->contentsRect().width();
      box->close();
    });
    qtMessageBoxes().error(nullptr, "Clipquill", text);
    // The window manager draws the caption beside its own buttons.
    QVERIFY2(boxWidth >= captionWidth + 100, qPrintable(QString::number(boxWidth)));
    QVERIFY2(labelWidth >= lineWidth,
             qPrintable(QString("%1 < %2").arg(labelWidth).arg(lineWidth)));
  }

  // The dialogs start on the kept type, the save dialog with the preset name;
  // Cancel gives nothing.
  void theFileDialogsStartOnTheirTypeAndPreset() {
    QStringList filters;
    QString selected, preset;
    auto look = [&](QFileDialog* dialog) {
      QTest::qWait(50);  // as the user sees it once it has settled
      filters = dialog->nameFilters();
      selected = dialog->selectedNameFilter();
      preset = dialog->findChild<QLineEdit*>("fileNameEdit")->text();
      dialog->reject();
    };
    whenModal<QFileDialog>(look);
    QVERIFY(!qtFileDialogs().save(nullptr, "Hall.qtpl", 2));
    QCOMPARE(filters, (QStringList{"Quill Template (*.qtpl)", "AVISynth (*.avs)",
                                   "Text files (*.txt)", "All files (*.*)"}));
    QCOMPARE(selected, QStringLiteral("AVISynth (*.avs)"));
    QCOMPARE(preset, QStringLiteral("Hall.qtpl"));

    whenModal<QFileDialog>(look);
    QVERIFY(!qtFileDialogs().open(nullptr, 3));
    QCOMPARE(filters, (QStringList{"Quill Template (*.qtpl)", "AVISynth Script (*.avs)",
                                   "Text files (*.txt)", "All files (*.*)"}));
    QCOMPARE(selected, QStringLiteral("Text files (*.txt)"));
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  MainWindowTest form;
  RealBoxesTest boxes;
  return QTest::qExec(&form, argc, argv) | QTest::qExec(&boxes, argc, argv);
}
#include "main_window_test.moc"
