// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's binding to its model: widgets found by name, keys and
// clicks sent as a user would, questions answered through the window's seams.
// The rules themselves are the model's and are tested there.
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
#include "ui/frame_pane.h"
#include "ui/list_views.h"
#include "ui/object_names.h"
#include "ui/preview_pane.h"
#include "ui/template_editor.h"

using namespace clipquill;
using clipquill::testing::bytes;
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
  std::vector<std::string> folders;  // where each dialog started
  std::optional<FileChoice> open(QWidget*, int, const std::string& folder) override {
    folders.push_back(folder);
    return next(opens);
  }
  std::optional<FileChoice> save(QWidget*, std::string_view, int,
                                 const std::string& folder) override {
    folders.push_back(folder);
    return next(saves);
  }
  std::deque<std::optional<std::string>> libraries;
  std::optional<std::string> library(QWidget*, std::string_view) override {
    if (libraries.empty()) return std::nullopt;
    auto choice = libraries.front();
    libraries.pop_front();
    return choice;
  }

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
  void openMenuDialog(StartupWindow window) override {
    ++(window == StartupWindow::Using ? usingShown : aboutShown);
  }
};

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
                    .homeFolder = path("home"),
                    .userFolder = path("home/.config/Clipquill")},
        .registryRoot = path("registry"),
        .boxes = &boxes,
        .files = &fileDialogs,
        .userConfig = userConfigPlace(path("cfg").c_str(), nullptr),
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
  // Whatever Qt itself keeps goes to its test folder, not the user's.
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void init() {
    dir = std::make_unique<TempDir>();
    for (const char* sub : {"app", "home", "clips", "out", "cfg"})
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
    QCOMPARE(form->size(), QSize(555, 635));
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

  void typingAndProgramChangesRaiseTheSameHandler() {
    startOnHall();
    QVERIFY(!form->model().state().modified);
    QCOMPARE(child<QLineEdit>(form, objectNames::kLocLabeledEdit)->text(),
             QString::fromStdString(path("clips")));
    QCOMPARE(form->model().clips().mask(), std::string("*.avi"));
    QCOMPARE(child<QListView>(form, objectNames::kClipFileListBox)->model()->rowCount(), 3);
    // Typing in the prefix rebuilds the mask with each key.
    QTest::keyClicks(child<QLineEdit>(form, objectNames::kClipNameLabeledEdit), "b");
    QCOMPARE(form->model().clips().mask(), std::string("b*.avi"));
    QCOMPARE(child<QListView>(form, objectNames::kClipFileListBox)->model()->rowCount(), 1);
    QVERIFY(form->model().state().modified);
    // The program setting the field is shown, and moves the list the same way.
    form->model().setFieldText(Field::ClipName, "");
    QCOMPARE(child<QLineEdit>(form, objectNames::kClipNameLabeledEdit)->text(), QString());
    QCOMPARE(child<QListView>(form, objectNames::kClipFileListBox)->model()->rowCount(), 3);
  }

  // Keys typed into the source field all land; the folder error waits in
  // its line until the user leaves the field, then comes in one box.
  void aTypedFolderErrorWaitsForTheFieldToBeLeft() {
    startOnHall();
    QLineEdit* edit = child<QLineEdit>(form, objectNames::kLocLabeledEdit);
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClicks(edit, "xyz");
    QCOMPARE(edit->text(), QString::fromStdString(path("clipsxyz")));
    QVERIFY(boxes.errors.empty());
    QCOMPARE(child<ElidedLabel>(form, objectNames::kSourceProblemLabel)->fullText(),
             QString::fromStdString(path("clipsxyz") + ": File not found."));
    QCOMPARE(child<QListView>(form, objectNames::kClipFileListBox)->model()->rowCount(), 0);
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
    QCOMPARE(child<ElidedLabel>(form, objectNames::kSourceProblemLabel)->fullText(), QString());
    QCOMPARE(child<QListView>(form, objectNames::kClipFileListBox)->model()->rowCount(), 3);
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
             {child<QLineEdit>(form, objectNames::kLocLabeledEdit), {FolderPickerFor::Clips}},
             {child<QLineEdit>(form, objectNames::kClipNameLabeledEdit), {}},
             {child<QLineEdit>(form, objectNames::kScriptLabeledEdit), {}},
             {child<QLineEdit>(form, objectNames::kDestLabeledEdit), {FolderPickerFor::Scripts}}}) {
      dialogs.picked.clear();
      c.edit->setFocus();
      QTRY_VERIFY(c.edit->hasFocus());
      QTest::keyClick(c.edit, Qt::Key_Return);
      QCOMPARE(dialogs.picked, c.picked);
    }
    // The picker's folder reached the source box as if typed: the list moved.
    QCOMPARE(child<QLineEdit>(form, objectNames::kLocLabeledEdit)->text(),
             QString::fromStdString(path("out")));
    QCOMPARE(form->model().clips().folder(), path("out"));
    child<TemplateEditor>(form, objectNames::kScriptMemo)->setFocus();
    QTRY_VERIFY(form->defaultButton() == nullptr);
  }

  void buttonsAndMenuItemsReachTheirHandlers() {
    startOnHall();
    QTest::mouseClick(child<QPushButton>(form, objectNames::kSelectAllButton), Qt::LeftButton);
    QCOMPARE(form->model().clips().selectedCount(), std::size_t{3});
    QCOMPARE(child<QListView>(form, objectNames::kClipFileListBox)
                 ->selectionModel()
                 ->selectedRows()
                 .size(),
             3);
    QTest::mouseClick(child<QPushButton>(form, objectNames::kCreateScriptsButton), Qt::LeftButton);
    QCOMPARE(child<QPlainTextEdit>(form, objectNames::kScriptNameMemo)->toPlainText(),
             QStringLiteral("Script(s) Created:\na.avs\nb.avs\nd.avs"));
    QVERIFY(std::filesystem::exists(path("out/a.avs")));

    dialogs.filterAnswer = std::vector<std::string>{"avs", "", "mpg"};
    child<QAction>(form, objectNames::kEditFilters1)->trigger();
    QCOMPARE(child<FilterCheckList>(form, objectNames::kFilterByCheckListBox)->model()->rowCount(),
             2);
    QTest::mouseClick(child<QPushButton>(form, objectNames::kEditFiltersButton), Qt::LeftButton);
    child<QAction>(form, objectNames::kUsing1)->trigger();
    child<QAction>(form, objectNames::kAbout1)->trigger();
    QCOMPARE(dialogs.usingShown, 1);
    QCOMPARE(dialogs.aboutShown, 1);

    child<QCheckBox>(form, objectNames::kJoinScriptsCheckBox)->click();
    QVERIFY(form->model().join());
    child<QAction>(form, objectNames::kLoadInis)->trigger();
    QVERIFY(!child<QAction>(form, objectNames::kLoadInis)->isChecked());
    QVERIFY(!form->model().optionFlags().loadInis);

    // Save through the button: the dialog's path and type come back.
    fileDialogs.saves.push_back(FileChoice{path("New"), 2});
    QTest::mouseClick(child<QPushButton>(form, objectNames::kSaveScriptButton), Qt::LeftButton);
    QVERIFY(std::filesystem::exists(path("New.avs")));
    QVERIFY(!form->model().state().modified);
    // Load through the menu, the open dialog cancelled: the editor keeps its
    // text and its undo history.
    QTest::keyClicks(child<TemplateEditor>(form, objectNames::kScriptMemo), "x");
    boxes.answers = {Answer::No};
    child<QAction>(form, objectNames::kLoadTemplate1)->trigger();
    QCOMPARE(boxes.asked.back().buttons, Buttons::YesNoCancel);
    QCOMPARE(child<TemplateEditor>(form, objectNames::kScriptMemo)->text(),
             QStringLiteral("xAVISource(\"<P><F>\")"));
    QVERIFY(child<TemplateEditor>(form, objectNames::kScriptMemo)->isUndoAvailable());
    QVERIFY(form->model().state().modified);
  }

  void theFilterListTogglesOnlyInItsCheckColumn() {
    startOnHall();
    FilterCheckList* list = child<FilterCheckList>(form, objectNames::kFilterByCheckListBox);
    const QModelIndex mpg = list->model()->index(1, 0);
    const QRect row = list->visualRect(mpg);
    // A press on the text is the list's click: the same mask, and the mark.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(row.right() - 2, row.center().y()));
    QCOMPARE(form->model().filters().state(1), CheckState::Unchecked);
    QVERIFY(form->model().state().modified);
    // A press in the check column toggles and the list follows at once.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(row.left() + 3, row.center().y()));
    QCOMPARE(form->model().filters().state(1), CheckState::Checked);
    QCOMPARE(form->model().clips().mask(), std::string("*.avi;*.mpg"));
    QCOMPARE(list->model()->index(1, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    // The space bar toggles the highlighted entry; the right button does nothing.
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(form->model().filters().state(1), CheckState::Unchecked);
    QTest::mouseClick(list->viewport(), Qt::RightButton, {},
                      QPoint(row.left() + 3, row.center().y()));
    QCOMPARE(form->model().filters().state(1), CheckState::Unchecked);
    // Arrow keys move the highlight and click: the mark is set afresh.
    form->model().setFieldText(Field::ScriptName, "x");  // any change
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(list->currentIndex().row(), 0);
  }

  void clipSelectionReachesTheModel() {
    writeFile(path("clips/caf\xe9.avi"), "");  // a Latin-1 name
    startOnHall();
    QListView* list = child<QListView>(form, objectNames::kClipFileListBox);
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
    FramePane* frame = child<PreviewPane>(form, objectNames::kPreviewPane)->framePane();
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

    // A destination that is not there: the run fails, and there is no
    // folder to open.
    form->model().setFieldText(Field::Destination, path("missing"));
    QTest::mouseClick(child<QPushButton>(form, objectNames::kCreateScriptsButton), Qt::LeftButton);
    QCOMPARE(boxes.errors.size(), std::size_t{1});
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

  // Every label and button has an Alt+letter of its own; the captions keep
  // their text and the accessible names have no "&".
  void everyLabelAndButtonHasAMnemonic() {
    start();
    QSet<QChar> letters{'F', 'O', 'H'};  // the menu bar's
    QWidget* central = form->centralWidget();
    std::vector<QWidget*> widgets;
    // The find bar and the preview keep their own keys; a line that only
    // shows a message takes no focus.
    const auto own = [&](QWidget* w) {
      for (QWidget* p = w; p && p != central; p = p->parentWidget()) {
        if (p->objectName() == objectNames::kFindBar ||
            p->objectName() == objectNames::kPreviewPane)
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

  // The specified keys, then the desktop's: the option is the user's, and
  // the window says what a key flipped.
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
    for (QAction* menu : form->menuBar()->actions()) {
      QStringList captions;
      for (QAction* item : menu->menu()->actions())
        captions << item->text();
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

  // Drops as a user makes them: a folder on a field, clips on the list, a
  // template anywhere; a file on a folder field is refused.
  void dropsLandWhereTheyMeanSomething() {
    startOnHall();
    auto drop = [](QWidget* target, const std::vector<std::string>& paths) {
      QMimeData data;
      QList<QUrl> urls;
      for (const std::string& p : paths)
        urls << QUrl::fromLocalFile(QString::fromStdString(p));
      data.setUrls(urls);
      const QPoint at = target->rect().center();
      QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(target, &enter);
      if (!enter.isAccepted()) return false;
      QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(target, &dropped);
      QApplication::processEvents();
      return dropped.isAccepted();
    };
    auto* dest = child<QLineEdit>(form, objectNames::kDestLabeledEdit);
    QVERIFY(!drop(dest, {path("clips/a.avi")}));
    QVERIFY(drop(dest, {path("clips")}));
    QCOMPARE(dest->text(), QString::fromStdString(path("clips")));
    QCOMPARE(form->model().fieldText(Field::Destination), path("clips"));

    std::filesystem::create_directory(path("more"));
    for (const char* clip : {"x.avi", "y.avi", "z.mpg"})
      writeFile(path("more/") + clip, "");
    auto* list = child<QListView>(form, objectNames::kClipFileListBox);
    QVERIFY(drop(list->viewport(), {path("more/y.avi"), path("more/z.mpg")}));
    QTRY_COMPARE(form->model().clips().folder(), path("more"));
    QCOMPARE(form->model().clips().selectedEntries(), std::vector<std::string>{"y.avi"});
    QCOMPARE(list->selectionModel()->selectedRows().size(), 1);
    QVERIFY(form->statusBar()->currentMessage().startsWith("1 dropped clip is not listed"));

    writeFile(path("D.qtpl"), "dropped\r\n");
    boxes.answers = {Answer::No};  // the save question: the list moved
    QVERIFY(drop(child<QPushButton>(form, objectNames::kCreateScriptsButton)->parentWidget(),
                 {path("D.qtpl")}));
    QTRY_COMPARE(child<TemplateEditor>(form, objectNames::kScriptMemo)->text(),
                 QStringLiteral("dropped"));
    QCOMPARE(boxes.asked.size(), std::size_t{1});  // the save question: the list moved
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  MainWindowTest form;
  return QTest::qExec(&form, argc, argv);
}
#include "main_window_test.moc"
