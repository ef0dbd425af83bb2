// SPDX-License-Identifier: GPL-3.0-or-later
// What the desktop's "Make AviSynth scripts" needs of the system beyond the
// batch itself, one file per system (desktop_batch_posix.cpp,
// desktop_batch_win32.cpp): the processes a desktop starts for one
// selection gathered into one run, and the window program started for a
// question or a notification.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace clipquill::cli {

// The leader of a gathering: the process whose run takes the clips other
// processes of the same user hand over while it lasts. Gone with it, the
// next process to come leads a gathering of its own.
class ClipGather {
 public:
  virtual ~ClipGather() = default;
  // The paths handed over until none has come for quiet since the last
  // (or since the gathering began), each process's in its order, processes
  // in the order they came; after `bound` whatever has come.
  virtual std::vector<std::string> collect(std::chrono::milliseconds quiet,
                                           std::chrono::milliseconds bound) = 0;
  // Stops taking paths; those taken since the last collect, which the run
  // still owes its scripts.
  virtual std::vector<std::string> finish() = 0;
};

// Hands paths to the process leading a gathering at place (returns nullptr:
// they are its now), or leads one (returns it). A leader that cannot be
// reached or made leaves this process to run alone, never to lose the paths.
std::unique_ptr<ClipGather> joinOrLeadGather(const std::vector<std::string>& paths,
                                             const std::string& place);
// The place of this user's gathering: a name in the user's runtime folder.
std::string userGatherPlace();

// Runs the program at path with args. wait: waits for it and returns its
// exit status (-1 when it could not be started or did not exit); otherwise
// leaves it running on its own and returns 0 (-1 when it could not start).
int runProgram(const std::string& path, const std::vector<std::string>& args, bool wait);

// The window program beside the command line.
std::string windowProgramBeside(const std::string& executablePath);

}  // namespace clipquill::cli
