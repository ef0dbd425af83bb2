// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's fields, buttons and lists reaching the model: typing,
// the folder buttons, the filter and clip lists, and drops.
// The rules themselves are the model's and are tested there.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>
#include <filesystem>

#include "main_window_fixture.h"
#include "ui/elided_label.h"
#include "ui/list_views.h"
#include "ui/template_editor.h"

using namespace clipquill;
using namespace clipquill::testing;

class MainWindowFieldsTest : public MainWindowFixture {
  Q_OBJECT

 private slots:
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
  return runWindowTests<MainWindowFieldsTest>(argc, argv);
}
#include "main_window_fields_test.moc"
