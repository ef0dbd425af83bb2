// SPDX-License-Identifier: GPL-3.0-or-later
// The helper on POSIX: started with posix_spawn, its channel a socket pair,
// the helper's end as descriptor 3: a socket, so that writing to a helper
// that died fails with EPIPE instead of killing the window with SIGPIPE.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "check/helper_process.h"
#include "check/script_checker.h"

extern char** environ;

namespace clipquill::helper {

struct Process::State {
  pid_t pid = -1;
  int socket = -1;
  bool reaped = false;
};

namespace {

constexpr int kHelperFd = 3;

bool sendAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

ReadEnd readAll(int fd, void* buffer, std::size_t size, std::optional<Clock::time_point> deadline) {
  auto* p = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    int wait = -1;
    if (deadline) {
      auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
      if (left <= 0) return ReadEnd::TimedOut;
      wait = static_cast<int>(std::min<long long>(left, INT_MAX));
    }
    pollfd pfd{fd, POLLIN, 0};
    int ready = ::poll(&pfd, 1, wait);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return ReadEnd::Closed;
    if (ready == 0) continue;  // the deadline is looked at again above
    ssize_t n = ::recv(fd, p + done, size - done, 0);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return ReadEnd::Closed;
    done += static_cast<std::size_t>(n);
  }
  return ReadEnd::Done;
}

}  // namespace

std::unique_ptr<Process> Process::start(const std::string& program, const std::string& library,
                                        const Limits&, std::string& why,
                                        const std::vector<std::string>& arguments) {
  int pair[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
    why = std::string("cannot start the check: ") + std::strerror(errno);
    return nullptr;
  }
  // Above the descriptors the child's file actions write to, so that no
  // action clobbers another's source.
  int childEnd = ::fcntl(pair[1], F_DUPFD_CLOEXEC, 10);
  ::close(pair[1]);
  // Big enough that a 1080p frame crosses in a few large writes rather than
  // in many that wake the other side each time.
  constexpr int kSocketBuffer = 4 << 20;
  for (int fd : {pair[0], childEnd}) {
    ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &kSocketBuffer, sizeof kSocketBuffer);
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &kSocketBuffer, sizeof kSocketBuffer);
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, childEnd, kHelperFd);
  std::string programArg = program;
  std::string libraryArg = library;
  std::vector<std::string> more = arguments;
  std::vector<char*> argv = {programArg.data(), const_cast<char*>(kCheckHelperFlag),
                             libraryArg.data()};
  for (std::string& arg : more)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  int rc = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(childEnd);
  if (rc != 0) {
    ::close(pair[0]);
    why = "cannot start " + program + ": " + std::strerror(rc);
    return nullptr;
  }
  auto state = std::make_unique<State>();
  state->pid = pid;
  state->socket = pair[0];
  return std::unique_ptr<Process>(new Process(std::move(state)));
}

Process::Process(std::unique_ptr<State> state) : state_(std::move(state)) {}

Process::~Process() {
  ::close(state_->socket);
  if (!state_->reaped) {
    ::kill(state_->pid, SIGKILL);
    while (::waitpid(state_->pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
}

bool Process::send(std::string_view bytes) {
  return sendAll(state_->socket, bytes);
}

ReadEnd Process::read(void* buffer, std::size_t size, std::optional<Clock::time_point> deadline) {
  return readAll(state_->socket, buffer, size, deadline);
}

void Process::kill() {
  // Not reaped before the destructor, so the pid is still ours.
  if (!state_->reaped) ::kill(state_->pid, SIGKILL);
}

std::string Process::howItEnded() {
  int status = 0;
  pid_t done = 0;
  // The socket closing means the helper is on its way out; give it a moment.
  for (int i = 0; i < 100 && done == 0; ++i) {
    done = ::waitpid(state_->pid, &status, WNOHANG);
    if (done == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (done != state_->pid) return "";
  state_->reaped = true;
  if (WIFSIGNALED(status)) {
    int sig = WTERMSIG(status);
    return "signal " + std::to_string(sig) + ", " + strsignal(sig);
  }
  if (WIFEXITED(status)) {
    return "the check ended with status " + std::to_string(WEXITSTATUS(status));
  }
  return "";
}

std::optional<std::string> helperLibrary(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], kCheckHelperFlag) != 0) return std::nullopt;
  return std::string(argc > 2 ? argv[2] : "");
}

std::vector<std::string> helperArguments(int argc, char** argv) {
  return argc > 3 ? std::vector<std::string>(argv + 3, argv + argc) : std::vector<std::string>();
}

void openChannel() {
#ifdef __linux__
  // A helper left looping by a checker that died would spin for ever.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
}

bool sendToChecker(std::string_view bytes) {
  return sendAll(kHelperFd, bytes);
}

ReadEnd readFromChecker(void* buffer, std::size_t size) {
  return readAll(kHelperFd, buffer, size, std::nullopt);
}

void endHelper() {
  ::_exit(0);
}

std::string thisProgram() {
  std::error_code ec;
  auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("/proc/self/exe") : self.string();
}

}  // namespace clipquill::helper
