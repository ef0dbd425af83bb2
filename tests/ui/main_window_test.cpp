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
#include "support/temp_dir.h"
#include "ui/avs_lexer.h"
#include "ui/editor_accessible.h"
#include "ui/elided_label.h"
#include "ui/find_bar.h"
#include "ui/list_views.h"
#include "ui/preview_pane.h"
#include "ui/template_editor.h"

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

// The bytes of a literal, NUL bytes included.
template <std::size_t N>
QByteArray bytes(const char (&text)[N]) {
  return QByteArray(text, N - 1);
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
    QVERIFY(!form->model().state().modified);
    QCOMPARE(child<QLineEdit>(form, "LocLabeledEdit")->text(),
             QString::fromStdString(path("clips")));
    QCOMPARE(form->model().clips().mask(), std::string("*.avi"));
    QCOMPARE(child<QListView>(form, "ClipFileListBox")->model()->rowCount(), 3);
    // Typing in the prefix rebuilds the mask with each key.
    QTest::keyClicks(child<QLineEdit>(form, "ClipNameLabeledEdit"), "b");
    QCOMPARE(form->model().clips().mask(), std::string("b*.avi"));
    QCOMPARE(child<QListView>(form, "ClipFileListBox")->model()->rowCount(), 1);
    QVERIFY(form->model().state().modified);
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
    child<TemplateEditor>(form, "ScriptMemo")->setFocus();
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
    QVERIFY(!form->model().state().modified);
    // Load through the menu, the open dialog cancelled: the editor keeps its
    // text and its undo history.
    QTest::keyClicks(child<TemplateEditor>(form, "ScriptMemo"), "x");
    boxes.answers = {Answer::No};
    child<QAction>(form, "LoadTemplate1")->trigger();
    QCOMPARE(boxes.asked.back().buttons, Buttons::YesNoCancel);
    QCOMPARE(child<TemplateEditor>(form, "ScriptMemo")->text(),
             QStringLiteral("xAVISource(\"<P><F>\")"));
    QVERIFY(child<TemplateEditor>(form, "ScriptMemo")->isUndoAvailable());
    QVERIFY(form->model().state().modified);
  }

  void theFilterListTogglesOnlyInItsCheckColumn() {
    startOnHall();
    FilterCheckList* list = child<FilterCheckList>(form, "FilterByCheckListBox");
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
    QCOMPARE(child<TemplateEditor>(form, "ScriptMemo")->text(), QStringLiteral("caf\u00e9\nx"));
    fileDialogs.saves.push_back(FileChoice{path("same.qtpl"), 1});
    child<QAction>(form, "SaveTemplate1")->trigger();
    QCOMPARE(readFile(path("same.qtpl")), std::string("caf\xe9\r\nx\r\n"));

    auto* editor = child<TemplateEditor>(form, "ScriptMemo");
    editor->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    // QTest types Latin-1 only; text entered as typed raises the same change.
    editor->typeText(QStringLiteral("\u20ac"));
    QVERIFY(form->model().state().modified);
    fileDialogs.saves.push_back(FileChoice{path("euro.qtpl"), 1});
    child<QAction>(form, "SaveTemplate1")->trigger();
    QCOMPARE(readFile(path("euro.qtpl")), std::string("caf\xc3\xa9\r\nx\xe2\x82\xac\r\n"));
  }

  // File > Save as Default Template writes the user's own default, with no
  // dialog, and the next window starts on it.
  void saveAsDefaultTemplateIsWhereTheNextStartLooks() {
    startOnHall();
    auto* item = child<QAction>(form, "SaveDefaultTemplate1");
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
    child<QAction>(form, "SaveTemplate1")->trigger();
    QCOMPARE(fileDialogs.folders.back(), path("home/.config/Clipquill/"));
    QVERIFY(std::filesystem::is_directory(path("home/.config/Clipquill")));
    // Saved there, it is the user's own, whose next save stays where it is.
    fileDialogs.saves.push_back(FileChoice{path("home/.config/Clipquill/DefaultTemplate.qtpl"), 1});
    child<QAction>(form, "SaveTemplate1")->trigger();
    QCOMPARE(readFile(path("home/.config/Clipquill/DefaultTemplate.qtpl")),
             std::string("AVISource(\"<P><F>\")\r\n"));
    child<QAction>(form, "SaveTemplate1")->trigger();
    QCOMPARE(fileDialogs.folders.back(), path("home/.config/Clipquill/"));
    // Any other template's dialog starts in its own folder.
    startOnHall();
    child<QAction>(form, "SaveTemplate1")->trigger();
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
    auto* editor = child<TemplateEditor>(form, "ScriptMemo");
    editor->setFocus();
    for (QChar c : typed) {
      QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
      QApplication::sendEvent(editor, &key);
    }
    QCOMPARE(form->model().state().modified, !typed.isEmpty());
    fileDialogs.saves.push_back(FileChoice{path("out.qtpl"), 1});
    child<QAction>(form, "SaveTemplate1")->trigger();
    QCOMPARE(QByteArray::fromStdString(readFile(path("out.qtpl"))), saved);
  }

  // Tab goes on to "Create Script(s)" as the tab order says; Ctrl+Tab types
  // a tab character.
  void tabMovesOnAndCtrlTabTypesATab() {
    startOnHall();
    auto* editor = child<TemplateEditor>(form, "ScriptMemo");
    editor->setFocus();
    QTRY_VERIFY(editor->hasFocus());
    QTest::keyClick(editor, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(editor->text(), QStringLiteral("\tAVISource(\"<P><F>\")"));
    QVERIFY(form->model().state().modified);
    QTest::keyClick(editor, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), child<QPushButton>(form, "CreateScriptsButton"));
    QCOMPARE(editor->text(), QStringLiteral("\tAVISource(\"<P><F>\")"));
  }

  void findAndReplaceWorkInTheEditor() {
    startOnHall();
    auto* editor = child<TemplateEditor>(form, "ScriptMemo");
    editor->setText(QStringLiteral("AVISource(a)\navisource(b)\nAVISource(c)"));
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_H, Qt::ControlModifier);
    auto* bar = child<FindBar>(form, "FindBar");
    QVERIFY(bar->isVisible());
    QVERIFY(child<QLineEdit>(form, "FindEdit")->hasFocus());
    child<QLineEdit>(form, "FindEdit")->setText(QStringLiteral("AVISource"));
    auto* replaceEdit = child<QLineEdit>(form, "ReplaceEdit");
    replaceEdit->setText(QStringLiteral("FFVideoSource"));
    // A filter's name fits whole at the window's first size.
    QTRY_VERIFY(replaceEdit->width() >
                replaceEdit->fontMetrics().horizontalAdvance(replaceEdit->text()));
    child<QCheckBox>(form, "MatchCaseCheckBox")->setChecked(true);
    QTest::mouseClick(child<QAbstractButton>(form, "ReplaceAllButton"), Qt::LeftButton);
    QCOMPARE(editor->text(), QStringLiteral("FFVideoSource(a)\navisource(b)\nFFVideoSource(c)"));
    // One step to undo.
    editor->undo();
    QCOMPARE(editor->text(), QStringLiteral("AVISource(a)\navisource(b)\nAVISource(c)"));
    QTest::keyClick(child<QLineEdit>(form, "FindEdit"), Qt::Key_Escape);
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
    auto* pane = child<PreviewPane>(form, "PreviewPane");
    QVERIFY(pane->isVisible());
    QTest::mouseClick(child<QPushButton>(form, "SelectAllButton"), Qt::LeftButton);
    form->refreshPreview();
    const QString clips = QString::fromStdString(path("clips/"));
    QCOMPARE(pane->text(), "AVISource(\"" + clips + "a.avi\")");
    QVERIFY(pane->title().contains(QStringLiteral("a.avs")));
    QVERIFY(!pane->title().contains(QStringLiteral("already there")));
    writeFile(path("out/a.avs"), "");
    child<QCheckBox>(form, "JoinScriptsCheckBox")->click();
    QTRY_COMPARE(pane->text(), "AVISource(\"" + clips + "a.avi\", \"" + clips + "b.avi\", \"" +
                                   clips + "d.avi\")");
    child<QCheckBox>(form, "JoinScriptsCheckBox")->click();
    form->refreshPreview();
    QVERIFY(pane->title().contains(QStringLiteral("already there")));
    // Typing: the preview follows once typing pauses.
    auto* editor = child<TemplateEditor>(form, "ScriptMemo");
    editor->setFocus();
    QTest::keyClicks(editor, "#");
    QTRY_COMPARE(pane->text(), "#AVISource(\"" + clips + "a.avi\")");

    QTest::mouseClick(child<QCheckBox>(form, "PreviewCheckBox"), Qt::LeftButton);
    QVERIFY(!pane->isVisible());
    form.reset();
    startOnHall();
    QVERIFY(!child<PreviewPane>(form, "PreviewPane")->isVisible());
    QVERIFY(!child<QCheckBox>(form, "PreviewCheckBox")->isChecked());
    child<QCheckBox>(form, "PreviewCheckBox")->click();
    QVERIFY(child<PreviewPane>(form, "PreviewPane")->isVisible());
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
    QTest::mouseClick(child<QPushButton>(form, "SelectAllButton"), Qt::LeftButton);
    form->refreshPreview();
    auto* pane = child<PreviewPane>(form, "PreviewPane");
    QVERIFY2(pane->title().contains(QStringLiteral("a.mkv, also gets this script name")),
             qPrintable(pane->title()));
    QTest::mouseClick(child<QPushButton>(form, "CreateScriptsButton"), Qt::LeftButton);
    QCOMPARE(boxes.asked.size(), std::size_t{1});
    QCOMPARE(boxes.asked[0].kind, MessageKind::Error);
    QVERIFY2(boxes.asked[0].text.endsWith(QStringLiteral("\n\na_enc.avs: a.avi, a.mkv")),
             qPrintable(boxes.asked[0].text));
    QVERIFY(std::filesystem::is_empty(path("out")));
    auto* status = qobject_cast<ElidedLabel*>(child<QLabel>(form, "RunStatus"));
    QCOMPARE(status->fullText(),
             QStringLiteral("Last run: selected clips share script names; nothing written."));
    QVERIFY(!child<QPushButton>(form, "OpenRunFolderButton")->isVisible());
  }

  // A template without a settings file empties Filter By, and the clip list
  // shows what an empty filter lists: every clip.
  void loadingATemplateWithoutSettingsListsEveryClip() {
    startOnHall();
    auto* list = child<QListView>(form, "ClipFileListBox");
    QCOMPARE(list->model()->rowCount(), 3);
    writeFile(path("Bare.qtpl"), "Bare\r\n");
    fileDialogs.opens.push_back(FileChoice{path("Bare.qtpl"), 1});
    QTest::mouseClick(child<QPushButton>(form, "LoadSriptButton"), Qt::LeftButton);
    QCOMPARE(child<QListView>(form, "FilterByCheckListBox")->model()->rowCount(), 0);
    QCOMPARE(list->model()->rowCount(), 4);
    QCOMPARE(qobject_cast<QLabel*>(child<QLabel>(form, "ClipStatus"))->text(),
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
    QListView* list = child<QListView>(form, "ClipFileListBox");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(0, 0)).center());
    form->refreshPreview();
    auto* pane = child<PreviewPane>(form, "PreviewPane");
    const QString line = "AVISource(\"" + QString::fromStdString(path("clips/")) + "a.avi\")";
    QCOMPARE(pane->text(), "\n" + line + "\n");
    QVERIFY(!pane->title().contains(QStringLiteral("already there")));

    auto* editor = child<TemplateEditor>(form, "ScriptMemo");
    editor->setFocus();
    QTest::keyClicks(editor, "#");
    QTest::mouseClick(child<QPushButton>(form, "CreateScriptsButton"), Qt::LeftButton);
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
    QCOMPARE(child<QLabel>(form, "EncodingStatus")->text(), QStringLiteral("UTF-8"));
    QListView* list = child<QListView>(form, "ClipFileListBox");
    QCOMPARE(list->model()->rowCount(), 4);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(3, 0)).center());
    form->refreshPreview();
    auto* pane = child<PreviewPane>(form, "PreviewPane");
    QCOMPARE(pane->text(), QStringLiteral("# caf\u00e9 \\xE9t\\xE9.avi"));
    QVERIFY2(pane->title().contains(QStringLiteral("\\xE9t\\xE9.avs")), qPrintable(pane->title()));

    writeFile(path("L1.qtpl"), "# caf\xe9 <F>\r\n");
    fileDialogs.opens.push_back(FileChoice{path("L1.qtpl"), 1});
    QTest::mouseClick(child<QPushButton>(form, "LoadSriptButton"), Qt::LeftButton);
    QCOMPARE(child<QLabel>(form, "EncodingStatus")->text(), QStringLiteral("Latin-1"));
  }

  // A clip's name with a double quote inside "<P><F>": the preview warns
  // before the run; triple quotes hold it, and so warn of nothing.
  void thePreviewWarnsOfAQuoteInAClipsName() {
    writeFile(path("clips/it\"s.avi"), "");
    startOnHall();
    QListView* list = child<QListView>(form, "ClipFileListBox");
    const auto select = [&](const QString& name) {
      const auto found = list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, name);
      QVERIFY(!found.isEmpty());
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                        list->visualRect(found.front()).center());
    };
    auto* pane = child<PreviewPane>(form, "PreviewPane");
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
    QTest::keyClicks(child<QLineEdit>(form, "ScriptLabeledEdit"), "*_x");
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

  // The template, the clips, the last run and its check each have a place of
  // their own, side by side and all in view; a check's message hides none of
  // them, and "Open Folder" is offered only for a folder that is there.
  void theStatusBarsPlacesStayInViewSideBySide() {
    std::filesystem::create_symlink(CLIPQUILL_CHECK_HELPER, path("app/clipquill-cli"));
    startOnHall();
    form->resize(1900, form->height());
    fileDialogs.libraries.push_back(path("gone/libavisynth.so"));
    child<QAction>(form, "AvisynthLibrary")->trigger();
    QTest::mouseClick(child<QPushButton>(form, "SelectAllButton"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(form, "CreateScriptsButton"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(form->scriptChecks().unavailable(), 10000);
    std::vector<QWidget*> places;
    for (const char* name :
         {"TemplateStatus", "ClipStatus", "RunStatus", "OpenRunFolderButton", "CheckStatus"}) {
      QWidget* place = child<QWidget>(form, name);
      QVERIFY2(place->isVisible(), name);
      for (QWidget* other : places)
        QVERIFY2(!place->geometry().intersects(other->geometry()), name);
      places.push_back(place);
    }
    auto* check = child<ElidedLabel>(form, "CheckStatus");
    QVERIFY(check->fullText().startsWith(QStringLiteral("AviSynth+ is not available: ")));
    QCOMPARE(check->toolTip(), check->fullText());
    QVERIFY(!child<ElidedLabel>(form, "TemplateStatus")->text().isEmpty());
    QVERIFY(!child<ElidedLabel>(form, "RunStatus")->text().isEmpty());

    // A destination that is not there: the run fails, and there is no
    // folder to open.
    form->model().setFieldText(Field::Destination, path("missing"));
    QTest::mouseClick(child<QPushButton>(form, "CreateScriptsButton"), Qt::LeftButton);
    QCOMPARE(boxes.errors.size(), std::size_t{1});
    QVERIFY(!child<QPushButton>(form, "OpenRunFolderButton")->isVisible());
  }

  // Each created script is checked with AviSynth+ by the command line beside
  // the program (here the check's test program, with a stand-in library that
  // crashes on a script named so), and its line marked.
  void createdScriptsAreCheckedWithTheLibraryFromTheOptions() {
    std::filesystem::create_symlink(CLIPQUILL_CHECK_HELPER, path("app/clipquill-cli"));
    writeFile(path("clips/crash.avi"), "");
    std::filesystem::create_directory(path("out2"));
    startOnHall();
    auto* status = child<ElidedLabel>(form, "CheckStatus");
    fileDialogs.libraries.push_back(path("gone/libavisynth.so"));
    child<QAction>(form, "AvisynthLibrary")->trigger();
    QTest::mouseClick(child<QPushButton>(form, "SelectAllButton"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(form, "CreateScriptsButton"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(form->scriptChecks().unavailable(), 10000);
    QVERIFY(status->fullText().startsWith(QStringLiteral("AviSynth+ is not available: ")));

    fileDialogs.libraries.push_back(CLIPQUILL_FAKE_AVISYNTH);
    child<QAction>(form, "AvisynthLibrary")->trigger();
    form->model().setFieldText(Field::Destination, path("out2"));
    QTest::mouseClick(child<QPushButton>(form, "CreateScriptsButton"), Qt::LeftButton);
    QCOMPARE(child<QPlainTextEdit>(form, "ScriptNameMemo")->toPlainText(),
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
    QTest::mouseClick(child<QPushButton>(form, "CreateScriptsButton"), Qt::LeftButton);
    QCOMPARE(boxes.asked.back().kind, MessageKind::Error);
    QCOMPARE(form->scriptChecks().mark(3), CreatedScriptChecks::Mark::None);
    QCOMPARE(form->scriptChecks().status(), std::string());
    QVERIFY(child<QPlainTextEdit>(form, "ScriptNameMemo")->extraSelections().isEmpty());
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
        if (p->objectName() == "FindBar" || p->objectName() == "PreviewPane") return false;
      }
      return w->objectName() != "SourceProblemLabel";
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
    QCOMPARE(child<QLineEdit>(form, "DestLabeledEdit")->accessibleName(),
             QStringLiteral("Destination folder for scripts:"));
    QTest::keyClick(form.get(), Qt::Key_D, Qt::AltModifier);
    QTRY_VERIFY(child<QLineEdit>(form, "DestLabeledEdit")->hasFocus());
  }

  // Ctrl+Return runs "Create Script(s)" from the editor without a new line,
  // F1 opens the usage window, and the specified keys stay.
  void ctrlReturnCreatesAndF1ShowsTheUsage() {
    startOnHall();
    QTest::mouseClick(child<QPushButton>(form, "SelectAllButton"), Qt::LeftButton);
    auto* memo = child<TemplateEditor>(form, "ScriptMemo");
    memo->setFocus();
    QTRY_VERIFY(memo->hasFocus());
    QTest::keyClick(memo, Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(std::filesystem::exists(path("out/a.avs")));
    QCOMPARE(memo->text(), QStringLiteral("AVISource(\"<P><F>\")"));
    QTest::keyClick(memo, Qt::Key_F1);
    QCOMPARE(dialogs.usingShown, 1);
    QCOMPARE(child<QAction>(form, "Exit1")->shortcut(), QKeySequence("Ctrl+X"));
    QCOMPARE(child<QAction>(form, "SaveInis")->shortcut(), QKeySequence("Ctrl+A"));
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
    auto* editor = child<TemplateEditor>(form, "ScriptMemo");
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_H, Qt::ControlModifier);
    QVERIFY(child<FindBar>(form, "FindBar")->isVisible());
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
    QTest::mouseClick(child<QPushButton>(form, "SelectAllButton"), Qt::LeftButton);
    QTest::keyClicks(child<QLineEdit>(form, "FindEdit"), "AVISource");
    QTest::keyClicks(child<QLineEdit>(form, "ReplaceEdit"), "DirectShowSource");
    QTest::keyClick(form.get(), Qt::Key_A, Qt::AltModifier);
    QTRY_VERIFY(editor->text().startsWith(QStringLiteral("DirectShowSource")));
    QCOMPARE(form->model().clips().selectedCount(), std::size_t{3});
    // Closed again, the window's letters come back.
    QTest::keyClick(child<QLineEdit>(form, "FindEdit"), Qt::Key_Escape);
    QTRY_VERIFY(!child<FindBar>(form, "FindBar")->isVisible());
    QCOMPARE(child<QPushButton>(form, "SelectAllButton")->text(), QStringLiteral("De/Select &All"));
    checkUnique(inView(), "find bar closed again");
  }

  void theDesktopsStandardKeysAreAPerUserOption() {
    startOnHall();
    auto* edit = child<QLineEdit>(form, "ScriptLabeledEdit");
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QVERIFY(!form->model().optionFlags().saveInis);
    QCOMPARE(form->statusBar()->currentMessage(), QStringLiteral("Save Template .ini's: off"));

    child<QAction>(form, "StandardKeys1")->trigger();
    QCOMPARE(form->statusBar()->currentMessage(), QStringLiteral("Desktop's Standard Keys: on"));
    QTest::keyClicks(edit, "abc");
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(edit->selectedText(), QStringLiteral("abc"));
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);  // a cut, the window stays
    QVERIFY(form->isVisible());
    QCOMPARE(edit->text(), QString());
    QVERIFY(!form->model().optionFlags().saveInis);
    QVERIFY(child<QAction>(form, "SaveInis")->shortcut().isEmpty());
    QVERIFY(child<QAction>(form, "LoadInis")->shortcut().isEmpty());
    boxes.answers = {Answer::No};                           // the edits are not saved first
    QTest::keyClick(edit, Qt::Key_O, Qt::ControlModifier);  // Load Template
    QCOMPARE(fileDialogs.folders, std::vector<std::string>{path("")});
    boxes.answers = {Answer::DontSave};
    QTest::keyClick(edit, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!form->isVisible());

    // Kept for the next window; the template's flags are not touched.
    start();
    QVERIFY(child<QAction>(form, "StandardKeys1")->isChecked());
    QCOMPARE(child<QAction>(form, "Exit1")->shortcut(), QKeySequence("Ctrl+Q"));
  }

  // Loads and saves fill File > Recent Templates; an item loads through Load
  // Template's questions, and the dialogs start in the template's folder.
  void recentTemplatesLoadThroughLoadTemplate() {
    startOnHall();
    auto* recent = form->findChild<QMenu*>("RecentTemplates1");
    QVERIFY(recent);
    QCOMPARE(recent->actions().size(), 1);  // the command line's template
    std::filesystem::create_directory(path("other"));
    writeFile(path("other/B&W.qtpl"), "bw\r\n");
    fileDialogs.opens.push_back(FileChoice{path("other/B&W.qtpl"), 1});
    child<QAction>(form, "LoadTemplate1")->trigger();
    QCOMPARE(fileDialogs.folders, std::vector<std::string>{path("")});
    QCOMPARE(recent->actions().size(), 2);
    QCOMPARE(recent->actions()[0]->text(),
             QStringLiteral("&1 ") + QString::fromStdString(path("other/B&&W.qtpl")));
    child<QAction>(form, "SaveTemplate1")->trigger();  // cancelled
    QCOMPARE(fileDialogs.folders.back(), path("other/"));

    QTest::keyClicks(child<TemplateEditor>(form, "ScriptMemo"), "x");
    boxes.answers = {Answer::No};
    recent->actions()[1]->trigger();
    QTRY_COMPARE(child<TemplateEditor>(form, "ScriptMemo")->text(),
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
    auto* dest = child<QLineEdit>(form, "DestLabeledEdit");
    QVERIFY(!drop(dest, {path("clips/a.avi")}));
    QVERIFY(drop(dest, {path("clips")}));
    QCOMPARE(dest->text(), QString::fromStdString(path("clips")));
    QCOMPARE(form->model().fieldText(Field::Destination), path("clips"));

    std::filesystem::create_directory(path("more"));
    for (const char* clip : {"x.avi", "y.avi", "z.mpg"})
      writeFile(path("more/") + clip, "");
    auto* list = child<QListView>(form, "ClipFileListBox");
    QVERIFY(drop(list->viewport(), {path("more/y.avi"), path("more/z.mpg")}));
    QTRY_COMPARE(form->model().clips().folder(), path("more"));
    QCOMPARE(form->model().clips().selectedEntries(), std::vector<std::string>{"y.avi"});
    QCOMPARE(list->selectionModel()->selectedRows().size(), 1);
    QVERIFY(form->statusBar()->currentMessage().startsWith("1 dropped clip is not listed"));

    writeFile(path("D.qtpl"), "dropped\r\n");
    boxes.answers = {Answer::No};  // the save question: the list moved
    QVERIFY(
        drop(child<QPushButton>(form, "CreateScriptsButton")->parentWidget(), {path("D.qtpl")}));
    QTRY_COMPARE(child<TemplateEditor>(form, "ScriptMemo")->text(), QStringLiteral("dropped"));
    QCOMPARE(boxes.asked.size(), std::size_t{1});  // the save question: the list moved
  }
};

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
    QString selected, preset, folder, presetSelected;
    TempDir dir;
    auto look = [&](QFileDialog* dialog) {
      QTest::qWait(50);  // as the user sees it once it has settled
      filters = dialog->nameFilters();
      selected = dialog->selectedNameFilter();
      preset = dialog->findChild<QLineEdit*>("fileNameEdit")->text();
      presetSelected = dialog->findChild<QLineEdit*>("fileNameEdit")->selectedText();
      folder = dialog->directory().absolutePath();
      dialog->reject();
    };
    whenModal<QFileDialog>(look);
    QVERIFY(!qtFileDialogs().save(nullptr, "Hall.qtpl", 2, dir.path()));
    QCOMPARE(filters, (QStringList{"Quill Template (*.qtpl)", "AVISynth (*.avs)",
                                   "Text files (*.txt)", "All files (*.*)"}));
    QCOMPARE(selected, QStringLiteral("AVISynth (*.avs)"));
    QCOMPARE(preset, QStringLiteral("Hall.qtpl"));
    QCOMPARE(presetSelected, preset);  // typing replaces the proposal
    QCOMPARE(folder, QString::fromStdString(dir.path()));

    whenModal<QFileDialog>(look);
    QVERIFY(!qtFileDialogs().open(nullptr, 3, dir.path()));
    QCOMPARE(folder, QString::fromStdString(dir.path()));
    QCOMPARE(filters, (QStringList{"Quill Template (*.qtpl)", "AVISynth Script (*.avs)",
                                   "Text files (*.txt)", "All files (*.*)"}));
    QCOMPARE(selected, QStringLiteral("Text files (*.txt)"));
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  MainWindowTest form;
  RealBoxesTest boxes;
  TemplateEditorTest editor;
  return QTest::qExec(&form, argc, argv) | QTest::qExec(&boxes, argc, argv) |
         QTest::qExec(&editor, argc, argv);
}
#include "main_window_test.moc"
