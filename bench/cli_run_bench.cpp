// SPDX-License-Identifier: GPL-3.0-or-later
// A whole batch run through the command line: start-up with a template, the
// options typed into the fields, the clip list read and filtered, every clip
// selected and one script written per clip (20,000 clips among 25,000 files
// by default), set against the floor for the same job.
//
// The floor lists the clip folder with opendir/readdir, keeps the names that
// end in ".avi", and writes the same bytes under the same names with
// open(O_WRONLY | O_CREAT | O_TRUNC), write and close, its bytes worked out
// before the clock starts. That is what the file system itself costs; what
// the run spends beyond it (parsing the options, the model's start-up, the
// re-reads its field changes cause, the natural sort, expansion, naming, the
// existence check folded into each create, printing the created list) is the
// program's own.
//
// Rounds alternate, each into a fresh empty folder, after one warm-up round
// of each; the scripts are deleted and the disk synced between rounds, outside
// the timed region. The last line printed is "ratio <run median / floor
// median>".
//
// Usage: bench_cli_run [clips [rounds]]
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "bench/bench_support.h"
#include "cli/cli.h"

namespace {

namespace support = clipquill::bench;
using support::Clock;
using support::die;
using support::dieErrno;
using support::msSince;

const std::vector<std::string> kTemplate = {
    "# made from <F>",         "AVISource(\"<P><F>\", audio=true)",
    "ConvertToYV12()",         "Telecide(order=1, guide=1)",
    "Decimate(cycle=5)",       "Crop(8, 0, -8, 0)",
    "LanczosResize(640, 480)", "return last",
};

bool endsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

struct Bench {
  std::string root;
  std::string clips;  // ends in "/"
  std::vector<std::string> clipNames;
  std::vector<std::string> scriptNames;  // scriptNames[i] holds contents[i]
  std::vector<std::string> contents;
  int round = 0;

  // Deletes the round's scripts and its folder, then lets the disk settle.
  void removeRound(const std::string& dir) const {
    for (const std::string& name : scriptNames) {
      if (::unlink((dir + "/" + name).c_str()) != 0) dieErrno("cannot delete in " + dir);
    }
    if (::rmdir(dir.c_str()) != 0) dieErrno("cannot remove " + dir + " (files left over?)");
    ::sync();
  }

  double floorRound() {
    const std::string dir = root + "/floor-" + std::to_string(round++);
    support::makeFolder(dir);
    const auto start = Clock::now();
    std::vector<std::string> listed;
    DIR* folder = ::opendir(clips.c_str());
    if (folder == nullptr) dieErrno("cannot list " + clips);
    while (const dirent* entry = ::readdir(folder)) {
      if (entry->d_type == DT_REG && endsWith(entry->d_name, ".avi")) {
        listed.emplace_back(entry->d_name);
      }
    }
    ::closedir(folder);
    for (std::size_t i = 0; i < scriptNames.size(); ++i) {
      support::floorWriteFile(dir + "/" + scriptNames[i], contents[i]);
    }
    const double ms = msSince(start);
    if (listed.size() != clipNames.size()) die("the floor listed the wrong number of clips");
    removeRound(dir);
    return ms;
  }

  double runRound() {
    const std::string dir = root + "/run-" + std::to_string(round++);
    support::makeFolder(dir);
    const clipquill::cli::CliEnvironment env{
        .executablePath = root + "/bin/clipquill-cli",
        .workingFolder = root,
        .homeFolder = root + "/home",
        .registryRoot = root + "/registry",
        .interactive = false,
    };
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    const auto start = Clock::now();
    const int status = clipquill::cli::runCli(
        {"-s", clips, "-e", "avi", "-n", "*", "-d", dir, root + "/t.qtpl"}, in, out, err, env);
    const double ms = msSince(start);
    if (status != 0) die("the run failed (" + std::to_string(status) + "): " + err.str());
    verify(dir, out.str());
    removeRound(dir);
    return ms;
  }

  void verify(const std::string& dir, const std::string& printed) const {
    std::istringstream lines(printed);
    std::string line;
    std::getline(lines, line);  // the heading
    for (const std::string& name : scriptNames) {
      if (!std::getline(lines, line) || line != name) die("the run listed \"" + line + "\"");
    }
    for (const std::size_t i : {std::size_t{0}, scriptNames.size() / 2, scriptNames.size() - 1}) {
      std::FILE* f = std::fopen((dir + "/" + scriptNames[i]).c_str(), "rb");
      if (f == nullptr) dieErrno("cannot read " + scriptNames[i]);
      std::string bytes(contents[i].size() + 1, '\0');
      bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
      std::fclose(f);
      if (bytes != contents[i]) die("the bytes of " + scriptNames[i] + " differ from the floor's");
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  support::programName = "bench_cli_run";
  const std::size_t clipCount =
      support::countArgument(argc, argv, 1, support::byRun(20000, 2000), "number of clips");
  const std::size_t rounds =
      support::countArgument(argc, argv, 2, support::byRun(5, 3), "number of rounds");

  Bench bench;
  bench.root = support::makeScratchFolder();
  bench.clips = bench.root + "/clips/";
  for (const char* sub : {"/clips", "/home", "/bin"})
    support::makeFolder(bench.root + sub);
  std::string templateBytes;
  for (const std::string& line : kTemplate)
    templateBytes += line + "\r\n";
  support::floorWriteFile(bench.root + "/t.qtpl", templateBytes);

  // Clips named as a camera names them, in the natural order the list keeps,
  // and one other file for every four clips that the filter leaves out.
  for (std::size_t i = 1; i <= clipCount; ++i) {
    const std::string stem = "take " + std::to_string(i);
    support::floorWriteFile(bench.clips + stem + ".avi", "");
    if (i % 4 == 0) support::floorWriteFile(bench.clips + stem + ".wav", "");
    bench.clipNames.push_back(stem + ".avi");
    bench.scriptNames.push_back(stem + ".avs");
    bench.contents.push_back(support::expandForClip(kTemplate, bench.clips, stem + ".avi"));
  }

  const support::Rounds measured = support::alternate(
      rounds, [&] { return bench.floorRound(); }, [&] { return bench.runRound(); });
  std::error_code ignored;
  std::filesystem::remove_all(bench.root, ignored);
  support::scratchFolder.clear();

  std::printf("command-line run: %zu clips among %zu files, %zu-line template, under %s\n",
              clipCount, clipCount + clipCount / 4, kTemplate.size(), bench.root.c_str());
  std::printf(
      "floor: opendir/readdir + open(O_WRONLY|O_CREAT|O_TRUNC)/write/close of precomputed "
      "bytes; clipquill: runCli from options to the printed list\n");
  support::report(measured, clipCount, "clip");
  return 0;
}
