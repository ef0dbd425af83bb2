// SPDX-License-Identifier: GPL-3.0-or-later
// The gathering through a lock file and a Unix socket in the user's runtime
// folder, and programs started with posix_spawn.
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>

#include "cli/desktop_batch.h"

extern char** environ;

namespace clipquill::cli {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// How long a process waiting for the leader tries before it runs alone: a
// leader that is starting up is listening within milliseconds.
constexpr auto kJoinBound = 5s;
// How long a handing-over may take once connected.
constexpr int kTransferMs = 5000;

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    reset(std::exchange(other.fd_, -1));
    return *this;
  }
  ~Fd() { reset(); }
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

bool socketAddress(const std::string& path, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

bool waitFor(int fd, short events, int ms) {
  pollfd p{fd, events, 0};
  int r;
  do {
    r = ::poll(&p, 1, ms);
  } while (r < 0 && errno == EINTR);
  return r > 0;
}

// Reads what one process hands over: its paths, each ended by a NUL, until
// it closes its side. False when it stopped short.
bool readPaths(int fd, std::vector<std::string>& paths) {
  std::string bytes;
  char buffer[65536];
  for (;;) {
    if (!waitFor(fd, POLLIN, kTransferMs)) return false;
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  if (!bytes.empty() && bytes.back() != '\0') return false;
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t end = bytes.find('\0', at);
    paths.push_back(bytes.substr(at, end - at));
    at = end + 1;
  }
  return true;
}

bool writeAll(int fd, const std::string& bytes) {
  for (std::size_t at = 0; at < bytes.size();) {
    if (!waitFor(fd, POLLOUT, kTransferMs)) return false;
    const ssize_t n = ::send(fd, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    at += static_cast<std::size_t>(n);
  }
  return true;
}

// Takes what other processes hand over on a thread of its own, so that
// none waits while the leader's run writes scripts or a question waits for
// the user.
class Leader final : public ClipGather {
 public:
  Leader(Fd lock, Fd listener, std::string socketPath)
      : lock_(std::move(lock)), listener_(std::move(listener)), socketPath_(std::move(socketPath)) {
    if (listener_.get() >= 0) taker_ = std::thread([this] { take(); });
  }
  ~Leader() override {
    finish();
    lock_.reset();
  }

  std::vector<std::string> collect(std::chrono::milliseconds quiet,
                                   std::chrono::milliseconds bound) override {
    const Clock::time_point end = Clock::now() + bound;
    std::unique_lock<std::mutex> hold(mutex_);
    for (;;) {
      const Clock::time_point until = std::min(lastArrival_ + quiet, end);
      if (stopped_ || Clock::now() >= until) break;
      arrived_.wait_until(hold, until);
    }
    return std::exchange(taken_, {});
  }

  std::vector<std::string> finish() override {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      stopped_ = true;
    }
    if (taker_.joinable()) taker_.join();
    // No one may hand clips to a run that has ended: the socket goes now, the
    // lock with the leader, and a process caught between them tries again.
    if (listener_.get() >= 0) ::unlink(socketPath_.c_str());
    listener_.reset();
    std::lock_guard<std::mutex> hold(mutex_);
    return std::exchange(taken_, {});
  }

 private:
  void take() {
    for (;;) {
      {
        std::lock_guard<std::mutex> hold(mutex_);
        if (stopped_) return;
      }
      if (!waitFor(listener_.get(), POLLIN, 50)) continue;
      Fd peer(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
      if (peer.get() < 0) continue;
      std::vector<std::string> handed;
      if (!readPaths(peer.get(), handed)) continue;
      std::lock_guard<std::mutex> hold(mutex_);
      // Taken only when still gathering, and said so: a process not told
      // keeps its clips and tries again.
      if (stopped_ || !writeAll(peer.get(), std::string(1, '\1'))) continue;
      taken_.insert(taken_.end(), handed.begin(), handed.end());
      lastArrival_ = Clock::now();
      arrived_.notify_all();
    }
  }

  Fd lock_;
  Fd listener_;
  std::string socketPath_;
  std::thread taker_;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<std::string> taken_;
  Clock::time_point lastArrival_ = Clock::now();
  bool stopped_ = false;
};

// Hands paths over to the leader listening at socketPath; true once it said
// it took them.
bool handOver(const std::string& socketPath, const std::vector<std::string>& paths) {
  sockaddr_un address;
  if (!socketAddress(socketPath, address)) return false;
  Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (fd.get() < 0) return false;
  if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return false;
  std::string bytes;
  for (const std::string& path : paths)
    bytes.append(path).push_back('\0');
  if (!writeAll(fd.get(), bytes) || ::shutdown(fd.get(), SHUT_WR) != 0) return false;
  char ack = 0;
  return waitFor(fd.get(), POLLIN, kTransferMs) && ::read(fd.get(), &ack, 1) == 1 && ack == '\1';
}

}  // namespace

std::string userGatherPlace() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/clipquill-clips";
  return "/tmp/clipquill-clips-" + std::to_string(::getuid());
}

std::unique_ptr<ClipGather> joinOrLeadGather(const std::vector<std::string>& paths,
                                             const std::string& place) {
  const std::string lockPath = place + ".lock";
  const std::string socketPath = place + ".socket";
  const Clock::time_point end = Clock::now() + kJoinBound;
  while (Clock::now() < end) {
    Fd lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (lock.get() < 0) break;
    if (::flock(lock.get(), LOCK_EX | LOCK_NB) == 0) {
      sockaddr_un address;
      Fd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
      ::unlink(socketPath.c_str());  // a crashed leader's
      if (listener.get() < 0 || !socketAddress(socketPath, address) ||
          ::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
          ::listen(listener.get(), SOMAXCONN) != 0) {
        listener.reset();  // leads alone
      }
      return std::make_unique<Leader>(std::move(lock), std::move(listener), socketPath);
    }
    lock.reset();
    if (handOver(socketPath, paths)) return nullptr;
    std::this_thread::sleep_for(5ms);
  }
  // No gathering to be had: this process runs its own clips.
  return std::make_unique<Leader>(Fd(), Fd(), socketPath);
}

int runProgram(const std::string& path, const std::vector<std::string>& args, bool wait) {
  std::vector<char*> argv;
  std::string program = path;
  argv.push_back(program.data());
  std::vector<std::string> copies(args);
  for (std::string& arg : copies)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
  if (!wait) return 0;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string windowProgramBeside(const std::string& executablePath) {
  const std::size_t slash = executablePath.rfind('/');
  return (slash == std::string::npos ? std::string() : executablePath.substr(0, slash + 1)) +
         "clipquill";
}

}  // namespace clipquill::cli
