// SPDX-License-Identifier: GPL-3.0-or-later
// The created-scripts list's marks, with the stand-in AviSynth+ library (it
// crashes or hangs on demand) and the check's test program as the helper. The
// window's thread is a queue the test runs.
#include "app/created_script_checks.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace clipquill {
namespace {

using namespace std::chrono_literals;
using Mark = CreatedScriptChecks::Mark;

class CreatedScriptChecksTest : public ::testing::Test {
 protected:
  // Runs what was posted until `done` holds or 10 s passed.
  bool runUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::function<void()> f;
      {
        std::lock_guard lock(m);
        if (!posted.empty()) {
          f = std::move(posted.front());
          posted.pop_front();
        }
      }
      if (f) {
        f();
      } else {
        std::this_thread::sleep_for(5ms);
      }
    }
    return true;
  }
  CheckerOptions options(const std::string& library, std::chrono::milliseconds limit = 1s) {
    return {library, limit, CLIPQUILL_CHECK_HELPER};
  }

  std::mutex m;
  std::deque<std::function<void()>> posted;
  int changes = 0;
  CreatedScriptChecks checks{[this](std::function<void()> f) {
                               std::lock_guard lock(m);
                               posted.push_back(std::move(f));
                             },
                             [this] { ++changes; }};
  const std::vector<std::string> lines = {"Script(s) Created:", "a.avs", "crash.avs", "b.avs"};
};

TEST_F(CreatedScriptChecksTest, MarksEachScriptAndSumsTheRunUp) {
  checks.start(options(CLIPQUILL_FAKE_AVISYNTH), "/s/", lines);
  EXPECT_EQ(checks.mark(1), Mark::Checking);
  EXPECT_EQ(checks.status(), "AviSynth+: checking 3 scripts");
  EXPECT_FALSE(checks.finished());
  ASSERT_TRUE(runUntil([&] { return checks.finished(); }));
  EXPECT_EQ(checks.mark(0), Mark::None);  // the heading
  EXPECT_EQ(checks.mark(1), Mark::Good);
  EXPECT_EQ(checks.mark(2), Mark::Failed);
  EXPECT_EQ(checks.mark(3), Mark::Good);
  EXPECT_EQ(checks.mark(4), Mark::None);
  EXPECT_EQ(checks.tip(1), "AviSynth+: good\n64x48, 25 fps, 10 frames (0.400 s), RGB32; no audio");
  ASSERT_EQ(checks.problems().size(), 1u);  // the crash alone
  EXPECT_EQ(checks.problems()[0].line, 2u);
  EXPECT_EQ(checks.problems()[0].path, "/s/crash.avs");
  EXPECT_EQ(checks.tip(2).rfind("AviSynth+: crashed ", 0), 0u) << checks.tip(2);
  EXPECT_EQ(checks.status().rfind("AviSynth+: 1 of 3 scripts failed; crash.avs: crashed", 0), 0u)
      << checks.status();
  EXPECT_FALSE(checks.unavailable());
}

// A problem's row and the text Ctrl+C copies, with what is unknown left out.
TEST(CreatedScriptProblem, RowsAndCopiesNameTheirPlace) {
  using Problem = CreatedScriptChecks::Problem;
  struct Case {
    Problem problem;
    std::string row, copy;
  };
  // Built one by one: GCC 12 takes the checks' members left to their
  // defaults in an array's aggregate for uninitialised.
  const auto failure = [](CheckStatus status, const char* message, int line, int column) {
    ScriptCheck check;
    check.status = status;
    check.message = message;
    check.line = line;
    check.column = column;
    return check;
  };
  const std::vector<Case> cases = {
      {{2, "/out/a.avs", failure(CheckStatus::Failed, "Script error: expected a , or )", 1, 21)},
       "a.avs: 1:21: Script error: expected a , or )",
       "/out/a.avs:1:21: Script error: expected a , or )"},
      {{3, "/out/b.avs", failure(CheckStatus::Failed, "There is no function named 'X'", 3, 0)},
       "b.avs: 3: There is no function named 'X'",
       "/out/b.avs:3: There is no function named 'X'"},
      {{4, "/out/c.avs", failure(CheckStatus::TimedOut, "timed out after 10 s", 0, 0)},
       "c.avs: timed out after 10 s",
       "/out/c.avs: timed out after 10 s"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.problem.row(), c.row);
    EXPECT_EQ(c.problem.copyText(), c.copy);
  }
}

TEST_F(CreatedScriptChecksTest, AMissingAvisynthMarksNothingAndSaysHowToGetIt) {
  checks.start(options("/nonexistent/libavisynth.so"), "/s/", lines);
  ASSERT_TRUE(runUntil([&] { return checks.unavailable(); }));
  EXPECT_EQ(checks.mark(1), Mark::None);
  EXPECT_EQ(checks.tip(1), "");
  EXPECT_EQ(checks.status().rfind("AviSynth+ is not available: ", 0), 0u);
  EXPECT_NE(checks.status().find(avisynthHint()), std::string::npos);
}

// A helper that cannot bound itself is told once a session: with the status
// of the run that learned it, the reason in full in the tip; not where
// nothing was checked.
TEST_F(CreatedScriptChecksTest, UnconfinedIsSaidWithTheFirstRunThatLearnsIt) {
  struct Run {
    const char* library;
    const char* helper;
    bool said;
  };
  const std::string why = "the check runs unconfined: no Landlock in this kernel";
  const Run runs[] = {
      {"/nonexistent/libavisynth.so", CLIPQUILL_UNCONFINED_HELPER, false},  // nothing checked
      {CLIPQUILL_FAKE_AVISYNTH, CLIPQUILL_CHECK_HELPER, false},  // this machine's own bounds
      {CLIPQUILL_FAKE_AVISYNTH, CLIPQUILL_UNCONFINED_HELPER, true},
      {CLIPQUILL_FAKE_AVISYNTH, CLIPQUILL_UNCONFINED_HELPER, false},  // said already
  };
  for (const Run& run : runs) {
    CheckerOptions o = options(run.library);
    o.helper = run.helper;
    checks.start(o, "/s/", {"Script(s) Created:", "a.avs"});
    ASSERT_TRUE(runUntil([&] { return checks.finished() || checks.unavailable(); }));
    runUntil([&] { return posted.empty(); });
    if (run.helper == std::string(CLIPQUILL_CHECK_HELPER) &&
        checks.status().find("(unconfined)") != std::string::npos) {
      GTEST_SKIP() << "this machine's helper runs unconfined: " << checks.statusTip();
    }
    const bool said = checks.status().ends_with(" (unconfined)");
    EXPECT_EQ(said, run.said) << checks.status();
    EXPECT_EQ(checks.statusTip().find(why) != std::string::npos, run.said) << checks.statusTip();
    const std::string status =
        said ? checks.status().substr(0, checks.status().size() - 13) : checks.status();
    EXPECT_EQ(checks.statusTip().rfind(status + (said ? "\n" : ""), 0), 0u) << checks.statusTip();
    // Which AviSynth+ checked, and from where, wherever one did.
    EXPECT_EQ(checks.statusTip().find("\nChecked with ") != std::string::npos,
              run.library != std::string("/nonexistent/libavisynth.so"))
        << checks.statusTip();
  }
}

// A run's late results never land on the next run's list.
TEST_F(CreatedScriptChecksTest, ANewRunDropsTheOldOnesResults) {
  checks.start(options(CLIPQUILL_FAKE_AVISYNTH, 30s), "/s/",
               {"Script(s) Created:", "a.avs", "hang.avs"});
  ASSERT_TRUE(runUntil([&] { return checks.mark(1) == Mark::Good; }));
  checks.start(options(CLIPQUILL_FAKE_AVISYNTH), "/s/", {"Script(s) Created:", "crash.avs"});
  ASSERT_TRUE(runUntil([&] { return checks.mark(1) == Mark::Failed; }));
  EXPECT_EQ(checks.mark(2), Mark::None);
  checks.clear();
  runUntil([&] { return posted.empty(); });
  EXPECT_EQ(checks.mark(1), Mark::None);
  EXPECT_EQ(checks.status(), "");
}

}  // namespace
}  // namespace clipquill
