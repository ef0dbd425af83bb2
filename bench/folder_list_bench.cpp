// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the folder picker on a folder of 10,000 subfolders, set against the
// floor for reading that folder.
//
// One round of the picker's model is one opening: a fresh FolderLister enters
// the folder through the system's Folders, leaves hidden names out,
// sorts the subfolders without regard to case and builds the list's lines,
// each with the path it opens. The floor reads the same folder with
// opendir/readdir, keeps the entries that d_type calls folders (none of them
// hidden) and copies each name into a vector; no opening can do with less.
// With the window built, a second measure times the whole picker opened on
// Qt's offscreen platform (drives gathered, list filled, dialog shown and
// closed by a timer) against the same floor.
//
// The folder is made before the clock starts, with names in mixed case. Both
// sides must count the same folders; the program fails otherwise. The rounds
// alternate which side goes first; the last line printed is "ratio <program
// median / floor median>" for the last measure.
//
// Usage: bench_folder_list [folders [rounds]]
#include <dirent.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "bench/bench_support.h"
#include "ui/platform/folder_lister.h"

#ifdef CLIPQUILL_BENCH_QT
#include <QApplication>
#include <QListWidget>
#include <QTimer>

#include "tests/support/named_child.h"
#include "ui/folder_picker_dialog.h"
#include "ui/object_names.h"
#endif

namespace {

namespace support = clipquill::bench;
using support::Clock;
using support::die;
using support::msSince;

std::vector<std::string> floorList(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) support::dieErrno("cannot open " + folder);
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] != '.' && entry->d_type == DT_DIR) names.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  return names;
}

}  // namespace

int main(int argc, char** argv) {
  support::programName = "bench_folder_list";
  const std::size_t count =
      support::countArgument(argc, argv, 1, support::byRun(10000, 2000), "number of folders");
  const std::size_t rounds =
      support::countArgument(argc, argv, 2, support::byRun(15, 5), "number of rounds");

  const std::string root = support::makeScratchFolder();
  const std::string folder = root + "/many";
  support::makeFolder(folder);
  for (std::size_t i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, i % 3 == 0 ? "Take %05zu" : "take %05zu", (i * 7919) % count);
    support::makeFolder(folder + "/" + name + (i % 2 == 0 ? "" : "b"));
  }

  std::unique_ptr<clipquill::Folders> folders = clipquill::makeSystemFolders();
  std::size_t floorCount = 0;
  std::size_t modelCount = 0;
  const auto floorRound = [&] {
    const Clock::time_point start = Clock::now();
    floorCount = floorList(folder).size();
    return msSince(start);
  };
  const support::Rounds model = support::alternate(rounds, floorRound, [&] {
    const Clock::time_point start = Clock::now();
    clipquill::FolderLister lister(*folders, root);
    lister.openOn(folder, "");
    modelCount = lister.lines().size() - lister.currentLine() - 1;
    return msSince(start);
  });
  if (floorCount != count || modelCount != count) {
    die("folders counted: floor " + std::to_string(floorCount) + ", picker " +
        std::to_string(modelCount) + ", made " + std::to_string(count));
  }
  std::printf("folder picker opening: %zu subfolders under %s\n", count, folder.c_str());
  std::printf(
      "floor: opendir/readdir, d_type, copies, no sort; clipquill: FolderLister::openOn on a "
      "fresh lister, caseless sort and lines included\n");
  support::report(model, count, "folder");

#ifdef CLIPQUILL_BENCH_QT
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  clipquill::FolderPickerDialog dialog(root);
  auto* folderList =
      clipquill::testing::child<QListWidget>(&dialog, clipquill::objectNames::kDirectoryListBox1);
  std::size_t shownCount = 0;
  const support::Rounds window = support::alternate(rounds, floorRound, [&] {
    const Clock::time_point start = Clock::now();
    QTimer::singleShot(0, &dialog, [&] {
      shownCount = static_cast<std::size_t>(folderList->count());
      dialog.reject();
    });
    dialog.pick(clipquill::FolderPickerFor::Clips, folder, "");
    return msSince(start);
  });
  if (shownCount < count) die("the window listed " + std::to_string(shownCount) + " lines");
  std::printf("\nthe whole picker opened offscreen (drives, list filled, shown, closed)\n");
  support::report(window, count, "folder");
#endif

  std::error_code ec;
  std::filesystem::remove_all(root, ec);
  if (ec) die("cannot remove " + root + ": " + ec.message());
  support::scratchFolder.clear();
  return 0;
}
