// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a piece of a test in a child process, for what would end or change
// the test program itself: a kill at a random point, a signal, a limit.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <exception>
#include <functional>
#include <thread>

namespace clipquill::testing {

struct ChildEnd {
  int exitCode = -1;  // when it exited
  int signal = 0;     // when a signal ended it
};

inline ChildEnd waitForChild(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return {};
  }
  if (WIFSIGNALED(status)) return {-1, WTERMSIG(status)};
  return {WEXITSTATUS(status), 0};
}

// Runs body in a child; its result is the child's exit code. The child never
// returns into the test program, whatever body does.
inline pid_t startChild(const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  int code = 99;
  try {
    code = body();
  } catch (...) {
  }
  ::_exit(code);
}

inline ChildEnd runInChild(const std::function<int()>& body) {
  return waitForChild(startChild(body));
}

// Runs body in a child and sends it sig after delay, unless it is done by then.
inline ChildEnd killChildAfter(const std::function<int()>& body, std::chrono::microseconds delay,
                               int sig) {
  const pid_t pid = startChild(body);
  std::this_thread::sleep_for(delay);
  ::kill(pid, sig);
  return waitForChild(pid);
}

}  // namespace clipquill::testing
