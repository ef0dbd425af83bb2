// SPDX-License-Identifier: GPL-3.0-or-later
// Templates, settings files and flags on a real Windows file system: byte
// for byte, regular files only, nothing lost to a refused replacement, and
// the errors by their Windows numbers.
#include "core/windows_api.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "core/error.h"
#include "core/utf8_path.h"
#include "core/win32_file.h"
#include "persist/persist_files.h"
#include "support/error_message.h"
#include "support/temp_dir.h"

namespace clipquill {
namespace {

using testing::errorMessage;
using testing::listFolder;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

class Win32PersistFilesTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::unique_ptr<PersistFiles> files = makeSystemPersistFiles();
  std::string path(const std::string& name) const { return dir.path() + "\\" + name; }
};

TEST_F(Win32PersistFilesTest, WritesAndReadsByteForByte) {
  const std::string bytes(
      "a\r\nb\n\0\xFF\xFE\x1A"
      "end",
      12);
  const std::string name = path("caf\xC3\xA9.qtpl");
  files->write(name, bytes);
  EXPECT_EQ(files->read(name), bytes);
  EXPECT_EQ(readFile(name), bytes);
  files->write(name, "shorter");  // a replacement
  EXPECT_EQ(files->read(name), "shorter");
  EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"caf\xC3\xA9.qtpl"});
  EXPECT_TRUE(files->isFile(name));
}

TEST_F(Win32PersistFilesTest, OnlyRegularFilesAreRead) {
  writeFile(path("file"), "x");
  std::filesystem::create_directory(pathFromUtf8(path("folder")));
  for (const std::string& p :
       {path("folder"), path("missing"), path("file\\x"), path("missing\\x"), std::string("NUL"),
        std::string("CON"), std::string("\\\\.\\pipe\\clipquill-none")}) {
    EXPECT_EQ(files->read(p), std::nullopt) << p;
    EXPECT_FALSE(files->isFile(p)) << p;
    EXPECT_EQ(files->isFolder(p), p == path("folder")) << p;
  }
  EXPECT_FALSE(files->isFolder(std::string("a\0b", 3)));  // a name no file has
}

TEST_F(Win32PersistFilesTest, AFileAnotherProgramWritesCannotBeRead) {
  writeFile(path("t.qtpl"), "x");
  const std::wstring wide = win32::widePath(path("t.qtpl"));
  {
    // A reader lets others read along.
    const win32::Handle reader(::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(reader.valid());
    EXPECT_EQ(files->read(path("t.qtpl")), "x");
  }
  const win32::Handle writer(::CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(writer.valid());
  EXPECT_EQ(errorMessage([&] { files->read(path("t.qtpl")); }), "I/O error 32");
  EXPECT_EQ(errorMessage([&] { files->write(path("t.qtpl"), "y"); }), "I/O error 32");
}

TEST_F(Win32PersistFilesTest, RefusedWritesKeepTheOldFileAndLeaveNothing) {
  writeFile(path("ro.ini"), "kept");
  const std::wstring readOnly = win32::widePath(path("ro.ini"));
  ASSERT_TRUE(::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  std::filesystem::create_directory(pathFromUtf8(path("folder.ini")));
  const struct {
    std::string path;
    std::string message;
  } cases[] = {
      {path("ro.ini"), "File access denied"},
      {path("folder.ini"), "File access denied"},
      {path("missing\\a.ini"), "Invalid filename"},  // 3: path not found
      {path("a|b.ini"), "Invalid filename"},         // 123
  };
  for (const auto& c : cases) {
    EXPECT_EQ(errorMessage([&] { files->write(c.path, "new"); }), c.message) << c.path;
  }
  EXPECT_EQ(readFile(path("ro.ini")), "kept");
  EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{"folder.ini", "ro.ini"}));
  ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Win32PersistFilesTest, AReplacedFileKeepsItsAttributes) {
  writeFile(path("t.qtpl"), "old");
  const std::wstring wide = win32::widePath(path("t.qtpl"));
  ASSERT_TRUE(::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN));
  files->write(path("t.qtpl"), "new");
  EXPECT_EQ(readFile(path("t.qtpl")), "new");
  EXPECT_NE(::GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

TEST_F(Win32PersistFilesTest, FoldersAndNames) {
  files->makeFolder(path("registry"));
  files->makeFolder(path("registry"));  // there already: fine
  writeFile(path("file"), "x");
  EXPECT_EQ(errorMessage([&] { files->makeFolder(path("file")); }), "Invalid filename");
  EXPECT_EQ(errorMessage([&] { files->makeFolder(path("missing\\sub")); }), "Invalid filename");
  EXPECT_TRUE(files->canWrite(path("registry")));
  EXPECT_FALSE(files->canWrite(path("missing")));
  EXPECT_FALSE(files->canWrite(path("file")));
  auto names = files->names(dir.path());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"file", "registry"}));
  EXPECT_TRUE(files->remove(path("file")));
  EXPECT_FALSE(files->remove(path("file")));
}

}  // namespace
}  // namespace clipquill
