// SPDX-License-Identifier: GPL-3.0-or-later
// The checker and its helper talk over a socket pair, the helper's end as
// descriptor 3: a socket, so that writing to a helper that died fails with
// EPIPE instead of killing the window with SIGPIPE. Every message is a few
// fixed fields and length-counted bytes (a path may hold a line end).
//
//   helper -> checker, once:   u8 loaded, u32 n, n bytes (version or reason),
//                              u32 n, n bytes (what the sandbox could not bound)
//   checker -> helper:         u32 n, n bytes (the script's absolute path),
//                              i32 frame (the frame to render; -1: none)
//   helper -> checker:         u8 status, i32 line, i32 column, u32 n, n bytes,
//                              u8 flags, u32 n, n bytes (the clip's properties;
//                              none when n is 0), u32 n, n bytes (the frame's
//                              picture but its pixels; none when n is 0), and
//                              the pixels when it is a picture
//                              (width x height x 4 bytes)
//
// A flag kHelperSpent says the helper ended after that answer (it ran out of
// memory, and what AviSynth+ holds may be broken): the scripts sent ahead go
// to a new helper.
//
// The helper's arguments after the library: "--plugins DIR" per folder of
// plugins to load, "--writable DIR" per folder it may write beneath,
// "--temp DIR" its private temporary folder, "--memory BYTES" its bound;
// "--unbounded", last, leaves the sandbox out.
#include "check/script_checker.h"

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
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <thread>
#include <vector>

#include "check/avisynth_library.h"
#include "check/sandbox.h"

extern char** environ;

namespace clipquill {
namespace {

constexpr int kHelperFd = 3;
// Longer than any path the system accepts; a longer count is a broken peer.
constexpr std::uint32_t kMaxText = 1u << 20;
// Big enough that a 1080p frame crosses in a few large writes rather than
// in many that wake the other side each time.
constexpr int kSocketBuffer = 4 << 20;
// How far requests run ahead of the answers: far enough that the helper
// never waits, within what a socket buffers.
constexpr std::size_t kWindowScripts = 32;
constexpr std::size_t kWindowBytes = 64 * 1024;
constexpr unsigned char kHelperSpent = 1;
constexpr const char* kPluginsFlag = "--plugins";
constexpr const char* kWritableFlag = "--writable";
constexpr const char* kTempFlag = "--temp";
constexpr const char* kMemoryFlag = "--memory";
constexpr const char* kUnboundedFlag = "--unbounded";

using Clock = std::chrono::steady_clock;

void putU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}
void putText(std::string& out, const std::string& text) {
  putU32(out, static_cast<std::uint32_t>(text.size()));
  out += text;
}
std::uint32_t getU32(const unsigned char* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

bool sendAll(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::send(fd, bytes + done, size - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool sendAll(int fd, const std::string& bytes) {
  return sendAll(fd, bytes.data(), bytes.size());
}

enum class ReadEnd { Done, Closed, TimedOut };

// Reads exactly size bytes, waiting until deadline (for ever when nullopt).
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

ReadEnd readText(int fd, std::string& text, std::optional<Clock::time_point> deadline) {
  unsigned char count[4];
  if (ReadEnd end = readAll(fd, count, 4, deadline); end != ReadEnd::Done) return end;
  std::uint32_t n = getU32(count);
  if (n > kMaxText) return ReadEnd::Closed;
  text.resize(n);
  return readAll(fd, text.data(), n, deadline);
}

std::string describeLimit(std::chrono::milliseconds limit) {
  if (limit.count() % 1000 == 0) return std::to_string(limit.count() / 1000) + " s";
  return std::to_string(limit.count()) + " ms";
}

// The request for one script: its absolute path, as AviSynth+ changes the
// helper's working folder while it imports.
std::string encodeRequest(const std::string& path, int frame) {
  std::error_code ec;
  std::string absolute = std::filesystem::absolute(path, ec).string();
  std::string request;
  putText(request, ec ? path : absolute);
  putU32(request, static_cast<std::uint32_t>(frame));
  return request;
}

std::string thisProgram() {
  std::error_code ec;
  auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("/proc/self/exe") : self.string();
}

// The helper's settings, read back from its arguments.
struct HelperArguments {
  std::string library;
  std::vector<std::string> pluginFolders;
  std::vector<std::string> writableFolders;
  std::string temp;
  std::uint64_t memoryBytes = 0;
  bool sandbox = true;
};

HelperArguments readHelperArguments(int argc, char** argv) {
  HelperArguments args;
  if (argc > 2) args.library = argv[2];
  // Past the pairs alone, so that no folder's name can stand for it.
  if (argc > 3 && (argc - 3) % 2 == 1 && std::strcmp(argv[argc - 1], kUnboundedFlag) == 0) {
    args.sandbox = false;
  }
  for (int i = 3; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], kPluginsFlag) == 0) args.pluginFolders.emplace_back(argv[i + 1]);
    if (std::strcmp(argv[i], kWritableFlag) == 0) args.writableFolders.emplace_back(argv[i + 1]);
    if (std::strcmp(argv[i], kTempFlag) == 0) args.temp = argv[i + 1];
    if (std::strcmp(argv[i], kMemoryFlag) == 0)
      args.memoryBytes = std::strtoull(argv[i + 1], nullptr, 10);
  }
  return args;
}

[[noreturn]] void runHelper(const HelperArguments& args) {
#ifdef __linux__
  // A helper left looping by a checker that died would spin for ever.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
  // Bounded before AviSynth+ or any plugin is loaded: from here on, what a
  // script runs runs inside the bounds.
  SandboxRules rules{args.writableFolders, args.memoryBytes};
  if (!args.temp.empty()) {
    rules.writableFolders.push_back(args.temp);
    ::setenv("TMPDIR", args.temp.c_str(), 1);
  }
  const SandboxState sandbox = args.sandbox ? enterSandbox(rules) : SandboxState{};
  std::string why;
  auto avisynth = AvisynthLibrary::load(args.library, why);
  if (avisynth) avisynth->setPluginFolders(args.pluginFolders);
  std::string hello(1, avisynth ? '\1' : '\0');
  putText(hello, avisynth ? avisynth->version() : why);
  putText(hello, sandbox.unconfined);
  if (!sendAll(kHelperFd, hello) || !avisynth) ::_exit(0);
  std::string path;
  unsigned char frameField[4];
  while (readText(kHelperFd, path, std::nullopt) == ReadEnd::Done &&
         readAll(kHelperFd, frameField, 4, std::nullopt) == ReadEnd::Done) {
    const int frame = static_cast<int>(getU32(frameField));
    ScriptCheck result;
    bool spent = false;
    try {
      result = avisynth->importScript(path, frame);
    } catch (const std::bad_alloc&) {
      result = ScriptCheck{CheckStatus::Failed, "out of memory", 0, 0};
    }
    // What AviSynth+ holds after a failed allocation is not to be trusted:
    // this helper answers and ends, and the next script gets a new one.
    if (result.status == CheckStatus::Failed && saysOutOfMemory(result.message)) {
      spent = true;
      if (result.message != "out of memory") result.message = "out of memory: " + result.message;
    }
    std::string answer(1, static_cast<char>(result.status));
    putU32(answer, static_cast<std::uint32_t>(result.line));
    putU32(answer, static_cast<std::uint32_t>(result.column));
    putText(answer, result.message);
    answer.push_back(spent ? static_cast<char>(kHelperSpent) : 0);
    putText(answer, result.clip ? encodeClipInfo(*result.clip) : std::string());
    putText(answer, result.picture ? encodeFrameHeader(*result.picture) : std::string());
    if (!sendAll(kHelperFd, answer)) break;
    if (result.picture && result.picture->ok() &&
        !sendAll(kHelperFd, result.picture->bgra.data(), result.picture->bgra.size())) {
      break;
    }
    if (spent) break;
  }
  // No static destructors: AviSynth+'s own may race its worker threads, and
  // nothing here needs flushing.
  ::_exit(0);
}

}  // namespace

void runCheckHelperIfAsked(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], kCheckHelperFlag) != 0) return;
  runHelper(readHelperArguments(argc, argv));
}

ScriptChecker::ScriptChecker(CheckerOptions options)
    : options_(std::move(options)), frame_(options_.frame) {
  if (options_.helper.empty()) options_.helper = thisProgram();
}

ScriptChecker::~ScriptChecker() {
  stop();
}

void ScriptChecker::stop() {
  if (socket_ >= 0) ::close(socket_);
  socket_ = -1;
  std::lock_guard lock(helperMutex_);
  if (pid_ > 0) {
    // Idle or stuck, the helper has nothing left worth waiting for.
    ::kill(pid_, SIGKILL);
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  pid_ = -1;
  removeTemp();
}

void ScriptChecker::removeTemp() {
  if (temp_.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(temp_, ec);
  temp_.clear();
}

void ScriptChecker::abort() {
  aborted_ = true;
  std::lock_guard lock(helperMutex_);
  // Not yet reaped (that happens under the lock), so the pid is still ours.
  if (pid_ > 0) ::kill(pid_, SIGKILL);
}

bool ScriptChecker::start() {
  if (aborted_) return false;
  if (pid_ > 0) return true;
  if (available_ == false) return false;

  int pair[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
    detail_ = std::string("cannot start the check: ") + std::strerror(errno);
    return false;
  }
  // Above the descriptors the child's file actions write to, so that no
  // action clobbers another's source.
  int childEnd = ::fcntl(pair[1], F_DUPFD_CLOEXEC, 10);
  ::close(pair[1]);
  for (int fd : {pair[0], childEnd}) {
    ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &kSocketBuffer, sizeof kSocketBuffer);
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &kSocketBuffer, sizeof kSocketBuffer);
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, childEnd, kHelperFd);
  // The helper's own temporary folder, emptied and removed with it.
  removeTemp();
  const char* tmp = std::getenv("TMPDIR");
  std::string temp =
      std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/clipquill-check-XXXXXX";
  if (::mkdtemp(temp.data()) != nullptr) temp_ = temp;
  std::string memory =
      std::to_string(options_.memoryBytes > 0 ? options_.memoryBytes : defaultMemoryBound());
  std::vector<char*> argv = {options_.helper.data(), const_cast<char*>(kCheckHelperFlag),
                             options_.library.data()};
  const auto add = [&](const char* flag, std::string& value) {
    argv.push_back(const_cast<char*>(flag));
    argv.push_back(value.data());
  };
  for (std::string& folder : options_.pluginFolders)
    add(kPluginsFlag, folder);
  for (std::string& folder : options_.writableFolders)
    add(kWritableFlag, folder);
  if (!temp_.empty()) add(kTempFlag, temp_);
  add(kMemoryFlag, memory);
  // Last, alone: the pairs above are read two by two.
  if (!options_.sandbox) argv.push_back(const_cast<char*>(kUnboundedFlag));
  argv.push_back(nullptr);
  pid_t pid = -1;
  int rc = ::posix_spawn(&pid, options_.helper.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(childEnd);
  if (rc != 0) {
    ::close(pair[0]);
    available_ = false;
    detail_ = "cannot start " + options_.helper + ": " + std::strerror(rc);
    return false;
  }
  socket_ = pair[0];
  {
    std::lock_guard lock(helperMutex_);
    pid_ = pid;
    // An abort() that came before pid_ was set did not see this helper.
    if (aborted_) ::kill(pid_, SIGKILL);
  }

  const auto deadline = Clock::now() + options_.timeLimit;
  unsigned char loaded = 0;
  std::string text;
  std::string unconfined;
  ReadEnd end = readAll(socket_, &loaded, 1, deadline);
  if (end == ReadEnd::Done) end = readText(socket_, text, deadline);
  if (end == ReadEnd::Done) end = readText(socket_, unconfined, deadline);
  if (end != ReadEnd::Done) {
    stop();
    available_ = false;
    detail_ = end == ReadEnd::TimedOut
                  ? "AviSynth+ did not load within " + describeLimit(options_.timeLimit)
                  : "the check's helper " + options_.helper + " ended while loading AviSynth+";
    return false;
  }
  available_ = loaded != 0;
  detail_ = std::move(text);
  unconfined_ = std::move(unconfined);
  if (!*available_) stop();
  return *available_;
}

bool ScriptChecker::available(std::string* detail) {
  bool ok = start();
  if (detail != nullptr) *detail = detail_;
  return ok;
}

ScriptCheck ScriptChecker::helperEnded(const char* during) {
  int status = 0;
  pid_t done = 0;
  {
    std::lock_guard lock(helperMutex_);
    // The socket closing means the helper is on its way out; give it a moment.
    for (int i = 0; i < 100 && done == 0; ++i) {
      done = ::waitpid(pid_, &status, WNOHANG);
      if (done == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (done == pid_) pid_ = -1;
  }
  std::string message;
  if (done > 0 && WIFSIGNALED(status)) {
    int sig = WTERMSIG(status);
    message = "crashed " + std::string(during) + " (signal " + std::to_string(sig) + ", " +
              strsignal(sig) + ")";
  } else if (done > 0 && WIFEXITED(status)) {
    message = "crashed " + std::string(during) + " (the check ended with status " +
              std::to_string(WEXITSTATUS(status)) + ")";
  } else {
    message = "crashed " + std::string(during);
  }
  stop();
  return ScriptCheck{CheckStatus::Crashed, std::move(message), 0, 0};
}

ScriptCheck ScriptChecker::render(const std::string& path, int frame) {
  const int asked = frame_;
  frame_ = frame;
  ScriptCheck result = check(path);
  frame_ = asked;
  return result;
}

ScriptCheck ScriptChecker::check(const std::string& path) {
  ScriptCheck result{CheckStatus::Unavailable, "the check was stopped", 0, 0};
  checkAll(std::span(&path, 1), [&](std::size_t, ScriptCheck check) { result = std::move(check); });
  return result;
}

void ScriptChecker::checkAll(std::span<const std::string> paths, const Report& report) {
  // Requests sent ahead: their sizes, and how far the window is filled.
  std::deque<std::size_t> inFlight;
  std::size_t inFlightBytes = 0;
  std::size_t next = 0;  // the next script to send
  Clock::time_point headStarted;
  auto lostHelper = [&](std::size_t head) {
    inFlight.clear();
    inFlightBytes = 0;
    next = head + 1;
  };

  for (std::size_t head = 0; head < paths.size();) {
    if (aborted_) return;
    if (inFlight.empty()) {
      // A helper that died while idle is replaced once before the script
      // counts as the one that crashed it.
      bool sent = false;
      for (int attempt = 0; attempt < 2 && !sent; ++attempt) {
        if (!start()) {
          if (aborted_) return;
          for (; head < paths.size(); ++head)
            report(head, {CheckStatus::Unavailable, detail_, 0, 0});
          return;
        }
        const std::string request = encodeRequest(paths[head], frame_);
        sent = sendAll(socket_, request);
        if (sent) {
          inFlight.push_back(request.size());
          inFlightBytes = request.size();
          next = head + 1;
        } else {
          stop();
        }
      }
      if (!sent) {
        report(head, {CheckStatus::Crashed, "crashed before the check began", 0, 0});
        ++head;
        continue;
      }
      headStarted = Clock::now();
    }
    // The helper is kept fed, so that it never waits for this side between
    // two scripts; within what the socket holds, so that no send blocks.
    while (next < paths.size() && inFlight.size() < kWindowScripts) {
      const std::string request = encodeRequest(paths[next], frame_);
      if (inFlightBytes + request.size() > kWindowBytes || !sendAll(socket_, request)) break;
      inFlight.push_back(request.size());
      inFlightBytes += request.size();
      ++next;
    }

    // The helper starts on a script as soon as it answered the one before.
    const auto deadline = headStarted + options_.timeLimit;
    unsigned char fields[9];
    std::string message;
    unsigned char flags = 0;
    std::string clip;
    ReadEnd end = readAll(socket_, fields, sizeof fields, deadline);
    if (end == ReadEnd::Done) end = readText(socket_, message, deadline);
    if (end == ReadEnd::Done) end = readAll(socket_, &flags, 1, deadline);
    if (end == ReadEnd::Done) end = readText(socket_, clip, deadline);
    std::string pictureHeader;
    if (end == ReadEnd::Done) end = readText(socket_, pictureHeader, deadline);
    std::optional<FramePicture> picture;
    if (end == ReadEnd::Done && !pictureHeader.empty()) {
      picture = decodeFrameHeader(pictureHeader);
      if (!picture) {
        end = ReadEnd::Closed;  // a broken peer
      } else if (picture->ok()) {
        picture->bgra.resize(static_cast<std::size_t>(picture->width) * picture->height * 4);
        end = readAll(socket_, picture->bgra.data(), picture->bgra.size(), deadline);
      }
    }
    if (end == ReadEnd::TimedOut) {
      stop();
      lostHelper(head);
      report(head,
             {CheckStatus::TimedOut, "timed out after " + describeLimit(options_.timeLimit), 0, 0});
      ++head;
      continue;
    }
    if (end == ReadEnd::Closed) {
      ScriptCheck ended = helperEnded("while AviSynth+ imported the script");
      lostHelper(head);
      if (aborted_) return;
      report(head, std::move(ended));
      ++head;
      continue;
    }
    headStarted = Clock::now();
    inFlightBytes -= inFlight.front();
    inFlight.pop_front();
    ScriptCheck result;
    result.status = fields[0] <= static_cast<unsigned char>(CheckStatus::Unavailable)
                        ? static_cast<CheckStatus>(fields[0])
                        : CheckStatus::Failed;
    result.line = static_cast<int>(getU32(fields + 1));
    result.column = static_cast<int>(getU32(fields + 5));
    result.message = std::move(message);
    if (!clip.empty()) result.clip = decodeClipInfo(clip);
    result.picture = std::move(picture);
    if ((flags & kHelperSpent) != 0) {
      // Spent: what was sent ahead is sent again, to a new helper.
      stop();
      lostHelper(head);
    }
    report(head, std::move(result));
    ++head;
  }
}

}  // namespace clipquill
