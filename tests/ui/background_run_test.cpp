// SPDX-License-Identifier: GPL-3.0-or-later
// "Create Script(s)" writing off the window's thread: the window takes keys
// and a close while the run writes, the run writes what it started with, and
// a second run cannot start meanwhile. The run is held mid-way by the
// question before it replaces a script, which its thread waits on.
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>
#include <filesystem>
#include <functional>

#include "support/named_child.h"
#include "support/temp_dir.h"
#include "ui/main_window.h"
#include "ui/object_names.h"

using namespace clipquill;
using clipquill::testing::child;
using clipquill::testing::readFile;
using clipquill::testing::TempDir;
using clipquill::testing::writeFile;

namespace {

// Answers each question with what duringQuestion returns, run on the
// window's thread while the run's thread waits.
class HoldingBoxes : public MessageBoxes {
 public:
  std::function<Answer()> duringQuestion;
  Answer ask(QWidget*, MessageKind, Buttons, const QString&) override {
    return duringQuestion ? duringQuestion() : Answer::Cancel;
  }
  void error(QWidget*, const QString&, const QString&) override {}
};

}  // namespace

class BackgroundRunTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempDir> dir;
  HoldingBoxes boxes;
  std::unique_ptr<MainWindow> form;

  std::string path(const std::string& rel) const { return dir->path() + "/" + rel; }
  QPushButton* createButton() {
    return child<QPushButton>(form.get(), objectNames::kCreateScriptsButton);
  }

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void init() {
    dir = std::make_unique<TempDir>();
    for (const char* sub : {"app", "home", "clips", "out", "cfg"})
      std::filesystem::create_directory(path(sub));
    for (const char* clip : {"a.avi", "b.avi", "c.avi", "d.avi"})
      writeFile(path("clips/") + clip, "");
    // c's script is there from an earlier run: the run stops to ask.
    writeFile(path("out/c.avs"), "earlier");
    writeFile(path("Hall.qtpl"), "AVISource(\"<P><F>\")\r\n");
    writeFile(path("Hall.ini"), "[Entries]\r\nClipLoc=" + path("clips") +
                                    "\r\nScriptDest=" + path("out") +
                                    "\r\n[FilterBy]\r\nExt0=avi\r\n[FilterState]\r\n"
                                    "Ext0State=1\r\n");
    boxes = {};
    form = std::make_unique<MainWindow>(MainWindowSetup{
        .startup = {.executablePath = path("app/clipquill"),
                    .args = {path("Hall.qtpl")},
                    .homeFolder = path("home"),
                    .userFolder = path("home/.config/Clipquill")},
        .registryRoot = path("registry"),
        .boxes = &boxes,
        .userConfig = userConfigPlace(path("cfg").c_str(), nullptr),
    });
    form->setProgressDelay(0);
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    QTest::mouseClick(child<QPushButton>(form.get(), objectNames::kSelectAllButton),
                      Qt::LeftButton);
  }
  void cleanup() {
    form.reset();
    dir.reset();
  }

  void theWindowTakesKeysWhileTheRunWrites() {
    auto* dest = child<QLineEdit>(form.get(), objectNames::kDestLabeledEdit);
    bool asked = false, bWritten = false, modal = true, secondRunOffered = true;
    boxes.duringQuestion = [&] {
      asked = true;
      bWritten = std::filesystem::exists(path("out/b.avs"));
      auto* progress = form->findChild<QProgressDialog*>(objectNames::kCreateScriptsProgress);
      modal = progress && progress->windowModality() != Qt::NonModal;
      secondRunOffered = createButton()->isEnabled();
      dest->setFocus();
      dest->selectAll();
      QTest::keyClicks(dest, QString::fromStdString(path("elsewhere")));
      return Answer::Ok;
    };
    QTest::mouseClick(createButton(), Qt::LeftButton);
    // Mid-run: a and b written, the progress not modal, no second run.
    QVERIFY(asked);
    QVERIFY(bWritten);
    QVERIFY(!modal);
    QVERIFY(!secondRunOffered);
    QCOMPARE(dest->text(), QString::fromStdString(path("elsewhere")));
    // The run wrote where it started to write, and all of it.
    QCOMPARE(readFile(path("out/c.avs")), "AVISource(\"" + path("clips/c.avi") + "\")\r\n");
    QVERIFY(std::filesystem::exists(path("out/d.avs")));
    QVERIFY(!std::filesystem::exists(path("elsewhere")));
    QVERIFY(createButton()->isEnabled());
  }

  // Escape closes the progress without its Cancel button; it stops the run
  // all the same, before the next script.
  void escapeOnTheProgressStopsTheRun() {
    boxes.duringQuestion = [&] {
      if (auto* progress = form->findChild<QProgressDialog*>(objectNames::kCreateScriptsProgress))
        QTest::keyClick(progress, Qt::Key_Escape);
      return Answer::Ok;
    };
    QTest::mouseClick(createButton(), Qt::LeftButton);
    QVERIFY(std::filesystem::exists(path("out/b.avs")));
    QVERIFY(!std::filesystem::exists(path("out/d.avs")));
  }

  void closingTheWindowStopsTheRunThenCloses() {
    bool shownAfterClose = false;
    boxes.duringQuestion = [&] {
      form->close();
      // Not yet: the run is still writing, and stops before its next script.
      shownAfterClose = form->isVisible();
      return Answer::Ok;
    };
    QTest::mouseClick(createButton(), Qt::LeftButton);
    QVERIFY(shownAfterClose);
    QVERIFY(!std::filesystem::exists(path("out/d.avs")));
    QTRY_VERIFY(!form->isVisible());
  }
};

QTEST_MAIN(BackgroundRunTest)
#include "background_run_test.moc"
