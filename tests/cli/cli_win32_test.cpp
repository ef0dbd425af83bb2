// SPDX-License-Identifier: GPL-3.0-or-later
// The command line on Windows paths, in-process: drive letters and "\" read
// against the working folder, scripts that name their clips with "\", the
// flags in the registry, and errors by their Windows numbers.
#include "core/windows_api.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/cli.h"
#include "core/utf8_path.h"
#include "support/temp_dir.h"

namespace clipquill::cli {
namespace {

using clipquill::testing::readFile;
using clipquill::testing::TempDir;
using clipquill::testing::writeFile;

struct Result {
  int status;
  std::string out;
  std::string err;
};

class CliWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"bin", "clips", "out"})
      std::filesystem::create_directory(pathFromUtf8(at(folder)));
    for (const char* clip : {"a.avi", "caf\xC3\xA9.avi"})
      writeFile(at("clips\\") + clip, "");
    writeFile(at(stem_ + ".qtpl"), "AviSource(\"<P><F>\")\r\n");
  }
  void TearDown() override {
    const std::wstring key = L"Software\\Clipquill\\" + std::wstring(stem_.begin(), stem_.end());
    for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
      ::RegDeleteTreeW(hive, key.c_str());
  }

  std::string at(const std::string& relative) const { return tmp_.path() + "\\" + relative; }

  Result run(std::vector<std::string> args) {
    const CliEnvironment env{
        .executablePath = at("bin\\clipquill-cli.exe"),
        .workingFolder = tmp_.path(),
        .homeFolder = at("bin"),
        .registryRoot = {},  // the registry itself
    };
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    const int status = runCli(args, in, out, err, env);
    return {status, out.str(), err.str()};
  }

  TempDir tmp_;
  // A template stem of its own, so that its key in the registry is too.
  const std::string stem_ = "cqtest" + std::to_string(::GetCurrentProcessId());
};

TEST_F(CliWin32Test, RelativeAndDrivePathsMeetTheSameFolders) {
  const std::string tpl = stem_ + ".qtpl";
  // The scripts name the clips' folder as the source field holds it, closed
  // with the separator it uses.
  const struct {
    std::string source, folder;
  } rows[] = {
      {"clips", at("clips\\")},
      {at("clips"), at("clips\\")},
      {at("clips") + "\\", at("clips\\")},
      {tmp_.path() + "/clips", tmp_.path() + "/clips/"},
      // Drive-relative: the working folder's drive, and its root. The
      // scripts name the folder in full, for AviSynth reads them from
      // elsewhere.
      {tmp_.path().substr(0, 2) + "clips", at("clips\\")},
      {tmp_.path().substr(2) + "\\clips", at("clips\\")},
      // Names that differ only in case name the same folder.
      {tmp_.path() + "\\CLIPS", tmp_.path() + "\\CLIPS\\"},
  };
  for (const auto& row : rows) {
    std::filesystem::remove_all(pathFromUtf8(at("out")));
    std::filesystem::create_directory(pathFromUtf8(at("out")));
    const Result r = run({"-s", row.source, "-e", "avi", "-d", "out", "-y", tpl});
    ASSERT_EQ(r.status, kExitDone) << row.source << ": " << r.err;
    EXPECT_EQ(readFile(at("out\\a.avs")), "AviSource(\"" + row.folder + "a.avi\")\r\n");
    // A template of plain ASCII is in the system's code page, as AviSynth+
    // reads it: the name goes in in that code page (1252 in the Windows
    // stage's run).
    if (GetACP() == 1252) {
      EXPECT_EQ(readFile(at("out\\caf\xC3\xA9.avs")),
                "AviSource(\"" + row.folder + "caf\xE9.avi\")\r\n");
    }
  }
}

TEST_F(CliWin32Test, FailuresNameTheirPathAndWindowsNumber) {
  writeFile(at("out\\a.avs"), "a file in the way");
  const struct {
    std::vector<std::string> args;
    std::string err;
  } rows[] = {
      {{"-s", "nothere", "-d", "out", stem_ + ".qtpl"},
       "clipquill-cli: --source '" + at("nothere") + "': File not found.\n"},
      // A destination that is not there (a file in its way, a name no
      // folder can have) is named before any script.
      {{"-s", "clips", "-c", "a.avi", "-d", "out\\a.avs\\x", stem_ + ".qtpl"},
       "clipquill-cli: The destination folder \"" + at("out\\a.avs\\x") + "\" does not exist.\n"},
      {{"-s", "clips", "-c", "a.avi", "-d", "o<t", stem_ + ".qtpl"},
       "clipquill-cli: The destination folder \"" + at("o<t") + "\" does not exist.\n"},
      {{"-s", "clips", "-c", "a.avi", "-n", "a<*", "-d", "out", stem_ + ".qtpl"},
       "clipquill-cli: out\\a<a.avs: Invalid filename.\n"},
  };
  for (const auto& row : rows) {
    const Result r = run(row.args);
    EXPECT_EQ(r.status, kExitError);
    EXPECT_EQ(r.err, row.err);
  }
}

// A dry run meets what the real run meets, and writes nothing.
TEST_F(CliWin32Test, DryRunEndsAsTheRealRunWould) {
  enum class InTheWay { Nothing, File, ReadOnlyFile, Folder };
  const struct {
    InTheWay inTheWay;
    std::vector<std::string> extra;
    int status;
    std::string err;  // within standard error
  } rows[] = {
      {InTheWay::Nothing, {}, kExitDone, ""},
      {InTheWay::File, {"-y"}, kExitDone, ""},
      {InTheWay::ReadOnlyFile, {"-y"}, kExitError, "out\\a.avs: File access denied.\n"},
      {InTheWay::Folder, {"-y"}, kExitError, "out\\a.avs: File access denied.\n"},
      {InTheWay::Nothing,
       {"-d", "nothere"},
       kExitError,
       "The destination folder \"" + at("nothere") + "\" does not exist.\n"},
      // Wine's move reports a name too long as missing, where Windows says
      // it is too long: only the dry run's own answer is compared.
      {InTheWay::Nothing, {"-n", "*" + std::string(300, 'n')}, kExitError, "Invalid filename.\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.err);
    const std::wstring script = pathFromUtf8(at("out\\a.avs")).wstring();
    ::SetFileAttributesW(script.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(script);
    if (row.inTheWay == InTheWay::Folder) std::filesystem::create_directory(script);
    if (row.inTheWay == InTheWay::File || row.inTheWay == InTheWay::ReadOnlyFile) {
      writeFile(at("out\\a.avs"), "old");
    }
    if (row.inTheWay == InTheWay::ReadOnlyFile) {
      ::SetFileAttributesW(script.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    std::vector<std::string> args{"-s", "clips", "-c", "a.avi", "-d", "out"};
    args.insert(args.end(), row.extra.begin(), row.extra.end());
    args.push_back(stem_ + ".qtpl");
    std::vector<std::string> dryArgs = args;
    dryArgs.push_back("--dry-run");
    const Result dry = run(dryArgs);
    if (row.inTheWay == InTheWay::Nothing) {
      EXPECT_FALSE(std::filesystem::exists(script));
    } else if (row.inTheWay != InTheWay::Folder) {
      EXPECT_EQ(readFile(at("out\\a.avs")), "old");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(pathFromUtf8(at("out"))),
                            std::filesystem::directory_iterator()),
              row.inTheWay == InTheWay::Nothing ? 0 : 1);
    EXPECT_EQ(dry.status, row.status) << dry.err;
    EXPECT_NE(dry.err.find(row.err), std::string::npos) << dry.err;
    if (row.extra.size() > 1 && row.extra[0] == "-n") continue;
    const Result real = run(args);
    EXPECT_EQ(real.status, row.status) << real.err;
    if (row.status == kExitError) {
      EXPECT_EQ(dry.err, real.err);
    }
  }
}

TEST_F(CliWin32Test, SavedFlagsComeBackFromTheRegistry) {
  const std::string tpl = stem_ + ".qtpl";
  Result r = run({"--save-inis=off", "--load-inis", "off", "--save", tpl, "-y", tpl});
  ASSERT_EQ(r.status, kExitDone) << r.err;
  r = run({"--show", tpl});
  ASSERT_EQ(r.status, kExitDone) << r.err;
  const auto shown = nlohmann::json::parse(r.out);
  EXPECT_EQ(shown["LoadInis"], false);
  EXPECT_EQ(shown["SaveInis"], false);
}

}  // namespace
}  // namespace clipquill::cli
