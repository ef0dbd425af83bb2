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

// A script held back for the run's flush is there already for every
// spelling of its name: Windows's names differ not by case, and "B.avs" after
// "b.avs" is asked about instead of failing when both land.
TEST_F(Win32ScriptFilesTest, NamesThatDifferOnlyInCaseAreOneScript) {
  writeFile(path("a.avs"), "old");
  write(files->replace(path("a.avs")), "replaced\r\n");
  write(files->createNew(path("b.avs")), "b\r\n");  // held behind the replacement
  EXPECT_EQ(files->createNew(path("B.AVS")), nullptr);
  EXPECT_EQ(files->createNew(dir.path() + "/b.Avs"), nullptr);
  files->settle();
  EXPECT_EQ(readFile(path("b.avs")), "b\r\n");
  EXPECT_EQ(files->createNew(path("A.avs")), nullptr);  // on the disk now
}

// Scripts land in a folder whose path is beyond MAX_PATH, written with
// either separator and with ".." in it, as the user typed them.
TEST_F(Win32ScriptFilesTest, ScriptsLandBeyondMaxPath) {
  std::string deep = dir.path();
  const std::string part(60, 'd');
  while (deep.size() < 400) {
    deep += "\\" + part;
    ASSERT_TRUE(::CreateDirectoryW(win32::widePath(deep).c_str(), nullptr)) << deep;
  }
  write(files->createNew(deep + "\\a.avs"), "a\r\n");
  write(files->createNew(deep + "/" + part + "/../b.avs"), "b\r\n");
  writeFile(deep + "\\c.avs", "old");
  write(files->replace(deep + "\\c.avs"), "c\r\n");
  files->settle();
  for (const char* name : {"a", "b", "c"}) {
    const win32::Handle h(::CreateFileW(win32::widePath(deep + "\\" + name + ".avs").c_str(),
                                        GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                        nullptr));
    char bytes[8] = {};
    DWORD n = 0;
    ASSERT_TRUE(h.valid()) << name;
    ASSERT_TRUE(::ReadFile(h.get(), bytes, sizeof bytes, &n, nullptr));
    EXPECT_EQ(std::string(bytes, n), std::string(name) + "\r\n");
  }
}

TEST(Win32PathTest, LongPathsTakeTheirFullPrefixedForm) {
  wchar_t cwd[MAX_PATH];
  const DWORD n = ::GetCurrentDirectoryW(MAX_PATH, cwd);
  ASSERT_GT(n, 2u);
  const std::wstring drive(cwd, 2);  // "C:"
  const std::wstring part(100, L'p');
  const std::wstring longRest = part + L"\\" + part + L"\\" + part;
  const struct {
    std::wstring path, form;
  } cases[] = {
      {L"C:\\short", L"C:\\short"},
      {drive + L"\\" + longRest, L"\\\\?\\" + drive + L"\\" + longRest},
      {drive + L"/" + part + L"/" + part + L"/x/../" + part, L"\\\\?\\" + drive + L"\\" + longRest},
      {L"\\\\srv\\share\\" + longRest, L"\\\\?\\UNC\\srv\\share\\" + longRest},
      {L"\\\\?\\" + drive + L"\\" + longRest, L"\\\\?\\" + drive + L"\\" + longRest},
  };
  for (const auto& c : cases)
    EXPECT_EQ(win32::longPathForm(c.path), c.form) << win32::narrow(c.path);
  EXPECT_EQ(win32::sameFileKey(L"c:/Out/\u00e9A.avs"), L"C:\\OUT\\\u00c9A.AVS");
}

}  // namespace
}  // namespace clipquill
