// SPDX-License-Identifier: GPL-3.0-or-later
// Scripts written from templates, checked by AviSynth+ itself (the library
// the build made from the vendored source), and the helper process's ways of
// ending checked with a stand-in library that crashes, hangs or exits on
// demand. The clips are .avsi scripts giving a BlankClip, since AviSynth+'s
// core has no video source filters without plugins. The same cases run on
// Windows, against AviSynth.dll built for it.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "check/background_check.h"
#include "check/check_report.h"
#include "check/helper_process.h"
#include "check/script_checker.h"
#include "core/expansion.h"
#include "core/script_encoding.h"
#include "core/utf8_path.h"
#include "support/temp_dir.h"

#ifndef CLIPQUILL_AVISYNTH_LIBRARY
#define CLIPQUILL_AVISYNTH_LIBRARY ""
#endif

namespace clipquill {
namespace {

using namespace std::chrono_literals;
using testing::TempDir;
using testing::writeFile;
using Lines = std::vector<std::string>;

// The library named at build time, or in the environment: a cross build's
// paths are the build machine's, which the Windows side names otherwise.
std::string avisynthLibrary() {
  const char* named = std::getenv("CLIPQUILL_AVISYNTH_LIBRARY");
  return named != nullptr && *named != '\0' ? named : CLIPQUILL_AVISYNTH_LIBRARY;
}
const std::string kAvisynth = avisynthLibrary();

// The stand-in library: a path, or on Windows a name beside this program.
std::string fakeAvisynth() {
  const std::filesystem::path named = CLIPQUILL_FAKE_AVISYNTH;
  if (named.is_absolute()) return named.string();
  return utf8Of(pathFromUtf8(helper::thisProgram()).parent_path() / named);
}
const std::string kFake = fakeAvisynth();
// A column worked out from the test's own folder.
constexpr int kAfterQuote = -1;

// Writes the scripts the template makes for the clips, as a run does: one per
// clip, or one joined script; gives their paths.
std::vector<std::string> writeScripts(const std::string& folder, const Lines& templ,
                                      const Lines& clips, bool join) {
  std::vector<std::string> paths;
  const std::string source = folder + "/";
  if (join) {
    std::string text;
    for (const auto& line : templ) {
      appendJoinedLine(text, widenLine(line, clips.size()), source, clips);
      text += "\r\n";
    }
    paths.push_back(folder + "/joined.avs");
    writeFile(paths.back(), text);
    return paths;
  }
  for (std::size_t i = 0; i < clips.size(); ++i) {
    std::string text;
    for (const auto& line : templ) {
      appendPerClipLine(text, line, source, clips[i]);
      text += "\r\n";
    }
    paths.push_back(folder + "/script" + std::to_string(i) + ".avs");
    writeFile(paths.back(), text);
  }
  return paths;
}

struct TemplateCase {
  const char* name;
  Lines templ;
  Lines clips;
  bool join;
  CheckStatus status;
  int line;
  int column;
  std::string messageStart;
};

// Each case prints as its name, so that CTest's test names stay short.
void PrintTo(const TemplateCase& c, std::ostream* out) {
  *out << c.name;
}

class AvisynthCheckTest : public ::testing::TestWithParam<TemplateCase> {
 protected:
  void SetUp() override {
    if (kAvisynth.empty()) GTEST_SKIP() << "built without CLIPQUILL_AVISYNTH_LIBRARY";
  }
  TempDir dir;
};

TEST_P(AvisynthCheckTest, ChecksEveryScriptOfTheRun) {
  const TemplateCase& c = GetParam();
  for (const auto& clip : c.clips) {
    writeFile(dir.path() + "/" + clip, clip.starts_with("broken")
                                           ? "NoSuchFilter()\r\n"
                                           : "BlankClip(length=10, width=64, height=48)\r\n");
  }
  ScriptChecker checker({kAvisynth, 5s, ""});
  for (const auto& script : writeScripts(dir.path(), c.templ, c.clips, c.join)) {
    SCOPED_TRACE(script);
    ScriptCheck result = checker.check(script);
    EXPECT_EQ(result.status, c.status) << result.message;
    EXPECT_EQ(result.line, c.line);
    // Past the quote that ends the string early: Import(" folder/ it"
    const int afterQuote = static_cast<int>(8 + dir.slash().size() + 3 + 1);
    EXPECT_EQ(result.column, c.column == kAfterQuote ? afterQuote : c.column);
    EXPECT_EQ(result.message.substr(0, c.messageStart.size()), c.messageStart);
  }
}

const Lines kImport = {"Import(\"<P><F>\")"};

INSTANTIATE_TEST_SUITE_P(
    Templates, AvisynthCheckTest,
    ::testing::Values(
        TemplateCase{
            "PerClip", kImport, {"a.avsi", "b c.avsi"}, false, CheckStatus::Good, 0, 0, ""},
        // Import takes several names: the joined script's widened line.
        TemplateCase{
            "Joined", kImport, {"a.avsi", "b.avsi", "c.avsi"}, true, CheckStatus::Good, 0, 0, ""},
        // A quote in a clip's name ends the string early.
        TemplateCase{"QuoteInClipName",
                     kImport,
                     {"it\"s.avsi"},
                     false,
                     CheckStatus::Failed,
                     1,
                     kAfterQuote,
                     "Script error: expected a , or )"},
        TemplateCase{"UnknownFilter",
                     {"Import(\"<P><F>\")", "", "NoSuchFilter(16)"},
                     {"a.avsi"},
                     false,
                     CheckStatus::Failed,
                     3,
                     0,
                     "Script error: There is no function named 'NoSuchFilter'"},
        TemplateCase{"NoClip",
                     {"x = \"<F>\"", "42"},
                     {"a.avsi"},
                     false,
                     CheckStatus::Failed,
                     0,
                     0,
                     "the script does not return a clip"},
        // The place is the script's Import line; the clip's own line is told.
        TemplateCase{"ErrorInTheClip",
                     kImport,
                     {"broken.avsi"},
                     false,
                     CheckStatus::Failed,
                     1,
                     0,
                     "Script error: There is no function named 'NoSuchFilter'"}),
    [](const auto& info) { return std::string(info.param.name); });

class AvisynthCheckerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (kAvisynth.empty()) GTEST_SKIP() << "built without CLIPQUILL_AVISYNTH_LIBRARY";
  }
  std::string script(const std::string& name, const std::string& text) {
    writeFile(dir.path() + "/" + name, text);
    return dir.path() + "/" + name;
  }
  TempDir dir;
};

TEST_F(AvisynthCheckerTest, SaysWhichAvisynthItUses) {
  ScriptChecker checker({kAvisynth, 5s, ""});
  std::string version;
  ASSERT_TRUE(checker.available(&version));
  // Its own words, such as "AviSynth+ 3.7.5 (x86_64)", not the fallback.
  EXPECT_EQ(version.rfind("AviSynth+ ", 0), 0u) << version;
}

// Each script gets a fresh environment: what one sets, the next never sees.
TEST_F(AvisynthCheckerTest, NothingReachesTheNextScript) {
  ScriptChecker checker({kAvisynth, 5s, ""});
  EXPECT_TRUE(checker.check(script("a.avs", "global leaked = 5\r\nBlankClip()\r\n")).good());
  ScriptCheck second = checker.check(script("b.avs", "BlankClip(length=leaked)\r\n"));
  EXPECT_EQ(second.status, CheckStatus::Failed);
  EXPECT_NE(second.message.find("leaked"), std::string::npos) << second.message;
}

// The limit also bounds AviSynth+'s first load, which under Wine on a busy
// machine alone can take a second.
TEST_F(AvisynthCheckerTest, ALoopForEverIsEndedAndTheNextScriptChecked) {
  ScriptChecker checker({kAvisynth, 3s, ""});
  const auto start = std::chrono::steady_clock::now();
  ScriptCheck looping =
      checker.check(script("loop.avs", "x = 0\r\nwhile (true) {\r\n x = x + 1\r\n}\r\n"));
  EXPECT_EQ(looping.status, CheckStatus::TimedOut);
  EXPECT_EQ(looping.message, "timed out after 3 s");
  EXPECT_LT(std::chrono::steady_clock::now() - start, 8s);
  const ScriptCheck next = checker.check(script("next.avs", "BlankClip()\r\n"));
  EXPECT_TRUE(next.good()) << next.message;
}

// AviSynth+ opens a script whatever its name (accents, Cyrillic, Japanese,
// an emoji: beyond any one code page), and a clip named in the script as it
// reads names: in the system's code page, else as UTF-8 with utf8=true. The
// picture of each comes too.
TEST_F(AvisynthCheckerTest, ScriptsOfAnyNameAreCheckedAndPictured) {
  ScriptChecker checker({kAvisynth, 10s, ""});
  for (const std::string name : {"plain",
                                 "Caf\xC3\xA9 r\xC3\xA9"
                                 "el",
                                 "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
                                 "\xE6\x97\xA5\xE6\x9C\xAC", "clip \xF0\x9F\x8E\xAC"}) {
    SCOPED_TRACE(name);
    const std::string clip =
        script(name + ".avsi", "BlankClip(length=10, width=64, height=48)\r\n");
    const std::optional<std::string> inCodePage = systemCodePage().fromUtf8(clip);
    const std::string path =
        script(name + ".avs", inCodePage ? "Import(\"" + *inCodePage + "\")\r\n"
                                         : "Import(\"" + clip + "\", utf8=true)\r\n");
    const ScriptCheck checked = checker.check(path);
    EXPECT_TRUE(checked.good()) << checked.message;
    const ScriptCheck pictured = checker.render(path, 0);
    EXPECT_TRUE(pictured.good()) << pictured.message;
    EXPECT_TRUE(pictured.picture && pictured.picture->ok());
  }
}

TEST_F(AvisynthCheckerTest, RelativePathsAndMissingScripts) {
  ScriptChecker checker({kAvisynth, 5s, ""});
  ScriptCheck missing = checker.check(dir.path() + "/gone.avs");
  EXPECT_EQ(missing.status, CheckStatus::Failed);
  EXPECT_NE(missing.message.find("couldn't open"), std::string::npos) << missing.message;
}

TEST(ScriptCheckerTest, AMissingLibraryMakesTheCheckUnavailable) {
  TempDir dir;
  ScriptChecker checker({dir.path() + "/libavisynth.so", 5s, ""});
  std::string why;
  EXPECT_FALSE(checker.available(&why));
  EXPECT_NE(why.find("libavisynth.so"), std::string::npos) << why;
  ScriptCheck result = checker.check(dir.path() + "/a.avs");
  EXPECT_EQ(result.status, CheckStatus::Unavailable);
  EXPECT_EQ(result.message, why);
}

TEST(ScriptCheckerTest, AHelperThatCannotStartMakesTheCheckUnavailable) {
  ScriptChecker checker({"", 5s, "/nonexistent/clipquill-cli"});
  std::string why;
  EXPECT_FALSE(checker.available(&why));
  EXPECT_NE(why.find("/nonexistent/clipquill-cli"), std::string::npos) << why;
}

// A library set in the options that has gone, or is no library at all,
// gives way to the next place, and the user is told; the place the check
// then uses says where it came from. A library named for the run never
// gives way, and where no place loads, the user's own comes first in why.
TEST(ScriptCheckerTest, ALibrarySetInOptionsThatDoesNotLoadGivesWay) {
  TempDir dir;
  writeFile(dir.path() + "/foreign.so", "not a library");
  for (const std::string& setting : {dir.path() + "/gone.so", dir.path() + "/foreign.so"}) {
    CheckerOptions options{"", 5s, ""};
    options.places = {{AvisynthOrigin::Options, setting}, {AvisynthOrigin::Bundled, kFake}};
    ScriptChecker checker(options);
    std::string version;
    ASSERT_TRUE(checker.available(&version)) << version;
    EXPECT_EQ(checker.used().rfind(version + ", ", 0), 0u) << checker.used();
    EXPECT_TRUE(checker.used().ends_with(", that came with Clipquill")) << checker.used();
    EXPECT_EQ(checker.passedOver().rfind("The AviSynth+ library set in Options, " + setting, 0), 0u)
        << checker.passedOver();
  }
  // The reasons name the files; Windows writes their folders its own way.
  struct Case {
    std::vector<AvisynthPlace> places;
    bool available;
    std::vector<std::string> inWhy;  // in this order
  };
  const std::string gone = dir.path() + "/first-gone.so";
  const std::string alsoGone = dir.path() + "/also-gone.so";
  const Case cases[] = {
      {{{AvisynthOrigin::Named, gone}}, false, {"first-gone.so"}},
      {{{AvisynthOrigin::Options, gone}, {AvisynthOrigin::Bundled, alsoGone}},
       false,
       {"first-gone.so", "also-gone.so"}},
      {{{AvisynthOrigin::Bundled, kFake}}, true, {}},
  };
  for (const Case& c : cases) {
    CheckerOptions options{"", 5s, ""};
    options.places = c.places;
    ScriptChecker checker(options);
    std::string why;
    EXPECT_EQ(checker.available(&why), c.available) << why;
    if (!c.available) {
      EXPECT_EQ(checker.used(), "");
    }
    std::size_t at = 0;
    for (const std::string& name : c.inWhy) {
      at = why.find(name, at);
      ASSERT_NE(at, std::string::npos) << name << " in " << why;
    }
  }
}

// The helper's ways of ending mid-check, each followed by a script that the
// next helper checks.
struct EndingCase {
  const char* name;
  CheckStatus status;
  std::string message;
};

void PrintTo(const EndingCase& c, std::ostream* out) {
  *out << c.name;
}

class HelperEndingTest : public ::testing::TestWithParam<EndingCase> {};

TEST_P(HelperEndingTest, IsReportedAndTheNextScriptChecked) {
  const EndingCase& c = GetParam();
  ScriptChecker checker({kFake, 1s, ""});
  ScriptCheck ended = checker.check(std::string("/s/") + c.name + ".avs");
  EXPECT_EQ(ended.status, c.status);
  EXPECT_EQ(ended.message.substr(0, c.message.size()), c.message);
  EXPECT_TRUE(checker.check("/s/fine.avs").good());
}

INSTANTIATE_TEST_SUITE_P(
    Endings, HelperEndingTest,
    ::testing::Values(EndingCase{"crash", CheckStatus::Crashed, "crashed while AviSynth+"},
                      EndingCase{"exit", CheckStatus::Crashed, "crashed while AviSynth+"},
                      EndingCase{"hang", CheckStatus::TimedOut, "timed out after 1 s"}),
    [](const auto& info) { return std::string(info.param.name); });

// The command line's way: failures under the names the user knows, in order.
TEST(CheckAndReportTest, PrintsEachFailureAndCountsThem) {
  ScriptChecker checker({kFake, 1s, ""});
  const std::vector<std::string> paths = {"/s/a.avs", "/s/crash.avs", "/s/hang.avs", "/s/b.avs"};
  const std::vector<std::string> shown = {"a.avs", "crash.avs", "hang.avs", "b.avs"};
  std::ostringstream err;
  CheckReport report = checkAndReport(checker, paths, shown, err, "clipquill-cli");
  EXPECT_EQ(report.checked, 4u);
  EXPECT_EQ(report.failed, 2u);
  EXPECT_FALSE(report.unavailable);
  EXPECT_EQ(err.str().substr(0, 19), "crash.avs: crashed ");
  EXPECT_NE(err.str().find("\nhang.avs: timed out after 1 s\n"), std::string::npos) << err.str();

  ScriptChecker missing({"/nonexistent/libavisynth.so", 1s, ""});
  err.str("");
  report = checkAndReport(missing, paths, shown, err, "clipquill-cli");
  EXPECT_TRUE(report.unavailable);
  EXPECT_EQ(report.checked, 0u);
  EXPECT_EQ(err.str().rfind("clipquill-cli: cannot check the scripts with AviSynth+: ", 0), 0u);
}

// The time limit is each script's own, however many were sent ahead.
TEST(CheckAllTest, TheTimeLimitCountsFromEachScriptsStart) {
  ScriptChecker checker({kFake, 1s, ""});
  const std::vector<std::string> paths(6, "/s/slow.avs");
  std::vector<CheckStatus> told;
  checker.checkAll(paths, [&](std::size_t, const ScriptCheck& c) { told.push_back(c.status); });
  EXPECT_EQ(told, std::vector<CheckStatus>(6, CheckStatus::Good));
}

void setVariable(const char* name, const char* value) {
#if defined(_WIN32)
  ::_putenv_s(name, value != nullptr ? value : "");
#else
  if (value != nullptr) {
    ::setenv(name, value, 1);
  } else {
    ::unsetenv(name);
  }
#endif
}

// A helper started after AviSynth+ had loaded that is slow to say hello (a
// busy machine) costs the script it was for, not the check of every script
// after it.
TEST(CheckAllTest, AHelperSlowToStartCostsOnlyItsScript) {
  ScriptChecker checker({kFake, 1s, ""});
  EXPECT_TRUE(checker.check("/s/a.avs").good());
  EXPECT_EQ(checker.check("/s/hang.avs").status, CheckStatus::TimedOut);
  setVariable("CLIPQUILL_FAKE_SLOW_START", "1");
  const ScriptCheck slow = checker.check("/s/b.avs");
  setVariable("CLIPQUILL_FAKE_SLOW_START", nullptr);
  EXPECT_EQ(slow.status, CheckStatus::TimedOut);
  EXPECT_EQ(slow.message, "timed out after 1 s, while the check started");
  std::string version;
  EXPECT_TRUE(checker.available(&version));
  EXPECT_EQ(version, "Fake AviSynth");
  EXPECT_TRUE(checker.check("/s/c.avs").good());
}

// The window's way: results arrive in order on the check's thread, then the
// end; a window closing mid-check does not wait out a hanging script.
TEST(BackgroundCheckTest, ReportsInOrderAndStopsAtOnce) {
  std::mutex m;
  std::condition_variable cv;
  std::vector<std::pair<std::size_t, CheckStatus>> told;
  auto report = [&](std::size_t i, const ScriptCheck& c) {
    std::lock_guard lock(m);
    told.emplace_back(i, c.status);
    cv.notify_all();
  };
  auto waitFor = [&](std::size_t n) {
    std::unique_lock lock(m);
    return cv.wait_for(lock, 10s, [&] { return told.size() >= n; });
  };
  {
    BackgroundCheck check({kFake, 1s, ""}, {"/s/a.avs", "/s/crash.avs"}, report);
    ASSERT_TRUE(waitFor(3));
  }
  EXPECT_EQ(told, (std::vector<std::pair<std::size_t, CheckStatus>>{
                      {0, CheckStatus::Good}, {1, CheckStatus::Crashed}, {2, CheckStatus::Good}}));

  told.clear();
  const auto start = std::chrono::steady_clock::now();
  {
    BackgroundCheck check({kFake, 30s, ""}, {"/s/a.avs", "/s/hang.avs", "/s/b.avs"}, report);
    ASSERT_TRUE(waitFor(1));
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  std::lock_guard lock(m);
  EXPECT_EQ(told.size(), 1u);
}

}  // namespace
}  // namespace clipquill
