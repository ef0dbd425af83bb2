// SPDX-License-Identifier: GPL-3.0-or-later
// Scripts on a real Windows file system: what lands and what never does,
// the errors by their Windows numbers, and what another program's hold on a
// file, a read-only file or a killed run's temporary make of a run.
#include "core/windows_api.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "core/error.h"
#include "core/script_files.h"
#include "core/utf8_path.h"
#include "core/win32_file.h"
#include "support/error_message.h"
#include "support/temp_dir.h"

namespace clipquill {
namespace {

using testing::errorMessage;
using testing::listFolder;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

class Win32ScriptFilesTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::unique_ptr<ScriptFiles> files = makeSystemScriptFiles();
  std::string path(const std::string& name) const { return dir.path() + "\\" + name; }

  void write(std::unique_ptr<ScriptWriter> writer, const std::string& bytes) {
    ASSERT_NE(writer, nullptr);
    writer->write(bytes);
    writer->commit([] {});
  }
};

TEST_F(Win32ScriptFilesTest, ANewScriptLandsWholeOrNotAtAll) {
  write(files->createNew(path("a.avs")), "one\r\n");
  // Through "/" and a name beyond the ANSI code page alike.
  write(files->createNew(dir.path() + "/\xE6\x97\xA5\xE6\x9C\xAC.avs"), "two\r\n");
  {
    auto dropped = files->createNew(path("dropped.avs"));
    dropped->write("never committed");
  }
  files->settle();
  EXPECT_EQ(readFile(path("a.avs")), "one\r\n");
  EXPECT_EQ(readFile(path("\xE6\x97\xA5\xE6\x9C\xAC.avs")), "two\r\n");
  EXPECT_EQ(listFolder(dir.path()),
            (std::vector<std::string>{"a.avs", "\xE6\x97\xA5\xE6\x9C\xAC.avs"}));
  // A file there is left for the caller to ask about.
  EXPECT_EQ(files->createNew(path("a.avs")), nullptr);
}

TEST_F(Win32ScriptFilesTest, FailuresShowTheirWindowsNumbers) {
  std::filesystem::create_directory(pathFromUtf8(path("folder.avs")));
  writeFile(path("file"), "x");
  const struct {
    std::string path;
    std::string message;
  } cases[] = {
      {path("folder.avs"), "File access denied"},    // 5: a folder in the way
      {path("missing\\a.avs"), "Invalid filename"},  // 3: path not found
      {path("file\\a.avs"), "Invalid filename"},     // a file where a folder is named
      {path("a<b.avs"), "Invalid filename"},         // 123
      {path(std::string("a\0b.avs", 7)), "Invalid filename"},
      {path("\xC3(.avs"), "Invalid filename"},  // not UTF-8: names no file
  };
  for (const auto& c : cases) {
    EXPECT_EQ(errorMessage([&] { files->createNew(c.path); }), c.message) << c.path;
  }
  EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{"file", "folder.avs"}));
}

TEST_F(Win32ScriptFilesTest, AReplacementLandsOnlyOnceTheRunSettles) {
  writeFile(path("a.avs"), "old");
  auto writer = files->replace(path("a.avs"));
  writer->write("new\r\n");
  bool landed = false;
  writer->commit([&] { landed = true; });
  EXPECT_EQ(readFile(path("a.avs")), "old");  // held back for the run's one flush
  files->settle();
  EXPECT_TRUE(landed);
  EXPECT_EQ(readFile(path("a.avs")), "new\r\n");
  EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"a.avs"});
}

TEST_F(Win32ScriptFilesTest, AFileThatMayNotBeWrittenIsNotReplaced) {
  writeFile(path("ro.avs"), "kept");
  ASSERT_TRUE(
      ::SetFileAttributesW(win32::widePath(path("ro.avs")).c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(errorMessage([&] { files->replace(path("ro.avs")); }), "File access denied");

  writeFile(path("held.avs"), "kept");
  // Another program holds the file open and lets nobody write it.
  const win32::Handle held(::CreateFileW(win32::widePath(path("held.avs")).c_str(), GENERIC_READ,
                                         FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held.valid());
  EXPECT_EQ(errorMessage([&] { files->replace(path("held.avs")); }), "I/O error 32");
  files->settle();
  EXPECT_EQ(readFile(path("ro.avs")), "kept");
  EXPECT_EQ(readFile(path("held.avs")), "kept");
  ::SetFileAttributesW(win32::widePath(path("ro.avs")).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Win32ScriptFilesTest, AKilledRunsTemporariesGoWithTheNextReplacement) {
  const std::string dead = ".clipquill-4000000000-0.tmp";  // no such process
  const std::string alive = ".clipquill-" + std::to_string(::GetCurrentProcessId()) + "-999.tmp";
  const std::string other = ".clipquill-x-1.tmp";  // not of the program's form
  for (const std::string& name : {dead, alive, other})
    writeFile(path(name), "left");
  writeFile(path("a.avs"), "old");
  write(files->replace(path("a.avs")), "new");
  files->settle();
  EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{alive, other, "a.avs"}));
}

}  // namespace
}  // namespace clipquill
