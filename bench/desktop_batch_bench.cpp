// SPDX-License-Identifier: GPL-3.0-or-later
// The file manager's "Make AviSynth scripts" for a selection of clips (100
// by default), set against the same run of the command line from a
// terminal: each from the program's start to the last script landed, synced,
// under its name.
//
// The desktop's form is the Exec line of its desktop entry,
// `clipquill-cli --clips --desktop FILE...`: it leads a gathering (a lock
// file and a socket in the runtime folder) and asks and tells through the
// window program, which here finds no display and ends at once. What it does
// after its last script (waiting a moment for clips still to come, the
// notification) is the user's wait no more and is not timed. The yardstick is
// `clipquill-cli --clips FILE...` timed the same way. The clock stops when
// inotify tells the last script came under its name, which the run gives it
// only once the script's bytes are synced.
//
// Rounds alternate, each into a folder emptied of scripts; the last line
// printed is "ratio <desktop median / command line median>".
//
// Usage: bench_desktop_batch [clips [rounds]]
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "bench/bench_support.h"

extern char** environ;

namespace {

namespace support = clipquill::bench;
using support::Clock;
using support::dieErrno;
using support::msSince;

struct Bench {
  std::string root;
  std::string clips;  // no closing "/"
  std::vector<std::string> clipPaths;
  std::vector<std::string> environment;  // for the child
};

// Starts the command line with args and times it to its n-th script landed.
double timeToLastScript(const Bench& bench, const std::vector<std::string>& args) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(bench.clips, ec))
    if (entry.path().extension() == ".avs") std::filesystem::remove(entry.path(), ec);
  ::sync();
  const int watch = ::inotify_init1(IN_CLOEXEC);
  if (watch < 0) dieErrno("inotify_init1");
  if (::inotify_add_watch(watch, bench.clips.c_str(), IN_CREATE | IN_MOVED_TO) < 0)
    dieErrno("inotify_add_watch " + bench.clips);

  std::vector<std::string> argStrings{CLIPQUILL_CLI_BINARY};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  argStrings.insert(argStrings.end(), bench.clipPaths.begin(), bench.clipPaths.end());
  std::vector<char*> argv;
  for (std::string& a : argStrings)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> envStrings = bench.environment;
  std::vector<char*> envp;
  for (std::string& e : envStrings)
    envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);

  const Clock::time_point start = Clock::now();
  pid_t pid = 0;
  if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
    dieErrno("cannot start " + argStrings[0]);
  std::size_t landed = 0;
  alignas(inotify_event) char buffer[64 * 1024];
  while (landed < bench.clipPaths.size()) {
    pollfd p{watch, POLLIN, 0};
    if (::poll(&p, 1, 30000) <= 0) support::die("no script landed within 30 s");
    const ssize_t n = ::read(watch, buffer, sizeof buffer);
    if (n <= 0) dieErrno("inotify read");
    for (ssize_t at = 0; at < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      const std::string_view name(event->len ? event->name : "");
      // A script lands under its name once synced: linked in from a file
      // without a name, or moved into place.
      if (name.ends_with(".avs") && !name.starts_with(".")) ++landed;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  const double ms = msSince(start);
  int status = 0;
  ::waitpid(pid, &status, 0);
  posix_spawn_file_actions_destroy(&actions);
  ::close(watch);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) support::die("the run failed");
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  support::programName = "bench_desktop_batch";
  const std::size_t clipCount =
      support::countArgument(argc, argv, 1, support::byRun(100, 100), "number of clips");
  const std::size_t rounds =
      support::countArgument(argc, argv, 2, support::byRun(15, 5), "number of rounds");

  Bench bench;
  bench.root = support::makeScratchFolder();
  for (const char* sub : {"/clips é", "/config", "/config/Clipquill", "/home", "/run"})
    support::makeFolder(bench.root + sub);
  bench.clips = bench.root + "/clips é";
  support::floorWriteFile(bench.root + "/config/Clipquill/DefaultTemplate.qtpl",
                          "AVISource(\"<P><F>\")\r\nConvertToYV12()\r\n");
  for (std::size_t i = 0; i < clipCount; ++i) {
    const std::string path = bench.clips + "/Take " + std::to_string(i + 1) + ".avi";
    support::floorWriteFile(path, "");
    bench.clipPaths.push_back(path);
  }
  // As a desktop session starts it, less the display: the window program it
  // asks and tells through then ends at once.
  bench.environment = {"HOME=" + bench.root + "/home", "XDG_CONFIG_HOME=" + bench.root + "/config",
                       "XDG_RUNTIME_DIR=" + bench.root + "/run", "PATH=/usr/bin:/bin"};

  // The "floor" of the shared report is the command line from a terminal.
  const support::Rounds measured = support::alternate(
      rounds, [&] { return timeToLastScript(bench, {"--clips"}); },
      [&] {
        return timeToLastScript(bench, {"--clips", "--desktop"});
      });
  std::error_code ignored;
  std::filesystem::remove_all(bench.root, ignored);
  support::scratchFolder.clear();

  std::printf("Make AviSynth scripts for %zu clips, from the start to the last script synced\n",
              clipCount);
  std::printf("floor: clipquill-cli --clips from a terminal; clipquill: --clips --desktop\n");
  support::report(measured, clipCount, "clip");
  return 0;
}
