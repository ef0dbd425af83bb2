// SPDX-License-Identifier: GPL-3.0-or-later
// The fixture the main window's feature tests share (main_window_fixture.h).
#include "main_window_fixture.h"

#include <QStandardPaths>
#include <filesystem>

namespace clipquill::testing {

namespace {

template <class Choice>
std::optional<Choice> next(std::deque<std::optional<Choice>>& queue) {
  if (queue.empty()) return std::nullopt;
  auto choice = queue.front();
  queue.pop_front();
  return choice;
}

}  // namespace

Answer ScriptedBoxes::ask(QWidget*, MessageKind kind, Buttons buttons, const QString& text) {
  asked.push_back({kind, buttons, text});
  if (whileAsked) whileAsked();
  if (answers.empty()) return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
  const Answer a = answers.front();
  answers.pop_front();
  return a;
}

void ScriptedBoxes::error(QWidget*, const QString& caption, const QString& text) {
  errors.push_back(caption + ": " + text);
}

std::optional<FileChoice> ScriptedFileDialogs::open(QWidget*, int, const std::string& folder) {
  folders.push_back(folder);
  return next(opens);
}

std::optional<FileChoice> ScriptedFileDialogs::save(QWidget*, std::string_view, int,
                                                    const std::string& folder) {
  folders.push_back(folder);
  return next(saves);
}

std::optional<std::string> ScriptedFileDialogs::library(QWidget*, std::string_view) {
  return next(libraries);
}

std::optional<std::string> RecordingDialogs::pickFolder(FolderPickerFor which, std::string_view,
                                                        std::string_view) {
  picked.push_back(which);
  return pickAnswer;
}

std::optional<std::vector<std::string>> RecordingDialogs::editFilters(
    const std::vector<std::string>&) {
  return filterAnswer;
}

void RecordingDialogs::openMenuDialog(StartupWindow window) {
  ++(window == StartupWindow::Using ? usingShown : aboutShown);
}

void MainWindowFixture::start(std::vector<std::string> args) {
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

void MainWindowFixture::startOnHall() {
  writeFile(path("Hall.qtpl"), "AVISource(\"<P><F>\")\r\n");
  writeFile(path("Hall.ini"), "[Entries]\r\nClipLoc=" + path("clips") +
                                  "\r\nScriptDest=" + path("out") +
                                  "\r\n[FilterBy]\r\nExt0=avi\r\nExt1=mpg\r\n"
                                  "[FilterState]\r\nExt0State=1\r\n");
  start({path("Hall.qtpl")});
}

void MainWindowFixture::initTestCase() {
  QStandardPaths::setTestModeEnabled(true);
}

void MainWindowFixture::init() {
  dir = std::make_unique<TempDir>();
  for (const char* sub : {"app", "home", "clips", "out", "cfg"})
    std::filesystem::create_directory(path(sub));
  for (const char* clip : {"b.avi", "a.avi", "c.mpg", "d.avi"})
    writeFile(path("clips/") + clip, "");
  boxes = {};
  fileDialogs = {};
  dialogs = {};
}

void MainWindowFixture::cleanup() {
  if (form) form->setAttribute(Qt::WA_DeleteOnClose, false);
  form.reset();
  dir.reset();
}

}  // namespace clipquill::testing
