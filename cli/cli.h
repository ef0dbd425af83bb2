// SPDX-License-Identifier: GPL-3.0-or-later
// clipquill-cli: the main window driven from the command line. It starts the
// window's model as the window does, types its options into the fields and
// presses "Create Script(s)" (or lists, shows or saves instead).
#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/paths.h"
#include "core/user_port.h"

namespace clipquill::cli {

// What the program finds around it when it starts. main() reads it from the
// system; the tests make their own.
struct CliEnvironment {
  std::string executablePath;       // the default template is in its folder
  std::string workingFolder;        // relative paths of the command line are read against it
  std::string homeFolder;           // where the clip list starts
  std::string userFolder{};         // the user's own default template is in it
  std::string registryRoot;         // the option flags' folder store; "" for the system's own
  DriveFolderLookup driveFolder{};  // what "D:x" is read against, on Windows
  bool interactive = false;         // a person at a terminal answers the questions
  bool progress = false;            // standard error is a terminal that can show progress
  std::chrono::steady_clock::duration progressAfter = std::chrono::seconds(1);
  // For --desktop: a question put to the user in a window (nothing when no
  // window could ask), the notice at the end, and where the processes
  // started for one selection gather. Unset: asked and told on the terminal.
  std::function<std::optional<Answer>(MessageKind, Buttons, std::string_view)> askInWindow{};
  std::function<void(const std::string& summary, const std::string& body,
                     const std::string& folder)>
      notify{};
  std::string gatherPlace{};
};

// The exit statuses.
inline constexpr int kExitDone = 0;
inline constexpr int kExitError = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitDeclined = 3;
inline constexpr int kExitCheckFailed = 4;  // a script failed the check with AviSynth+

// Runs the command line args (without the program name): results on out,
// messages and questions on err, answers read from in. Returns the exit
// status.
int runCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
           std::ostream& err, const CliEnvironment& env);

}  // namespace clipquill::cli
