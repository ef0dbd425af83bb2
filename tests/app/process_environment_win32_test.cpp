// SPDX-License-Identifier: GPL-3.0-or-later
// What start-up reads of a Windows system: the program's own path and the
// user profile as the home folder.
#include "core/windows_api.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window_model.h"
#include "app/process_environment.h"
#include "core/win32_file.h"
#include "persist/folder_registry.h"
#include "support/temp_dir.h"

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
  EXPECT_TRUE(self.ends_with("\\app_tests.exe")) << self;
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

// Asks nothing and shows nothing: start-up's load asks no one.
class SilentForm : public FrontEnd {
 public:
  std::vector<std::string> errors;
  Answer messageBox(MessageKind, Buttons, std::string_view) override { return Answer::Cancel; }
  void focus(Field) override {}
  void errorBox(const Error& error) override { errors.push_back(error.boxTextWithSubject()); }
  std::optional<FileChoice> openDialog(int) override { return std::nullopt; }
  std::optional<FileChoice> saveDialog(std::string_view, int) override { return std::nullopt; }
  std::optional<std::vector<std::string>> filterEditor(const std::vector<std::string>&) override {
    return std::nullopt;
  }
  std::optional<std::string> pickFolder(FolderPickerFor, std::string_view,
                                        std::string_view) override {
    return std::nullopt;
  }
  bool proceed(std::size_t, std::size_t) override { return true; }
};

// Run only as a copy of this program named clipquill.exe (see below): starts
// the window's model as the program starts it and writes what it loaded into
// "startup.txt" beside itself.
TEST(Win32ProgramFolder, DISABLED_StartsAsTheProgram) {
  const std::string self = executablePath(nullptr);
  const std::string folder = self.substr(0, self.find_last_of('\\') + 1);
  const auto folders = makeSystemFolders();
  const auto scripts = makeSystemScriptFiles();
  const auto files = makeSystemPersistFiles();
  FolderRegistry registry{*files, folder + "registry"};
  SilentForm form;
  MainWindowModel model{{*folders, *scripts, *files, registry, form}};
  model.start({self, {}, homeFolder()});
  std::string report = "AppDir=" + model.state().programFolder + "\n";
  report += "TemplatePath=" + model.state().templatePath + "\n";
  model.templateText().forEachLine(
      [&](std::string_view line) { report.append("Line=").append(line).append("\n"); });
  report += "ScriptName=" + model.fieldText(Field::ScriptName) + "\n";
  for (const std::string& error : form.errors)
    report += "Error=" + error + "\n";
  testing::writeFile(folder + "startup.txt", report);
}

// The program started from anywhere finds its default template, and the
// settings file beside it, in its own folder: the folder of the path the
// system gives for its module, a name beyond ASCII included.
TEST(Win32ProgramFolder, StartUpFindsTheDefaultTemplateBesideTheProgram) {
  testing::TempDir dir;
  const std::string folder = dir.path() + "\\Clipquill caf\xC3\xA9 \xE6\x97\xA5\\";
  ASSERT_TRUE(::CreateDirectoryW(win32::widePath(folder).c_str(), nullptr));
  const std::string program = folder + "clipquill.exe";
  ASSERT_TRUE(::CopyFileW(win32::widePath(executablePath(nullptr)).c_str(),
                          win32::widePath(program).c_str(), TRUE));
  testing::writeFile(folder + "DefaultTemplate.qtpl", "AviSource(\"<P><F>\")\r\n");
  testing::writeFile(folder + "DefaultTemplate.ini", "[Entries]\r\nScriptName=*_ivtc\r\n");

  // Started from another folder, under a command line that names the
  // program only by its bare name.
  std::wstring commandLine =
      L"clipquill.exe --gtest_filter=Win32ProgramFolder.DISABLED_StartsAsTheProgram "
      L"--gtest_also_run_disabled_tests";
  // Its output goes to a file of its own, not among this program's lines.
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const std::string log = dir.path() + "\\child.log";
  HANDLE output = ::CreateFileW(win32::widePath(log).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(output, INVALID_HANDLE_VALUE);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output;
  startup.hStdError = output;
  PROCESS_INFORMATION process{};
  const BOOL started =
      ::CreateProcessW(win32::widePath(program).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                       0, nullptr, win32::widePath(dir.path()).c_str(), &startup, &process);
  ::CloseHandle(output);
  ASSERT_TRUE(started);
  ASSERT_EQ(::WaitForSingleObject(process.hProcess, 120000), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  ::GetExitCodeProcess(process.hProcess, &exitCode);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  EXPECT_EQ(exitCode, 0u) << testing::readFile(log);
  EXPECT_EQ(testing::readFile(folder + "startup.txt"),
            "AppDir=" + folder + "\nTemplatePath=" + folder +
                "DefaultTemplate.qtpl\nLine=AviSource(\"<P><F>\")\nScriptName=*_ivtc\n");
}

}  // namespace
}  // namespace clipquill
