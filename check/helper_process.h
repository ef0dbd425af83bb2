// SPDX-License-Identifier: GPL-3.0-or-later
// The checking helper process as each system starts, feeds and ends it: the
// one part of the check that differs between systems (a socket pair and
// posix_spawn on POSIX; CreateProcessW, a pipe and a job object on Windows).
// What travels over the channel, and when a script's time is up, is the
// checker's business (script_checker.cpp), the same everywhere.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clipquill::helper {

using Clock = std::chrono::steady_clock;

enum class ReadEnd { Done, Closed, TimedOut };

// What the helper may take; zero: no bound.
struct Limits {
  std::size_t memoryBytes = 0;
};

// The checker's side: one running helper and the channel to it.
class Process {
 public:
  // Starts `program --avisynth-check-helper library arguments...`; nullptr
  // with the reason in `why` when it cannot be started.
  static std::unique_ptr<Process> start(const std::string& program, const std::string& library,
                                        const Limits& limits, std::string& why,
                                        const std::vector<std::string>& arguments = {});
  // Ends the helper, idle or stuck, and reaps it.
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // False when the helper is gone. Never blocks for long: the checker sends
  // no more than the channel holds.
  bool send(std::string_view bytes);
  // Reads exactly `size` bytes, waiting until `deadline` (for ever when
  // nullopt).
  ReadEnd read(void* buffer, std::size_t size, std::optional<Clock::time_point> deadline);
  // From any thread, while the object lives: ends the helper at once.
  void kill();
  // Once the channel closed: waits a moment for the helper's end and says
  // how it came, such as "signal 11, Segmentation fault"; "" when unknown.
  std::string howItEnded();

  struct State;

 private:
  explicit Process(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

// The helper's side, in the helper process.

// The library argument when this process was started as the helper;
// nullopt otherwise.
std::optional<std::string> helperLibrary(int argc, char** argv);
// The helper's arguments after the library, as UTF-8.
std::vector<std::string> helperArguments(int argc, char** argv);
// Takes the channel to the checker, and sets the process up to run scripts
// that may crash or print: nothing they print may reach the channel.
void openChannel();
bool sendToChecker(std::string_view bytes);
ReadEnd readFromChecker(void* buffer, std::size_t size);
// Ends the helper without static destructors: AviSynth+'s own may race its
// worker threads, and nothing here needs flushing.
[[noreturn]] void endHelper();

// This very program, to start as the helper.
std::string thisProgram();

}  // namespace clipquill::helper
