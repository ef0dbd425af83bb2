// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's jobs as a user runs them: the program started as a
// process, set against a process that does the same job with plain system
// calls, both timed from the spawn to the exit (and measured for their peak
// memory) in the same run. One job per run:
//
//   list4 [files]  --list with "-e avi -e mkv -e mpg -e avs" over a folder of
//                  `files` files (100,000; four in five pass); the floor is
//                  this program in a mode of its own: opendir/readdir, a
//                  case-blind test of each name's extension, std::sort of the
//                  names, and the names written to standard output
//   list1 [files]  the same with "-e avi" alone (one in five passes)
//   listmem [files] list4's two processes, by their peak resident memory
//                  (1,000,000 files to match the figure the goal names)
//   template [MB]  start-up with a template of MB megabytes (100) and an
//                  empty clip folder, --list; the floor reads the file whole
//                  with read(2) and counts its lines
//   blankmem [MB]  a template of MB megabytes (20) of line ends only: the
//                  peak memory of --list and of --show, against the file's size
//   show           --show on a small template, against /bin/true
//   manyext [n]    --list with n (100,000) -e options over a folder of 1,000
//                  files; the floor lists the folder with the extensions in
//                  a hash set
//   settings [keys] start-up with a template whose settings file holds keys
//                  (1,000,000) filter entries with their check marks (about
//                  34 MB), --list of an empty folder; the floor reads the
//                  settings file whole and counts its lines
//   settingsmem [keys] the same start-up, by its peak memory against the
//                  settings file's size (the goal is 5 x)
//   settingsave [keys] -y --save of that template with its settings; the
//                  floor reads the settings file and writes it anew beside
//                  itself, synced, and renames it into place
//   filterby [keys] --show on a template whose settings file holds only a
//                  [FilterBy] section of keys (1,000,000) entries, "Ext0=x0"
//                  and on (about 17 MB); the floor reads the file whole and
//                  splits it into its lines; then the peak memory of --show
//                  against the file's size (the goal is 1 s and 5 x)
//   replace [clips] -y over a folder that holds every script already, one per
//                  clip of `clips` (10,000); the floor lists the clips, writes
//                  each script under a temporary name of its own, syncs the
//                  file system once and renames each over its old script: the
//                  guarantee the program gives, at the least cost
//
// Both sides write to /dev/null. Time rounds alternate after one warm-up
// round of each; the last line printed is "ratio <program / floor>" (for the
// memory jobs the ratio of peak memory, for blankmem to the file's size).
//
// Usage: bench_cli_jobs [JOB [size [rounds]]]; with no JOB, every job but listmem.
// With CLIPQUILL_BENCH_SHORT=1 (CI) the sizes are a fifth or so and the
// rounds three.
#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "bench/bench_support.h"

extern char** environ;

namespace {

namespace support = clipquill::bench;
using support::Clock;
using support::die;
using support::dieErrno;
using support::msSince;

struct Process {
  double ms = 0;
  long peakKb = 0;  // ru_maxrss
};

// Runs argv with its output to /dev/null, in env; dies unless it exits 0.
Process runProcess(const std::vector<std::string>& args, const std::vector<std::string>& env,
                   const std::string& errPath) {
  std::vector<std::string> argText = args;
  std::vector<char*> argv;
  for (std::string& arg : argText)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<std::string> envText = env;
  std::vector<char*> envp;
  for (std::string& entry : envText)
    envp.push_back(entry.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  Process run;
  const auto start = Clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) die("cannot start " + args[0] + ": " + std::strerror(spawned));
  int status = 0;
  rusage usage{};
  if (::wait4(pid, &status, 0, &usage) != pid) dieErrno("cannot wait for " + args[0]);
  run.ms = msSince(start);
  run.peakKb = usage.ru_maxrss;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    die(args[0] + " " + (args.size() > 1 ? args[1] : "") + " failed; see " + errPath);
  }
  return run;
}

// --- The floors, run as this program's own modes ------------------------

bool endsWithExtension(std::string_view name, const std::vector<std::string>& exts) {
  for (const std::string& ext : exts) {
    if (name.size() <= ext.size() + 1 || name[name.size() - ext.size() - 1] != '.') continue;
    bool same = true;
    for (std::size_t i = 0; i < ext.size() && same; ++i) {
      const char c = name[name.size() - ext.size() + i];
      same = (c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) == ext[i];
    }
    if (same) return true;
  }
  return false;
}

int floorList(const std::string& folder, const std::vector<std::string>& exts) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) dieErrno("cannot list " + folder);
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    bool file = entry->d_type == DT_REG;
    if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
      struct stat st;
      file = ::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
    }
    if (file && endsWithExtension(entry->d_name, exts)) names.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    std::fwrite(name.data(), 1, name.size(), stdout);
    std::fputc('\n', stdout);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

// The whole file in memory the read fills, not cleared first; its size.
std::pair<std::unique_ptr<char[]>, std::size_t> floorReadWhole(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) dieErrno("cannot open " + path);
  struct stat st;
  if (::fstat(fd, &st) != 0) dieErrno("cannot stat " + path);
  const auto size = static_cast<std::size_t>(st.st_size);
  std::unique_ptr<char[]> bytes(new char[size + 1]);
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(fd, bytes.get() + got, size - got);
    if (n <= 0) dieErrno("cannot read " + path);
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return {std::move(bytes), size};
}

int floorSplit(const std::string& path) {
  // Each line as a view of the bytes read, as a reader that goes on to
  // take its lines apart needs them at the least.
  const auto [bytes, size] = floorReadWhole(path);
  std::vector<std::string_view> lines;
  const char* p = bytes.get();
  const char* const end = p + size;
  while (p < end) {
    const char* lf =
        static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    if (lf == nullptr) lf = end;
    lines.emplace_back(p, static_cast<std::size_t>(lf - p));
    p = lf + 1;
  }
  std::printf("%zu\n", lines.size());
  return 0;
}

const std::vector<std::string> kReplaceTemplate = {
    "# made from <F>",         "AVISource(\"<P><F>\", audio=true)",
    "ConvertToYV12()",         "Telecide(order=1, guide=1)",
    "Decimate(cycle=5)",       "Crop(8, 0, -8, 0)",
    "LanczosResize(640, 480)", "return last",
};

int floorReplace(const std::string& clips, const std::string& out) {
  DIR* dir = ::opendir(clips.c_str());
  if (dir == nullptr) dieErrno("cannot list " + clips);
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] != '.' && entry->d_type == DT_REG) names.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  std::vector<std::string> temps;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string bytes = support::expandForClip(kReplaceTemplate, clips + "/", names[i]);
    temps.push_back(out + "/.floor-" + std::to_string(i) + ".tmp");
    const int fd = ::open(temps.back().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) dieErrno("cannot create " + temps.back());
    if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
      dieErrno("cannot write " + temps.back());
    if (i + 1 == names.size() && ::syncfs(fd) != 0) dieErrno("cannot sync " + out);
    if (::close(fd) != 0) dieErrno("cannot close " + temps.back());
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string script = out + "/" + names[i].substr(0, names[i].rfind('.')) + ".avs";
    if (::rename(temps[i].c_str(), script.c_str()) != 0) dieErrno("cannot rename " + temps[i]);
    std::printf("%s\n", script.c_str());
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

int floorRead(const std::string& path) {
  // The lines counted with memchr.
  const auto [bytes, size] = floorReadWhole(path);
  std::size_t lines = 0;
  for (const char* p = bytes.get();
       (p = static_cast<const char*>(std::memchr(p, '\n', size - (p - bytes.get())))) != nullptr;
       ++p) {
    ++lines;
  }
  std::printf("%zu\n", lines);
  return 0;
}

// --- The jobs -----------------------------------------------------------

struct Bench {
  std::string root;
  std::string self;
  std::vector<std::string> env;

  std::string errPath() const { return root + "/stderr"; }
  Process cli(std::vector<std::string> args) const {
    args.insert(args.begin(), CLIPQUILL_CLI_BINARY);
    return runProcess(args, env, errPath());
  }
  Process floor(std::vector<std::string> args) const {
    args.insert(args.begin(), self);
    return runProcess(args, env, errPath());
  }
};

constexpr const char* kClipExts[] = {"avi", "MKV", "mpg", "avs", "wav"};

void makeClipFolder(const std::string& folder, std::size_t files) {
  support::makeFolder(folder);
  const auto& kExts = kClipExts;
  for (std::size_t i = 0; i < files; ++i) {
    const int fd = ::open((folder + "/take " + std::to_string(i) + "." + kExts[i % 5]).c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 || ::close(fd) != 0) dieErrno("cannot create the clips in " + folder);
  }
}

void writeTemplate(const std::string& path, std::size_t bytes, bool blank) {
  std::string text;
  text.reserve(bytes + 64);
  for (std::size_t n = 0; text.size() < bytes; ++n) {
    if (blank) {
      text += '\n';
    } else {
      text += "AviSource(\"<P><F>\", audio=true).Trim(" + std::to_string(n) + ", 0)\r\n";
    }
  }
  support::floorWriteFile(path, text);
}

void reportMemory(const char* what, long programKb, long floorKb) {
  std::printf("%s: peak memory, medians of the rounds\n", what);
  std::printf("floor  %.1f MB\n", static_cast<double>(floorKb) / 1024);
  std::printf("clipquill %.1f MB\n", static_cast<double>(programKb) / 1024);
  std::printf("ratio %.2f\n", static_cast<double>(programKb) / static_cast<double>(floorKb));
}

long medianKb(const std::vector<Process>& runs) {
  std::vector<double> kb;
  for (const Process& p : runs)
    kb.push_back(static_cast<double>(p.peakKb));
  return static_cast<long>(support::median(kb));
}

}  // namespace

// The extension of a name in lower case, as -e compares it; "" for none.
std::string lowerExtension(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return "";
  std::string ext(name.substr(dot + 1));
  for (char& c : ext)
    c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  return ext;
}

int floorExts(const std::string& folder, char** exts, int count) {
  std::unordered_set<std::string> wanted;
  for (int i = 0; i < count; ++i)
    wanted.insert(lowerExtension(std::string(".") + exts[i]));
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) dieErrno("cannot list " + folder);
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] != '.' && entry->d_type == DT_REG &&
        wanted.contains(lowerExtension(entry->d_name))) {
      names.emplace_back(entry->d_name);
    }
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    std::fwrite(name.data(), 1, name.size(), stdout);
    std::fputc('\n', stdout);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

// Reads from whole and writes it anew as to, through a temporary beside it
// that is synced and renamed into place: a safe save with nothing to build.
int floorCopy(const std::string& from, const std::string& to) {
  const auto [bytes, size] = floorReadWhole(from);
  const std::string temp = to + ".floor";
  support::floorWriteFile(temp, std::string_view(bytes.get(), size), /*sync=*/true);
  if (::rename(temp.c_str(), to.c_str()) != 0) dieErrno("cannot rename " + temp);
  return 0;
}

// A settings file of keys filter entries, every other one checked.
void writeSettings(const std::string& path, std::size_t keys) {
  std::string text = "[Entries]\r\nClipLoc=\r\nClipName=\r\nScriptName=*\r\nScriptDest=\r\n";
  text += "[FilterBy]\r\n";
  for (std::size_t i = 0; i < keys; ++i)
    text += "Ext" + std::to_string(i) + "=x" + std::to_string(i) + "\r\n";
  text += "[FilterState]\r\n";
  for (std::size_t i = 0; i < keys; ++i)
    text += "Ext" + std::to_string(i) + "State=" + (i % 2 == 0 ? "1" : "0") + "\r\n";
  support::floorWriteFile(path, text);
}

int main(int argc, char** argv) {
  support::programName = "bench_cli_jobs";
  if (argc >= 3 && std::string_view(argv[1]) == "--floor-exts") {
    return floorExts(argv[2], argv + 3, argc - 3);
  }
  if (argc == 4 && std::string_view(argv[1]) == "--floor-copy") return floorCopy(argv[2], argv[3]);
  if (argc >= 3 && std::string_view(argv[1]) == "--floor-list") {
    return floorList(argv[2], std::vector<std::string>(argv + 3, argv + argc));
  }
  if (argc == 3 && std::string_view(argv[1]) == "--floor-read") return floorRead(argv[2]);
  if (argc == 3 && std::string_view(argv[1]) == "--floor-split") return floorSplit(argv[2]);
  if (argc == 4 && std::string_view(argv[1]) == "--floor-replace") {
    return floorReplace(argv[2], argv[3]);
  }
  if (argc < 2) {
    // Run alone (as CI runs every benchmark), it runs each job in a process
    // of its own, but for listmem: a million files take minutes to make.
    std::error_code ec;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    if (ec) die("cannot find this program: " + ec.message());
    int failed = 0;
    for (const char* job : {"list4", "list1", "template", "blankmem", "show", "manyext", "settings",
                            "settingsmem", "settingsave", "filterby", "replace"}) {
      std::printf("\n== %s\n", job);
      std::fflush(stdout);
      const pid_t child = ::fork();
      if (child < 0) support::dieErrno("cannot fork");
      if (child == 0) {
        ::execl(self.c_str(), self.c_str(), job, static_cast<char*>(nullptr));
        ::_exit(127);
      }
      int status = 0;
      if (::waitpid(child, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        failed = 1;
    }
    return failed;
  }
  const std::string job = argv[1];

  Bench bench;
  bench.root = support::makeScratchFolder();
  std::error_code ec;
  bench.self = std::filesystem::read_symlink("/proc/self/exe", ec).string();
  if (ec) die("cannot find this program: " + ec.message());
  for (const char* sub : {"/home", "/config", "/empty"})
    support::makeFolder(bench.root + sub);
  bench.env = {"HOME=" + bench.root + "/home", "XDG_CONFIG_HOME=" + bench.root + "/config",
               "PATH=/usr/bin:/bin"};
  const std::string small = bench.root + "/t.qtpl";
  support::floorWriteFile(small, "AviSource(\"<P><F>\")\r\nConvertToYV12()\r\n");

  if (job == "list4" || job == "list1" || job == "listmem") {
    const std::size_t files = support::countArgument(
        argc, argv, 2, job == "listmem" ? 1000000 : support::byRun(100000, 20000),
        "number of files");
    const std::size_t rounds =
        support::countArgument(argc, argv, 3, support::byRun(5, 3), "number of rounds");
    const std::string clips = bench.root + "/clips";
    makeClipFolder(clips, files);
    const std::vector<std::string> exts =
        job == "list1" ? std::vector<std::string>{"avi"}
                       : std::vector<std::string>{"avi", "mkv", "mpg", "avs"};
    std::vector<std::string> cliArgs{"--list", "-s", clips};
    std::vector<std::string> floorArgs{"--floor-list", clips};
    for (const std::string& ext : exts) {
      cliArgs.insert(cliArgs.end(), {"-e", ext});
      floorArgs.push_back(ext);
    }
    cliArgs.push_back(small);
    std::vector<Process> floors;
    std::vector<Process> programs;
    const support::Rounds measured = support::alternate(
        rounds,
        [&] {
          floors.push_back(bench.floor(floorArgs));
          return floors.back().ms;
        },
        [&] {
          programs.push_back(bench.cli(cliArgs));
          return programs.back().ms;
        });
    std::printf("clipquill-cli --list with %zu -e over %zu files, under %s\n", exts.size(), files,
                bench.root.c_str());
    std::printf("floor: readdir + extension test + std::sort + write, as a process\n");
    if (job == "listmem") {
      reportMemory("--list", medianKb(programs), medianKb(floors));
    } else {
      support::report(measured, files, "file");
    }
  } else if (job == "template") {
    const std::size_t mb =
        support::countArgument(argc, argv, 2, support::byRun(100, 20), "size in MB");
    const std::size_t rounds =
        support::countArgument(argc, argv, 3, support::byRun(5, 3), "number of rounds");
    const std::string big = bench.root + "/big.qtpl";
    writeTemplate(big, mb << 20, false);
    const support::Rounds measured = support::alternate(
        rounds,
        [&] {
          return bench.floor({"--floor-read", big}).ms;
        },
        [&] {
          return bench.cli({"--list", "-s", bench.root + "/empty", big}).ms;
        });
    std::printf("clipquill-cli start-up with a %zu MB template (--list of an empty folder)\n", mb);
    std::printf("floor: open + read(2) of the whole file + line count, as a process\n");
    support::report(measured, mb, "MB");
  } else if (job == "blankmem") {
    const std::size_t mb =
        support::countArgument(argc, argv, 2, support::byRun(20, 5), "size in MB");
    const std::string blank = bench.root + "/blank.qtpl";
    writeTemplate(blank, mb << 20, true);
    const long fileKb = static_cast<long>(mb) * 1024;
    const Process list = bench.cli({"--list", "-s", bench.root + "/empty", blank});
    const Process show = bench.cli({"--show", blank});
    std::printf("a %zu MB template of line ends only; the goal is 3 x the file\n", mb);
    std::printf("--list: %.1f MB (%.2f x the file)\n", static_cast<double>(list.peakKb) / 1024,
                static_cast<double>(list.peakKb) / static_cast<double>(fileKb));
    reportMemory("--show", show.peakKb, fileKb);
  } else if (job == "show") {
    const std::size_t rounds =
        support::countArgument(argc, argv, 2, support::byRun(21, 7), "number of rounds");
    const support::Rounds measured = support::alternate(
        rounds, [&] { return runProcess({"/bin/true"}, bench.env, bench.errPath()).ms; },
        [&] {
          return bench.cli({"--show", small}).ms;
        });
    std::printf("clipquill-cli --show on a two-line template; floor: /bin/true\n");
    support::report(measured, 1, "run");
  } else if (job == "manyext") {
    const std::size_t count =
        support::countArgument(argc, argv, 2, support::byRun(100000, 20000), "number of -e");
    const std::size_t rounds =
        support::countArgument(argc, argv, 3, support::byRun(5, 3), "number of rounds");
    const std::string clips = bench.root + "/clips";
    makeClipFolder(clips, 1000);
    // "-eNAME" in one word: a hundred thousand options must fit the limit
    // the system sets on a command line.
    std::vector<std::string> cliArgs{"--list", "-s", clips};
    std::vector<std::string> floorArgs{"--floor-exts", clips};
    for (std::size_t i = 0; i < count; ++i) {
      const std::string ext = i < 5 ? std::string(kClipExts[i]) : "x" + std::to_string(i);
      cliArgs.push_back("-e" + ext);
      floorArgs.push_back(ext);
    }
    cliArgs.push_back(small);
    const support::Rounds measured = support::alternate(
        rounds, [&] { return bench.floor(floorArgs).ms; }, [&] { return bench.cli(cliArgs).ms; });
    std::printf("clipquill-cli --list with %zu -e options over 1,000 files\n", count);
    std::printf("floor: readdir + extension looked up in a hash set + std::sort + write\n");
    support::report(measured, count, "-e");
  } else if (job == "settings" || job == "settingsmem" || job == "settingsave") {
    const std::size_t keys =
        support::countArgument(argc, argv, 2, support::byRun(1000000, 200000), "number of keys");
    const std::size_t rounds =
        support::countArgument(argc, argv, 3, support::byRun(5, 3), "number of rounds");
    const std::string templ = bench.root + "/big.qtpl";
    const std::string ini = bench.root + "/big.ini";
    support::floorWriteFile(templ, "AviSource(\"<P><F>\")\r\n");
    writeSettings(ini, keys);
    struct stat st;
    if (::stat(ini.c_str(), &st) != 0) dieErrno("cannot stat " + ini);
    const double fileMb = static_cast<double>(st.st_size) / (1 << 20);
    const std::vector<std::string> load{"--list", "-s", bench.root + "/empty", templ};
    if (job == "settingsmem") {
      std::vector<Process> runs;
      for (std::size_t r = 0; r < rounds; ++r)
        runs.push_back(bench.cli(load));
      std::printf("start-up with a settings file of %zu filter entries (%.1f MB); goal 5 x\n", keys,
                  fileMb);
      reportMemory("--list", medianKb(runs), static_cast<long>(st.st_size / 1024));
    } else if (job == "settings") {
      const support::Rounds measured = support::alternate(
          rounds,
          [&] {
            return bench.floor({"--floor-read", ini}).ms;
          },
          [&] { return bench.cli(load).ms; });
      std::printf("start-up with a settings file of %zu filter entries (%.1f MB), --list\n", keys,
                  fileMb);
      std::printf("floor: open + read(2) of the whole settings file + line count, as a process\n");
      support::report(measured, keys, "key");
    } else {
      const std::string saved = bench.root + "/saved.qtpl";
      const support::Rounds measured = support::alternate(
          rounds,
          [&] {
            return bench.floor({"--floor-copy", ini, bench.root + "/copy.ini"}).ms;
          },
          [&] {
            return bench.cli({"-y", "--save", saved, templ}).ms;
          });
      std::printf("-y --save of a template with %zu filter entries (%.1f MB of settings)\n", keys,
                  fileMb);
      std::printf(
          "floor: the settings file read and written anew, synced and renamed, as a process\n");
      support::report(measured, keys, "key");
    }
  } else if (job == "filterby") {
    const std::size_t keys =
        support::countArgument(argc, argv, 2, support::byRun(1000000, 200000), "number of keys");
    const std::size_t rounds =
        support::countArgument(argc, argv, 3, support::byRun(5, 3), "number of rounds");
    const std::string templ = bench.root + "/filters.qtpl";
    const std::string ini = bench.root + "/filters.ini";
    support::floorWriteFile(templ, "AviSource(\"<P><F>\")\r\n");
    std::string text = "[FilterBy]\n";
    for (std::size_t i = 0; i < keys; ++i)
      text += "Ext" + std::to_string(i) + "=x" + std::to_string(i) + "\n";
    support::floorWriteFile(ini, text);
    std::vector<Process> programs;
    const support::Rounds measured = support::alternate(
        rounds,
        [&] {
          return bench.floor({"--floor-split", ini}).ms;
        },
        [&] {
          programs.push_back(bench.cli({"--show", templ}));
          return programs.back().ms;
        });
    std::printf("--show with a settings file of %zu [FilterBy] keys alone (%.1f MB)\n", keys,
                static_cast<double>(text.size()) / (1 << 20));
    std::printf(
        "floor: open + read(2) of the whole settings file + split into lines, as a process\n");
    std::printf("--show median %.0f ms (goal 1000 ms)\n", support::median(measured.programMs));
    reportMemory("--show (floor: the file's size; goal 5 x)", medianKb(programs),
                 static_cast<long>(text.size() / 1024));
    support::report(measured, keys, "key");
  } else if (job == "replace") {
    const std::size_t count =
        support::countArgument(argc, argv, 2, support::byRun(10000, 1000), "number of clips");
    const std::size_t rounds =
        support::countArgument(argc, argv, 3, support::byRun(7, 3), "number of rounds");
    const std::string clips = bench.root + "/clips";
    support::makeFolder(clips);
    std::string text;
    for (const std::string& line : kReplaceTemplate)
      text += line + "\r\n";
    const std::string templ = bench.root + "/replace.qtpl";
    support::floorWriteFile(templ, text);
    for (std::size_t i = 0; i < count; ++i)
      support::floorWriteFile(clips + "/take " + std::to_string(100000 + i) + ".avi", "");
    // Each side has a folder of its own, filled with every script by a first
    // run and replaced whole by every round after it.
    const std::string floorOut = bench.root + "/floor-out";
    const std::string programOut = bench.root + "/program-out";
    support::makeFolder(floorOut);
    support::makeFolder(programOut);
    const std::vector<std::string> cliArgs{"-y", "-s", clips, "-e", "avi", "-d", programOut, templ};
    const std::vector<std::string> floorArgs{"--floor-replace", clips, floorOut};
    const support::Rounds measured = support::alternate(
        rounds, [&] { return bench.floor(floorArgs).ms; }, [&] { return bench.cli(cliArgs).ms; });
    std::vector<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator(programOut))
      written.push_back(entry.path().filename().string());
    if (written.size() != count)
      die("the program left " + std::to_string(written.size()) + " files");
    const std::string sample = "/take " + std::to_string(100000 + count / 2) + ".avs";
    std::ifstream a(floorOut + sample, std::ios::binary), b(programOut + sample, std::ios::binary);
    const std::string floorBytes{std::istreambuf_iterator<char>(a), {}};
    const std::string programBytes{std::istreambuf_iterator<char>(b), {}};
    if (floorBytes.empty() || floorBytes != programBytes) die("the two sides wrote other bytes");
    std::printf("clipquill-cli -y replacing %zu scripts, under %s\n", count, bench.root.c_str());
    std::printf(
        "floor: readdir of the clips, then per script a temporary written and closed, one "
        "syncfs, a rename over each old script, as a process\n");
    support::report(measured, count, "script");
  } else {
    die("no job \"" + job + "\"");
  }
  std::filesystem::remove_all(bench.root, ec);
  support::scratchFolder.clear();
  return 0;
}
