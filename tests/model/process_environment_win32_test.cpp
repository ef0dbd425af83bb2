// SPDX-License-Identifier: GPL-3.0-or-later
// What start-up reads of a Windows system: the program's own path and the
// user profile as the home folder.
#include "core/windows_api.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/win32_file.h"
#include "support/temp_dir.h"
#include "ui/model/process_environment.h"

namespace clipquill {
namespace {

// Sets (or, for nullopt, unsets) variables of the process's environment for
// one test, where the W functions read them, and puts them back afterwards.
class ScopedEnv {
 public:
  void set(const std::wstring& name, const std::optional<std::string>& value) {
    wchar_t old[32768];
    const DWORD n = ::GetEnvironmentVariableW(name.c_str(), old, 32768);
    saved_.push_back({name, n ? std::optional<std::wstring>(std::wstring(old, n)) : std::nullopt});
    ::SetEnvironmentVariableW(name.c_str(), value ? win32::widePath(*value).c_str() : nullptr);
  }
  ~ScopedEnv() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
      ::SetEnvironmentVariableW(it->first.c_str(), it->second ? it->second->c_str() : nullptr);
  }

 private:
  std::vector<std::pair<std::wstring, std::optional<std::wstring>>> saved_;
};

TEST(Win32ProcessEnvironment, TheHomeFolderIsTheUserProfile) {
  testing::TempDir dir;
  const std::string profile = dir.path() + "\\caf\xC3\xA9";
  ::CreateDirectoryW(win32::widePath(profile).c_str(), nullptr);
  testing::writeFile(dir.path() + "\\file", "x");
  const struct {
    std::optional<std::string> userProfile, homeDrive, homePath;
    std::string home;
  } cases[] = {
      {profile, std::nullopt, std::nullopt, profile},
      {std::nullopt, profile.substr(0, 2), profile.substr(2), profile},
      {dir.path() + "\\missing", std::nullopt, std::nullopt, ""},
      {dir.path() + "\\file", std::nullopt, std::nullopt, ""},
      {std::nullopt, std::nullopt, std::nullopt, ""},
  };
  for (const auto& c : cases) {
    ScopedEnv env;
    env.set(L"USERPROFILE", c.userProfile);
    env.set(L"HOMEDRIVE", c.homeDrive);
    env.set(L"HOMEPATH", c.homePath);
    EXPECT_EQ(homeFolder(), c.home) << c.userProfile.value_or("(unset)");
  }
}

TEST(Win32ProcessEnvironment, TheProgramsOwnPathAndAlwaysAScreen) {
  const std::string self = executablePath("ignored");
  EXPECT_TRUE(self.ends_with("\\model_tests.exe")) << self;
  EXPECT_EQ(self[1], ':') << self;
  char* argv[] = {nullptr};
  EXPECT_TRUE(hasDisplay(0, argv));
  // The window starts the command line by its file's whole name.
  EXPECT_EQ(programFileName("clipquill-cli"), "clipquill-cli.exe");
}

// "D:clips" is read against the folder cmd.exe keeps for D in "=D:".
TEST(Win32ProcessEnvironment, ADrivesCurrentFolderIsTheOneCmdKeeps) {
  ScopedEnv env;
  env.set(L"=Q:", std::string("Q:\\kept\\folder"));
  EXPECT_EQ(driveCurrentFolder('Q'), "Q:\\kept\\folder");
  env.set(L"=Q:", std::nullopt);
  EXPECT_EQ(driveCurrentFolder('Q'), "");
}

}  // namespace
}  // namespace clipquill
