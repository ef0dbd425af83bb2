// SPDX-License-Identifier: GPL-3.0-or-later
// The program's start-up, apart from the toolkit: the splash window with its
// progress bar while the six windows are created, the main window shown, the
// splash destroyed, then the event loop. The window side supplies the steps;
// the order, the progress positions and the clean-up live here, where a test
// can follow them without a display.
#pragma once

#include <array>
#include <chrono>
#include <string>
#include <string_view>

namespace clipquill {

// The windows start-up creates, in the order it creates them. Each lives
// until the program ends and is reused for every showing.
enum class StartupWindow { Main, FolderPicker, About, Using, NewFolder, FilterEditor };
inline constexpr std::array<StartupWindow, 6> kStartupWindows{
    StartupWindow::Main,  StartupWindow::FolderPicker, StartupWindow::About,
    StartupWindow::Using, StartupWindow::NewFolder,    StartupWindow::FilterEditor,
};

// The progress bar's range: one step for the splash itself, one per window.
inline constexpr int kStartupProgressMax = 1 + static_cast<int>(kStartupWindows.size());
// How long start-up waits, at most, for the window system to put the splash
// on the screen before the work begins: a window manager maps it a moment
// after it is shown, and until then nothing drawn reaches the screen.
inline constexpr std::chrono::milliseconds kSplashExposeBound{1500};
// How long the splash stays over the shown main window.
inline constexpr std::chrono::milliseconds kSplashLinger{250};

// The splash window's texts.
std::string splashVersionText();     // "Version: 2.22"
std::string splashLoadingCaption();  // "Clipquill now loading..."
std::string splashLoadedCaption();   // "Clipquill loaded!"

// What start-up asks of the window toolkit, one call per step.
class StartupSteps {
 public:
  virtual ~StartupSteps() = default;
  virtual void setApplicationTitle(std::string_view title) = 0;
  // The splash window, created on its own rather than as the application's
  // main window. Its creation fills its labels and its loading caption.
  virtual void createSplash() = 0;
  // Shows the splash and paints it at once, before any event loop runs,
  // once it is on the screen (waiting kSplashExposeBound at most).
  virtual void showSplash() = 0;
  // Paints the splash at once.
  virtual void repaintSplash() = 0;
  virtual void setProgress(int position) = 0;
  virtual void setSplashCaption(std::string_view caption) = 0;
  virtual void createWindow(StartupWindow window) = 0;
  virtual void showMainWindow() = 0;
  virtual void wait(std::chrono::milliseconds duration) = 0;
  // Must not throw: it runs while an error may be on its way out.
  virtual void destroySplash() noexcept = 0;
  // Runs until the main window has closed; its result is the exit status.
  virtual int runEventLoop() = 0;
};

// Runs start-up to the end of the event loop and returns the loop's result.
// An error escaping a step propagates once the splash is gone, and the loop
// is not run.
int runStartup(StartupSteps& steps);

}  // namespace clipquill
