// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/platform/startup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/error.h"

namespace clipquill {
namespace {

// In the order of kStartupWindows.
const char* const kWindowNames[] = {"main",  "folder picker", "about",
                                    "using", "new folder",    "filter editor"};

// Records every step as a line. failAt names a step that raises instead; a
// start-up load that fails inside the main window's creation is shown there
// and does not escape, as the window does it.
class RecordingSteps : public StartupSteps {
 public:
  std::vector<std::string> log;
  std::string failAt;
  bool loadFails = false;

  void setApplicationTitle(std::string_view title) override { step("title " + std::string(title)); }
  void createSplash() override { step("create splash"); }
  void showSplash() override { step("show splash"); }
  void repaintSplash() override { step("repaint"); }
  void setProgress(int position) override { step("progress " + std::to_string(position)); }
  void setSplashCaption(std::string_view caption) override {
    step("caption " + std::string(caption));
  }
  void createWindow(StartupWindow window) override {
    step(std::string("create ") + kWindowNames[static_cast<int>(window)]);
    if (window == StartupWindow::Main && loadFails) log.emplace_back("error box");
  }
  void showMainWindow() override { step("show main"); }
  void wait(std::chrono::milliseconds duration) override {
    step("wait " + std::to_string(duration.count()));
  }
  void destroySplash() noexcept override { log.emplace_back("destroy splash"); }
  int runEventLoop() override {
    step("event loop");
    return 7;
  }

 private:
  void step(std::string line) {
    log.push_back(line);
    if (line == failAt) throw Error::fromNumber(kErrAccessDenied);
  }
};

std::vector<std::string> normalRun() {
  std::vector<std::string> run{
      "title Clipquill",
      "create splash",
      "show splash",
      "progress 1",
  };
  int position = 1;
  for (const char* window : kWindowNames) {
    run.emplace_back("repaint");
    run.emplace_back(std::string("create ") + window);
    run.emplace_back("progress " + std::to_string(++position));
  }
  run.insert(run.end(), {"caption Clipquill loaded!", "repaint", "show main", "wait 250",
                         "destroy splash", "event loop"});
  return run;
}

TEST(Startup, CreatesEachWindowInOrderAndFillsTheBarBeforeItsCaptionChanges) {
  RecordingSteps steps;
  EXPECT_EQ(runStartup(steps), 7);
  EXPECT_EQ(steps.log, normalRun());
  EXPECT_EQ(kStartupProgressMax, 7);
  // The last progress position is the bar's maximum, and it comes before the
  // new caption.
  const auto caption = std::find(steps.log.begin(), steps.log.end(), "caption Clipquill loaded!");
  EXPECT_EQ(*(caption - 1), "progress 7");
}

TEST(Startup, AFailingStartupLoadIsShownAndStartupGoesOn) {
  RecordingSteps steps;
  steps.loadFails = true;
  EXPECT_EQ(runStartup(steps), 7);
  std::vector<std::string> expected = normalRun();
  expected.insert(std::find(expected.begin(), expected.end(), "create main") + 1, "error box");
  EXPECT_EQ(steps.log, expected);
}

TEST(Startup, TheSplashGoesOnceWhateverStepFailsAndTheLoopDoesNotRun) {
  for (const char* failing :
       {"create splash", "show splash", "progress 1", "repaint", "create main", "create about",
        "create filter editor", "caption Clipquill loaded!", "show main", "wait 250"}) {
    SCOPED_TRACE(failing);
    RecordingSteps steps;
    steps.failAt = failing;
    EXPECT_THROW(runStartup(steps), Error);
    ASSERT_FALSE(steps.log.empty());
    EXPECT_EQ(steps.log.back(), "destroy splash");
    EXPECT_EQ(std::count(steps.log.begin(), steps.log.end(), "destroy splash"), 1);
    EXPECT_EQ(std::count(steps.log.begin(), steps.log.end(), "event loop"), 0);
  }
}

}  // namespace
}  // namespace clipquill
