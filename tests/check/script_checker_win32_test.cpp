// SPDX-License-Identifier: GPL-3.0-or-later
// What only the Windows check has: AviSynth.dll looked for where its
// installer puts it, the helper's ends told by their exception codes, and
// the job object's bound on the helper's memory.
#include "core/windows_api.h"
// After windows.h, which it builds on.
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cwchar>
#include <filesystem>
#include <string>
#include <vector>

#include "check/avisynth_loader.h"
#include "check/helper_process.h"
#include "check/script_checker.h"
#include "core/utf8_path.h"
#include "core/win32_file.h"
#include "support/temp_dir.h"

namespace clipquill {
namespace {

using namespace std::chrono_literals;

std::string fake() {
  return utf8Of(pathFromUtf8(helper::thisProgram()).parent_path() / CLIPQUILL_FAKE_AVISYNTH);
}

bool underWine() {
  return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

struct CandidateCase {
  const char* name;
  std::wstring system;
  std::vector<std::wstring> registry;
  std::vector<std::wstring> expected;
};

TEST(AvisynthLoaderWin32Test, LooksInTheSystemFolderThenWhereTheRegistrySays) {
  const std::vector<CandidateCase> cases = {
      {"both",
       L"C:\\Windows\\system32",
       {L"C:\\Program Files (x86)\\AviSynth+", L""},
       {L"C:\\Windows\\system32\\avisynth.dll",
        L"C:\\Program Files (x86)\\AviSynth+\\AviSynth.dll"}},
      {"a folder with its separator",
       L"",
       {L"D:\\Tools\\AviSynth\\"},
       {L"D:\\Tools\\AviSynth\\AviSynth.dll"}},
      // The same file named twice, in another case, is tried once.
      {"the system folder named again",
       L"C:\\Windows\\System32",
       {L"c:\\windows\\system32"},
       {L"C:\\Windows\\System32\\avisynth.dll"}},
      {"nothing installed", L"", {L"", L""}, {}},
  };
  for (const CandidateCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(avisynth_loader::installedCandidates(c.system, c.registry), c.expected);
  }
}

TEST(AvisynthLoaderWin32Test, SaysWhyALibraryDoesNotLoad) {
  testing::TempDir dir;
  // Not a DLL at all.
  testing::writeFile(dir.path() + "\\AviSynth.dll", "MZ not really");
  for (const std::string& path :
       {dir.path() + "\\gone\\AviSynth.dll", dir.path() + "\\AviSynth.dll"}) {
    SCOPED_TRACE(path);
    ScriptChecker checker({path, 5s, ""});
    std::string why;
    EXPECT_FALSE(checker.available(&why));
    EXPECT_EQ(why.rfind("cannot load " + path + ": ", 0), 0u) << why;
    EXPECT_NE(why.find("(error "), std::string::npos) << why;
  }
}

// A crash is told by its exception, not by an exit status that means nothing
// to the user; the next script gets a new helper.
TEST(ScriptCheckerWin32Test, ACrashIsToldByItsException) {
  ScriptChecker checker({fake(), 5s, ""});
  const ScriptCheck crashed = checker.check("C:\\s\\crash.avs");
  EXPECT_EQ(crashed.status, CheckStatus::Crashed);
  EXPECT_EQ(crashed.message,
            "crashed while AviSynth+ imported the script (exception 0xC0000005, access violation)");
  const ScriptCheck exited = checker.check("C:\\s\\exit.avs");
  EXPECT_EQ(exited.message,
            "crashed while AviSynth+ imported the script (the check ended with status 3)");
  EXPECT_TRUE(checker.check("C:\\s\\fine.avs").good());
}

// The helper runs in a job that ends it with the checker, ends it at an
// unhandled exception, and bounds its memory: by default to half the
// machine's, at least 1 GiB.
TEST(ScriptCheckerWin32Test, TheHelperRunsBoundedInItsJob) {
  if (underWine()) GTEST_SKIP() << "Wine does not tell a job's limits";
  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof memory;
  ASSERT_TRUE(::GlobalMemoryStatusEx(&memory));
  const std::size_t half = std::max<std::size_t>(memory.ullTotalPhys / 2, std::size_t{1} << 30);
  const std::vector<std::pair<std::size_t, std::size_t>> cases = {
      {0, half}, {std::size_t{300} << 20, std::size_t{300} << 20}};
  for (const auto& [asked, expected] : cases) {
    ScriptChecker checker({fake(), 5s, "", asked});
    const ScriptCheck limits = checker.check("C:\\s\\limits.avs");
    EXPECT_EQ(limits.message, "job: kill on close, die on unhandled exception, process memory " +
                                  std::to_string(expected));
  }
}

// A script that takes memory without end meets the job's bound: its check
// fails or crashes, within moments, and the machine keeps its memory.
TEST(ScriptCheckerWin32Test, AScriptTakingAllMemoryMeetsTheBound) {
  if (underWine()) GTEST_SKIP() << "Wine keeps a job's memory bound but does not enforce it";
  ScriptChecker checker({fake(), 30s, "", std::size_t{256} << 20});
  const auto start = std::chrono::steady_clock::now();
  const ScriptCheck hog = checker.check("C:\\s\\hog.avs");
  EXPECT_TRUE(hog.status == CheckStatus::Failed || hog.status == CheckStatus::Crashed)
      << hog.message;
  EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
  EXPECT_TRUE(checker.check("C:\\s\\fine.avs").good());
}

// Run as a process of its own by the test below: a checker stuck on a
// script that never ends, until that process is killed.
TEST(ScriptCheckerWin32Test, DISABLED_WaitsOnAHangingScript) {
  ScriptChecker checker({fake(), 60s, ""});
  checker.check("C:\\s\\hang.avs");
}

// The helper of a checker that dies without a word (killed, crashed) goes
// with it: the job's last handle closes with the checker's process.
TEST(ScriptCheckerWin32Test, TheHelperEndsWithTheChecker) {
  std::wstring program = win32::widePath(helper::thisProgram());
  std::wstring commandLine =
      L"\"" + program +
      L"\" --gtest_also_run_disabled_tests "
      L"--gtest_filter=ScriptCheckerWin32Test.DISABLED_WaitsOnAHangingScript";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION checker{};
  ASSERT_TRUE(::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                               CREATE_NO_WINDOW, nullptr, nullptr, &startup, &checker));
  const win32::Handle checkerProcess(checker.hProcess);
  const win32::Handle checkerThread(checker.hThread);

  // Its helper: the program it started as its helper.
  win32::Handle helperProcess;
  for (int i = 0; i < 200 && !helperProcess.valid(); ++i) {
    ::Sleep(50);
    const win32::Handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (bool more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
      // Wine starts a console host for it too.
      if (entry.th32ParentProcessID == checker.dwProcessId &&
          ::_wcsicmp(entry.szExeFile, win32::nameOf(program).c_str()) == 0)
        helperProcess = win32::Handle(
            ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
    }
  }
  ASSERT_TRUE(helperProcess.valid()) << "no helper started";
  ::Sleep(500);  // well into the hanging script
  ASSERT_EQ(::WaitForSingleObject(helperProcess.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

  ::TerminateProcess(checker.hProcess, 9);
  if (::WaitForSingleObject(helperProcess.get(), 10000) != WAIT_OBJECT_0) {
    ADD_FAILURE() << "the helper outlived its checker";
    ::TerminateProcess(helperProcess.get(), 9);
  }
}

}  // namespace
}  // namespace clipquill
