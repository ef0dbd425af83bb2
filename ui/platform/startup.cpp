// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/platform/startup.h"

#include "core/constants.h"

namespace clipquill {

namespace {

// Destroys the splash however the block it guards is left.
class SplashGuard {
 public:
  explicit SplashGuard(StartupSteps& steps) : steps_(steps) {}
  SplashGuard(const SplashGuard&) = delete;
  SplashGuard& operator=(const SplashGuard&) = delete;
  ~SplashGuard() { steps_.destroySplash(); }

 private:
  StartupSteps& steps_;
};

}  // namespace

std::string splashVersionText() {
  return "Version: " + std::string(kVersion);
}

std::string splashLoadingCaption() {
  return std::string(kAppTitle) + " now loading...";
}

std::string splashLoadedCaption() {
  return std::string(kAppTitle) + " loaded!";
}

int runStartup(StartupSteps& steps) {
  steps.setApplicationTitle(kAppTitle);
  {
    const SplashGuard guard(steps);
    steps.createSplash();
    steps.showSplash();
    int position = 1;
    steps.setProgress(position);
    for (const StartupWindow window : kStartupWindows) {
      steps.repaintSplash();
      steps.createWindow(window);
      steps.setProgress(++position);
    }
    steps.setSplashCaption(splashLoadedCaption());
    steps.repaintSplash();
    steps.showMainWindow();
    steps.wait(kSplashLinger);
  }
  return steps.runEventLoop();
}

}  // namespace clipquill
