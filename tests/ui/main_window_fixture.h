// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's tests' fixture: a window on a folder of its own, its
// questions and dialogs answered from a script through the window's seams.
// Each feature's tests are a program of their own over this fixture.
#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <QtTest>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/named_child.h"
#include "support/qt_bytes.h"
#include "support/temp_dir.h"
#include "ui/main_window.h"
#include "ui/object_names.h"

namespace clipquill::testing {

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
  // Run on the window's thread as each question is asked, before it is
  // answered: a run writing on its own thread waits for it there.
  std::function<void()> whileAsked;
  Answer ask(QWidget*, MessageKind kind, Buttons buttons, const QString& text) override;
  void error(QWidget*, const QString& caption, const QString& text) override;
};

class ScriptedFileDialogs : public FileDialogs {
 public:
  std::deque<std::optional<FileChoice>> opens, saves;
  std::vector<std::string> folders;  // where each dialog started
  std::deque<std::optional<std::string>> libraries;
  std::optional<FileChoice> open(QWidget*, int, const std::string& folder) override;
  std::optional<FileChoice> save(QWidget*, std::string_view, int,
                                 const std::string& folder) override;
  std::optional<std::string> library(QWidget*, std::string_view) override;
};

class RecordingDialogs : public Dialogs {
 public:
  std::vector<FolderPickerFor> picked;
  std::optional<std::string> pickAnswer;
  std::optional<std::vector<std::string>> filterAnswer;
  int usingShown = 0, aboutShown = 0;
  std::optional<std::string> pickFolder(FolderPickerFor which, std::string_view,
                                        std::string_view) override;
  std::optional<std::vector<std::string>> editFilters(const std::vector<std::string>&) override;
  void openMenuDialog(StartupWindow window) override;
};

// Every test starts with a fresh folder holding "app", "home", "clips" (four
// clips: three .avi, one .mpg), "out" and "cfg", and fresh answers.
class MainWindowFixture : public QObject {
  Q_OBJECT

 public slots:
  // Stands in for the desktop's file manager.
  void openUrl(const QUrl& url) { opened.push_back(url); }

 protected:
  std::vector<QUrl> opened;
  std::unique_ptr<TempDir> dir;
  ScriptedBoxes boxes;
  ScriptedFileDialogs fileDialogs;
  RecordingDialogs dialogs;
  std::unique_ptr<MainWindow> form;

  std::string path(const std::string& rel) const { return dir->path() + "/" + rel; }

  // A window started with args as its command line.
  void start(std::vector<std::string> args = {});
  // A window started on a template with a settings file: the clips folder
  // listed through the "avi" entry, checked.
  void startOnHall();

 private slots:
  // Whatever Qt itself keeps goes to its test folder, not the user's.
  void initTestCase();
  void init();
  void cleanup();
};

// The program of one feature's tests.
template <class Test>
int runWindowTests(int argc, char** argv) {
  QApplication app(argc, argv);
  Test test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace clipquill::testing
