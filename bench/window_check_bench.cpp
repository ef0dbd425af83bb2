// SPDX-License-Identifier: GPL-3.0-or-later
// The window's check of a big batch with AviSynth+, set against its floor:
// the command line's --check-only over the very same scripts, as a process.
// Both check through the same helper with the same library, so what the
// window spends beyond the floor is its own: taking each result on its
// thread, marking the created-scripts list and summing up. The window's
// figure runs from the end of "Create Script(s)" to the check's summary.
//
// The library is the one the build was configured with, else the test
// stand-in beside this program's build (which passes every script at once,
// so that the window's own cost stands out).
//
// Usage: bench_window_check [scripts [rounds [libavisynth.so]]]
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/created_script_checks.h"
#include "bench/bench_support.h"
#include "bench/window_bench_support.h"
#include "persist/check_settings.h"
#include "persist/folder_registry.h"
#include "persist/persist_files.h"
#include "tests/support/named_child.h"
#include "ui/main_window.h"
#include "ui/object_names.h"

#ifndef CLIPQUILL_AVISYNTH_LIBRARY
#define CLIPQUILL_AVISYNTH_LIBRARY ""
#endif

extern char** environ;

namespace {

namespace support = clipquill::bench;
using clipquill::testing::child;
using support::Clock;
using support::die;
using support::msSince;

// clipquill-cli --check-only over paths, its output thrown away; the ms it took.
double checkOnly(const std::string& library, const std::string& folder,
                 const std::vector<std::string>& names) {
  std::vector<std::string> args{CLIPQUILL_CLI_BINARY, "--check-only", "--avisynth", library};
  args.insert(args.end(), names.begin(), names.end());
  std::vector<char*> argv;
  for (std::string& arg : args)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  const auto start = Clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
    support::dieErrno("cannot start the command line");
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) die("the command line crashed");
  const double ms = msSince(start);
  // 0: all good; 4: some failed (a real library without source plugins).
  if (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 4) die("the check was not available");
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  support::programName = "bench_window_check";
  const std::size_t count =
      support::countArgument(argc, argv, 1, support::byRun(3000, 600), "number of scripts");
  const std::size_t rounds =
      support::countArgument(argc, argv, 2, support::byRun(3, 2), "number of rounds");
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtWarningMsg && message.contains(QStringLiteral("propagateSizeHints"))) return;
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
  });
  QApplication app(argc, argv);

  std::string library = argc > 3 ? argv[3] : CLIPQUILL_AVISYNTH_LIBRARY;
  if (library.empty()) library = CLIPQUILL_FAKE_AVISYNTH;
  const std::string root = support::makeScratchFolder();
  for (const char* sub : {"/home", "/bin", "/clips", "/out"})
    support::makeFolder(root + sub);
  // The window's helper is the command line beside it.
  if (::symlink(CLIPQUILL_CLI_BINARY, (root + "/bin/clipquill-cli").c_str()) != 0)
    support::dieErrno("cannot place the helper");
  std::vector<std::string> names;
  for (std::size_t i = 1; i <= count; ++i) {
    support::floorWriteFile(root + "/clips/Episode " + std::to_string(i) + ".avi", "");
    names.push_back("Episode " + std::to_string(i) + ".avs");
  }
  support::floorWriteFile(root + "/t.qtpl", "AVISource(\"<P><F>\")\r\nConvertToYV12()\r\n");
  support::floorWriteFile(root + "/t.ini",
                          "[Entries]\r\nClipLoc=" + root + "/clips\r\nScriptDest=" + root +
                              "/out\r\n[FilterBy]\r\nExt0=avi\r\n[FilterState]\r\nExt0State=1\r\n");
  auto files = clipquill::makeSystemPersistFiles();
  clipquill::FolderRegistry registry(*files, root + "/registry");
  if (!clipquill::writeCheckSettings(registry, "Clipquill", {library, 10}))
    die("cannot store the check's options");
  // The floor's scripts, before its first round.
  for (const std::string& name : names)
    support::floorWriteFile(root + "/out/" + name, "AVISource(\"x.avi\")\r\n");

  support::QuietBoxes boxes;
  const auto window = [&] {
    for (const std::string& name : names)
      std::filesystem::remove(root + "/out/" + name);
    clipquill::MainWindow form(clipquill::MainWindowSetup{
        .startup = {.executablePath = root + "/bin/clipquill",
                    .args = {root + "/t.qtpl"},
                    .homeFolder = root + "/home"},
        .registryRoot = root + "/registry",
        .boxes = &boxes,
    });
    form.show();
    support::settle();
    child<QPushButton>(&form, clipquill::objectNames::kSelectAllButton)->click();
    child<QPushButton>(&form, clipquill::objectNames::kCreateScriptsButton)->click();
    if (form.model().createdScripts().size() != count + 1) die("the window wrote too few");
    const auto start = Clock::now();
    const clipquill::CreatedScriptChecks& checks = form.scriptChecks();
    while (!checks.finished()) {
      if (checks.unavailable()) die("AviSynth+ is not available: " + checks.status());
      QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return msSince(start);
  };
  const auto measured = support::alternate(
      rounds, [&] { return checkOnly(library, root + "/out", names); }, window);
  std::printf("\n== the window's check of %zu scripts (floor: clipquill-cli --check-only)\n",
              count);
  std::printf("library %s\n", library.c_str());
  support::report(measured, count, "script");

  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
  support::scratchFolder.clear();
  return 0;
}
