// SPDX-License-Identifier: GPL-3.0-or-later
// Clip folders on a real Windows file system: which entries a clip list may
// show, masks that mean what they mean on Linux (the system's own wild cards
// would also match short names), and the errors by their Windows numbers.
#include "core/windows_api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "clips/clip_list.h"
#include "clips/folders.h"
#include "core/error.h"
#include "core/utf8_path.h"
#include "core/win32_file.h"
#include "support/error_message.h"
#include "support/temp_dir.h"

namespace clipquill {
namespace {

using testing::TempDir;
using testing::writeFile;
using Names = std::vector<std::string>;

Names listed(Folders& folders, const std::string& folder) {
  Names names;
  folders.listFiles(folder, [&](std::string_view name) { names.emplace_back(name); });
  std::sort(names.begin(), names.end());
  return names;
}

std::string errorOf(Folders& folders, const std::string& folder) {
  return testing::errorMessage([&] { listed(folders, folder); }, "no error");
}

TEST(Win32Folders, ListsOrdinaryVisibleFilesByTheirUtf8Names) {
  TempDir dir;
  const std::string d = dir.path() + "\\";
  for (const char* name :
       {"a.avi", "caf\xC3\xA9.avi", "\xE6\x97\xA5\xE6\x9C\xAC.avs", ".dot.avi", "hidden.avi"}) {
    writeFile(d + name, "x");
  }
  ASSERT_TRUE(
      ::SetFileAttributesW(win32::widePath(d + "hidden.avi").c_str(), FILE_ATTRIBUTE_HIDDEN));
  std::filesystem::create_directory(pathFromUtf8(d + "folder.avi"));
  // The folder picker shows neither hidden nor system folders.
  for (const auto& [name, attribute] :
       {std::pair{"Hidden", FILE_ATTRIBUTE_HIDDEN},
        std::pair{"System Volume Information", FILE_ATTRIBUTE_SYSTEM}}) {
    std::filesystem::create_directory(pathFromUtf8(d + name));
    ASSERT_TRUE(::SetFileAttributesW(win32::widePath(d + name).c_str(), attribute)) << name;
  }
  const auto folders = makeSystemFolders();
  EXPECT_EQ(listed(*folders, dir.path()),
            (Names{"a.avi", "caf\xC3\xA9.avi", "\xE6\x97\xA5\xE6\x9C\xAC.avs"}));
  EXPECT_EQ(listed(*folders, d), listed(*folders, dir.path()));
  EXPECT_EQ(folders->kind(d + "folder.avi"), PathKind::Folder);
  EXPECT_EQ(folders->kind(d + "caf\xC3\xA9.avi"), PathKind::File);
  EXPECT_EQ(folders->kind(d + "gone"), PathKind::Missing);
  Names subfolders;
  folders->listSubfolders(dir.path(),
                          [&](std::string_view name) { subfolders.emplace_back(name); });
  EXPECT_EQ(subfolders, Names{"folder.avi"});
  EXPECT_EQ(folders->makeFolder(d + "made"), 0);
  EXPECT_EQ(folders->makeFolder(d + "made"), EEXIST);
  EXPECT_EQ(folders->kind(d + "made"), PathKind::Folder);
}

TEST(Win32Folders, MasksMatchTheLongNamesOnly) {
  TempDir dir;
  // Each of these has a short name ending in ".AVS" where the volume makes
  // short names, which the system's "*.avs" would match.
  for (const char* name : {"TAKE.AVS", "long clip name.avsx", "clip.avs.bak", "x.avs"}) {
    writeFile(dir.path() + "\\" + name, "x");
  }
  const auto folders = makeSystemFolders();
  ClipList list(*folders);
  list.setFolder(dir.path());
  list.setMask("*.avs");
  EXPECT_EQ(list.entries(), (Names{"TAKE.AVS", "x.avs"}));
}

TEST(Win32Folders, ReportsFoldersThatCannotBeReadByTheirWindowsNumbers) {
  TempDir dir;
  writeFile(dir.path() + "\\file", "x");
  const auto folders = makeSystemFolders();
  const struct {
    std::string folder;
    std::string message;
  } cases[] = {
      {dir.path() + "\\missing", "File not found"},            // 2
      {dir.path() + "\\missing\\deeper", "Invalid filename"},  // 3: path not found
      {dir.path() + "\\file", "Invalid filename"},             // 267: a file, not a folder
      {dir.path() + "\\a<b", "Invalid filename"},              // 123
      {dir.path() + std::string("\\x\0y", 4), "Invalid filename"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(errorOf(*folders, c.folder), c.message) << c.folder;
    EXPECT_EQ(
        [&] {
          try {
            folders->checkFolder(c.folder);
          } catch (const Error& e) {
            return e.message();
          }
          return std::string("no error");
        }(),
        c.message)
        << c.folder;
  }
}

}  // namespace
}  // namespace clipquill
