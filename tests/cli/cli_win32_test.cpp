// SPDX-License-Identifier: GPL-3.0-or-later
// The command line on Windows paths, in-process: drive letters and "\" read
// against the working folder, scripts that name their clips with "\", the
// flags in the registry, and errors by their Windows numbers.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

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
  };
  for (const auto& row : rows) {
    std::filesystem::remove_all(pathFromUtf8(at("out")));
    std::filesystem::create_directory(pathFromUtf8(at("out")));
    const Result r = run({"-s", row.source, "-e", "avi", "-d", "out", "-y", tpl});
    ASSERT_EQ(r.status, kExitDone) << row.source << ": " << r.err;
    EXPECT_EQ(readFile(at("out\\a.avs")), "AviSource(\"" + row.folder + "a.avi\")\r\n");
    EXPECT_EQ(readFile(at("out\\caf\xC3\xA9.avs")),
              "AviSource(\"" + row.folder + "caf\xC3\xA9.avi\")\r\n");
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
      {{"-s", "clips", "-c", "a.avi", "-d", "out\\a.avs\\x", stem_ + ".qtpl"},
       "clipquill-cli: out\\a.avs\\x\\a.avs: Invalid filename.\n"},
      {{"-s", "clips", "-c", "a.avi", "-d", "o<t", stem_ + ".qtpl"},
       "clipquill-cli: o<t\\a.avs: Invalid filename.\n"},
  };
  for (const auto& row : rows) {
    const Result r = run(row.args);
    EXPECT_EQ(r.status, kExitError);
    EXPECT_EQ(r.err, row.err);
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
