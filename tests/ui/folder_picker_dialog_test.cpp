// SPDX-License-Identifier: GPL-3.0-or-later
// The folder picker and the new-folder dialog on Qt's offscreen platform, over
// a real temporary folder tree. Each modal showing is answered from a timer
// that runs once the dialog is up.
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/named_child.h"
#include "support/temp_dir.h"
#include "ui/folder_picker_dialog.h"
#include "ui/new_folder_dialog.h"
#include "ui/object_names.h"
#include "ui/qt_text.h"

namespace fs = std::filesystem;
using namespace clipquill;
using clipquill::testing::child;

namespace {

class FixedDrives : public DriveSource {
 public:
  std::vector<Drive> list;
  std::vector<Drive> drives() override { return list; }
};

// Runs step once the next modal dialog is up.
void whenShown(std::function<void(QWidget*)> step) {
  QTimer::singleShot(0, [step = std::move(step)] {
    QWidget* modal = QApplication::activeModalWidget();
    QVERIFY(modal != nullptr);
    step(modal);
  });
}

QStringList rowTexts(const QListWidget* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i)
    texts << list->item(i)->text();
  return texts;
}

int rowOf(const QListWidget* list, const QString& text) {
  return rowTexts(list).indexOf(text);
}

}  // namespace

class FolderPickerDialogTest : public QObject {
  Q_OBJECT

 private:
  testing::TempDir home;
  std::unique_ptr<Folders> folders = makeSystemFolders();
  FixedDrives drives;
  std::unique_ptr<FolderPickerDialog> dlg;
  std::unique_ptr<NewFolderDialog> newDlg;
  std::vector<std::string> errors;
  QTimer watchdog;  // a failed check inside a showing would leave it open

  std::string clips() const { return home.path() + "/clips"; }

 private slots:
  void initTestCase() {
    connect(&watchdog, &QTimer::timeout, [] {
      while (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        modal->reject();
      }
    });
    watchdog.start(5000);
  }

  void init() {
    fs::create_directories(clips() + "/alpha");
    fs::create_directories(clips() + "/Beta");
    drives.list = {{"/", "", DriveKind::Root}, {home.path(), "", DriveKind::Home}};
    dlg = std::make_unique<FolderPickerDialog>(*folders, drives, home.path());
    newDlg = std::make_unique<NewFolderDialog>();
    dlg->setNewFolderDialog(newDlg.get());
    errors.clear();
    dlg->setErrorShower([this](const Error& e) { errors.push_back(e.boxText()); });
  }
  void cleanup() {
    dlg.reset();
    newDlg.reset();
    fs::remove_all(clips());
  }

  void elementsNamesAndTabOrder() {
    const std::pair<const char*, QString> elements[] = {
        {objectNames::kBevel1, ""},
        {objectNames::kDriveComboBox1, "Drive"},
        {objectNames::kDirectoryListBox1, "Folders"},
        {objectNames::kNewFolderButton, "New Folder"},
        {objectNames::kOKBtn, "OK"},
        {objectNames::kCancelBtn, "Cancel"},
    };
    for (const auto& [name, accessible] : elements) {
      auto* w = dlg->findChild<QWidget*>(name);
      QVERIFY2(w != nullptr, name);
      QCOMPARE(w->accessibleName(), accessible);
    }
    QVERIFY(!child<QPushButton>(dlg, objectNames::kOKBtn)->isDefault() &&
            !child<QPushButton>(dlg, objectNames::kOKBtn)->autoDefault());
    std::vector<QWidget*> order{child<QComboBox>(dlg, objectNames::kDriveComboBox1),
                                child<QListWidget>(dlg, objectNames::kDirectoryListBox1),
                                child<QPushButton>(dlg, objectNames::kNewFolderButton),
                                child<QPushButton>(dlg, objectNames::kOKBtn),
                                child<QPushButton>(dlg, objectNames::kCancelBtn)};
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
      QWidget* next = order[i]->nextInFocusChain();
      while (next->focusPolicy() == Qt::NoFocus)
        next = next->nextInFocusChain();
      QCOMPARE(next, order[i + 1]);
    }
    QCOMPARE(newDlg->windowTitle(), QString("New Folder"));
    QCOMPARE(child<QLineEdit>(newDlg, objectNames::kNewNameLabeledEdit)->accessibleName(),
             QString("New folder name:"));
    QVERIFY(child<QPushButton>(newDlg, objectNames::kOKBtn)->isDefault());
    QCOMPARE(child<QLineEdit>(newDlg, objectNames::kNewNameLabeledEdit)->nextInFocusChain(),
             child<QPushButton>(newDlg, objectNames::kOKBtn));
  }

  void openingFollowsTheBox() {
    struct Case {
      FolderPickerFor which;
      std::string box;
      QString caption;
      bool newFolderShown;
      QString currentText;
      int drive;
    };
    const QString homeName = QString::fromStdString(home.path());
    const Case cases[] = {
        {FolderPickerFor::Clips, "", "Select Clips Folder", false, homeName, 1},
        {FolderPickerFor::Scripts, "clips/", "Select Scripts Destination", true, "clips", 1},
        {FolderPickerFor::Clips, "/", "Select Clips Folder", false, "/", 0},
    };
    for (const Case& c : cases) {
      bool seen = false;
      whenShown([&](QWidget* modal) {
        seen = true;
        QCOMPARE(modal, dlg.get());
        QCOMPARE(dlg->windowTitle(), c.caption);
        QCOMPARE(child<QPushButton>(dlg, objectNames::kNewFolderButton)->isVisible(),
                 c.newFolderShown);
        QCOMPARE(child<QComboBox>(dlg, objectNames::kDriveComboBox1)->currentIndex(), c.drive);
        QCOMPARE(child<QListWidget>(dlg, objectNames::kDirectoryListBox1)->currentItem()->text(),
                 c.currentText);
        QCOMPARE(dlg->focusWidget(), child<QComboBox>(dlg, objectNames::kDriveComboBox1));
        child<QPushButton>(dlg, objectNames::kOKBtn)->click();
      });
      const auto picked = dlg->pick(c.which, c.box, home.path());
      QVERIFY(seen);
      QCOMPARE(picked, std::optional<std::string>(dlg->lister().currentFolder()));
    }
  }

  void aFolderThatCannotBeEnteredRaisesBeforeShowing() {
    QTimer guard;  // closes the dialog should it open by mistake
    connect(&guard, &QTimer::timeout, dlg.get(), &QDialog::reject);
    guard.start(500);
    bool raised = false;
    try {
      dlg->pick(FolderPickerFor::Scripts, home.path() + "/not-yet", "");
    } catch (const Error& e) {
      raised = e.message() == "File not found";
    }
    QVERIFY(raised);
    QVERIFY(!dlg->isVisible());
  }

  void singleClickHighlightsDoubleClickAndEnterWalk() {
    whenShown([&](QWidget*) {
      QListWidget* list = child<QListWidget>(dlg, objectNames::kDirectoryListBox1);
      const int alpha = rowOf(list, "alpha");
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                        list->visualItemRect(list->item(alpha)).center());
      QCOMPARE(list->currentRow(), alpha);
      QCOMPARE(dlg->lister().currentFolder(), clips());

      // Enter walks into the highlighted line and leaves the picker open.
      list->setFocus();
      QTest::keyClick(list, Qt::Key_Return);
      QVERIFY(dlg->isVisible());
      QCOMPARE(dlg->lister().currentFolder(), clips() + "/alpha");

      // A double-click on the line above goes back up.
      const int up = rowOf(list, "clips");
      const QPoint at = list->visualItemRect(list->item(up)).center();
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
      QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
      QCOMPARE(dlg->lister().currentFolder(), clips());

      // Highlighted but not opened: OK gives the folder shown.
      list->setCurrentRow(rowOf(list, "Beta"));
      child<QPushButton>(dlg, objectNames::kOKBtn)->setFocus();
      QTest::keyClick(child<QPushButton>(dlg, objectNames::kOKBtn), Qt::Key_Return);
    });
    QCOMPARE(dlg->pick(FolderPickerFor::Clips, clips(), ""), std::optional<std::string>(clips()));
  }

  void cancelEscapeAndCloseBoxGiveNothing() {
    const std::vector<std::function<void()>> closers{
        [&] { child<QPushButton>(dlg, objectNames::kCancelBtn)->click(); },
        [&] {
          QTest::keyClick(child<QListWidget>(dlg, objectNames::kDirectoryListBox1), Qt::Key_Escape);
        },
        [&] { dlg->close(); },
    };
    for (const auto& closeIt : closers) {
      whenShown([&](QWidget*) {
        child<QListWidget>(dlg, objectNames::kDirectoryListBox1)->setFocus();
        QTest::keyClick(child<QListWidget>(dlg, objectNames::kDirectoryListBox1), Qt::Key_End);
        QTest::keyClick(child<QListWidget>(dlg, objectNames::kDirectoryListBox1),
                        Qt::Key_Enter);  // walked to "Beta"
        QCOMPARE(dlg->lister().currentFolder(), clips() + "/Beta");
        closeIt();
      });
      QCOMPARE(dlg->pick(FolderPickerFor::Clips, clips(), ""), std::nullopt);
    }
  }

  void aDriveThatCannotBeEnteredPutsTheSelectorBack() {
    drives.list.push_back({home.path() + "/gone", "", DriveKind::Network});
    whenShown([&](QWidget*) {
      QComboBox* combo = child<QComboBox>(dlg, objectNames::kDriveComboBox1);
      QCOMPARE(combo->count(), 3);
      combo->setCurrentIndex(2);
      emit combo->activated(2);
      QCOMPARE(errors, std::vector<std::string>{"File not found."});
      QCOMPARE(combo->currentIndex(), 1);
      QCOMPARE(dlg->lister().currentFolder(), clips());
      child<QPushButton>(dlg, objectNames::kCancelBtn)->click();
    });
    dlg->pick(FolderPickerFor::Clips, clips(), "");
  }

  void newFolderIsMadeEnteredAndItsNameKept() {
    struct Case {
      QString name;
      std::string expected;  // the folder shown afterwards, relative to clips()
      std::vector<std::string> errors;
    };
    const Case cases[] = {
        {"Clips 2", "/Clips 2", {}},
        {"new*", "", {}},
        {"missing/inner", "", {"File not found."}},
    };
    for (const Case& c : cases) {
      errors.clear();
      whenShown([&](QWidget*) {
        whenShown([&](QWidget* asked) {
          QCOMPARE(asked, newDlg.get());
          QCOMPARE(newDlg->focusWidget(),
                   child<QLineEdit>(newDlg, objectNames::kNewNameLabeledEdit));
          child<QLineEdit>(newDlg, objectNames::kNewNameLabeledEdit)->setText(c.name);
          QTest::keyClick(child<QLineEdit>(newDlg, objectNames::kNewNameLabeledEdit),
                          Qt::Key_Return);
        });
        child<QPushButton>(dlg, objectNames::kNewFolderButton)->click();
        QCOMPARE(dlg->lister().currentFolder(), clips() + c.expected);
        QVERIFY(dlg->isVisible());
        child<QPushButton>(dlg, objectNames::kOKBtn)->click();
      });
      QCOMPARE(dlg->pick(FolderPickerFor::Scripts, clips(), ""),
               std::optional<std::string>(clips() + c.expected));
      QCOMPARE(errors, c.errors);
    }
    QVERIFY(fs::is_directory(clips() + "/Clips 2"));
    QVERIFY(!fs::exists(clips() + "/new*"));

    // Shown again: the last name is still there; an empty one keeps the
    // dialog open; Cancel makes nothing.
    whenShown([&](QWidget*) {
      whenShown([&](QWidget*) {
        QCOMPARE(child<QLineEdit>(newDlg, objectNames::kNewNameLabeledEdit)->text(),
                 QString("missing/inner"));
        child<QLineEdit>(newDlg, objectNames::kNewNameLabeledEdit)->clear();
        child<QPushButton>(newDlg, objectNames::kOKBtn)->click();
        QVERIFY(newDlg->isVisible());
        QCOMPARE(newDlg->focusWidget(), child<QLineEdit>(newDlg, objectNames::kNewNameLabeledEdit));
        child<QLineEdit>(newDlg, objectNames::kNewNameLabeledEdit)->setText("unused");
        child<QPushButton>(newDlg, objectNames::kCancelBtn)->click();
      });
      child<QPushButton>(dlg, objectNames::kNewFolderButton)->click();
      child<QPushButton>(dlg, objectNames::kCancelBtn)->click();
    });
    QCOMPARE(dlg->pick(FolderPickerFor::Scripts, clips(), ""), std::nullopt);
    QVERIFY(!fs::exists(clips() + "/unused"));
  }
};

QTEST_MAIN(FolderPickerDialogTest)
#include "folder_picker_dialog_test.moc"
