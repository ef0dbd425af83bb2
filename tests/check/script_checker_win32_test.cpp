// SPDX-License-Identifier: GPL-3.0-or-later
// What only the Windows check has: AviSynth.dll looked for where its
// installer puts it, the helper's ends told by their exception codes, and
// the job object's bound on the helper's memory.
#include "core/windows_api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "check/avisynth_loader.h"
#include "check/helper_process.h"
#include "check/script_checker.h"
#include "core/utf8_path.h"
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

}  // namespace
}  // namespace clipquill
