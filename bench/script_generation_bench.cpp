// SPDX-License-Identifier: GPL-3.0-or-later
// Per-clip script generation: how long the generator takes to write one script
// per clip (10,000 clips, a 10-line template) into an empty folder, set against
// the floor for the same job. In "replace" mode the folder already holds every
// script, and every question is answered OK, as the command line's -y does;
// the generator keeps each old script whole until its new one is complete,
// and on disk. The floor then gives the same guarantee at the least cost: each
// script written under a temporary name of its own, one syncfs for the run,
// then each renamed over its old script. In "inplace" mode the floor writes
// over the old files in place instead, which a kill can leave cut short.
//
// The floor writes exactly the same bytes to the same number of files, under
// the same names, with nothing but open(O_WRONLY | O_CREAT | O_TRUNC), write
// and close, its bytes worked out before the clock starts. No program that
// leaves these files on disk can do with fewer system calls, so the floor is
// what the file system itself costs; whatever the generator spends beyond it
// (expanding the template, naming the scripts, telling existing files apart,
// its writer objects) is its own overhead. The generator's time deliberately
// includes its expansion work: that is part of what it does per clip.
//
// Floor and generator rounds alternate, each into a fresh empty folder, after
// one warm-up round of each; the files are deleted and the disk synced between
// rounds, outside the timed region. The medians are reported, and the last
// line printed is "ratio <generator median / floor median>". On a disk file
// system single rounds vary a lot; TMPDIR=/dev/shm shows the generator's own
// overhead with the least noise.
//
// Usage: bench_script_generation [clips [rounds [new|replace|inplace]]]
// bench_script_replacement is the same program in "replace" mode.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bench/bench_support.h"
#include "core/generator.h"
#include "core/script_files.h"
#include "core/user_port.h"

namespace {

namespace support = clipquill::bench;
using support::Clock;
using support::die;
using support::dieErrno;
using support::msSince;

constexpr std::string_view kSourceDir = "/media/captures";

// A realistic per-clip template: ten lines, most of them using <P> or <F>.
const std::vector<std::string> kTemplate = {
    "# made from <F>",
    "LoadPlugin(\"<P>plugins/decomb.dll\")",
    "AVISource(\"<P><F>\", audio=true)",
    "ConvertToYV12()",
    "Telecide(order=1, guide=1)",
    "Decimate(cycle=5)",
    "Crop(8, 0, -8, 0)",
    "LanczosResize(640, 480)",
    "# audio kept from <P><F>",
    "return last",
};

// The same lines in one buffer, as the model hands them to a run.
std::string templateBuffer() {
  std::string text;
  for (const std::string& line : kTemplate)
    text.append(line).append(1, '\n');
  return text;
}
const std::string kTemplateText = templateBuffer();

std::string expectedScript(std::string_view clip) {
  return support::expandForClip(kTemplate, std::string(kSourceDir) + "/", clip);
}

// The script name for a clip with an empty name pattern.
std::string expectedName(std::string_view clip) {
  return std::string(clip.substr(0, clip.find('.'))) + ".avs";
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) die("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::size_t countEntries(const std::string& dir) {
  const auto entries = std::filesystem::directory_iterator(dir);
  return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

// Deletes the named files and then the folder, which must then be empty.
void removeRound(const std::string& dir, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    const std::string path = dir + "/" + name;
    if (::unlink(path.c_str()) != 0) dieErrno("cannot delete " + path);
  }
  if (::rmdir(dir.c_str()) != 0) dieErrno("cannot remove " + dir);
  // Every round starts with nothing of the last one still pending for the disk.
  ::sync();
}

class CountingUserPort final : public clipquill::UserPort {
 public:
  explicit CountingUserPort(clipquill::Answer answer) : answer_(answer) {}
  clipquill::Answer messageBox(clipquill::MessageKind, clipquill::Buttons,
                               std::string_view) override {
    ++calls;
    return answer_;
  }

  std::size_t calls = 0;

 private:
  clipquill::Answer answer_;
};

class VectorList final : public clipquill::CreatedScriptsList {
 public:
  void clear() override { lines.clear(); }
  void append(std::string_view line) override { lines.emplace_back(line); }

  std::vector<std::string> lines;
};

struct Bench {
  std::string root;
  std::vector<std::string> clips;
  std::vector<std::string> names;
  std::vector<std::string> contents;  // contents[i] belongs in names[i]
  std::unique_ptr<clipquill::ScriptFiles> files = clipquill::makeSystemScriptFiles();
  bool replacing = false;
  bool killSafeFloor = false;  // the floor replaces through temporaries
  int round = 0;

  // A folder for one round: empty, or holding every script's old version,
  // on disk before the clock starts.
  std::string prepareRound(const char* kind) {
    const std::string dir = root + "/" + kind + "-" + std::to_string(round++);
    support::makeFolder(dir);
    if (replacing) {
      for (std::size_t i = 0; i < names.size(); ++i)
        support::floorWriteFile(dir + "/" + names[i], "# the old script\r\n" + contents[i]);
      ::sync();
    }
    return dir;
  }

  double floorRound() {
    const std::string dir = prepareRound("floor");
    std::vector<std::string> paths;
    paths.reserve(names.size());
    for (const std::string& name : names)
      paths.push_back(dir + "/" + name);

    std::vector<std::string> temps;
    if (killSafeFloor) {
      for (std::size_t i = 0; i < paths.size(); ++i)
        temps.push_back(dir + "/.floor-" + std::to_string(i) + ".tmp");
    }

    const auto start = Clock::now();
    if (killSafeFloor) {
      for (std::size_t i = 0; i < paths.size(); ++i) {
        const int fd = ::open(temps[i].c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) dieErrno("cannot create " + temps[i]);
        if (::write(fd, contents[i].data(), contents[i].size()) !=
            static_cast<ssize_t>(contents[i].size())) {
          dieErrno("cannot write " + temps[i]);
        }
        if (i + 1 == paths.size() && ::syncfs(fd) != 0) dieErrno("cannot sync " + temps[i]);
        if (::close(fd) != 0) dieErrno("cannot close " + temps[i]);
      }
      for (std::size_t i = 0; i < paths.size(); ++i) {
        if (::rename(temps[i].c_str(), paths[i].c_str()) != 0)
          dieErrno("cannot rename " + temps[i]);
      }
    } else {
      for (std::size_t i = 0; i < paths.size(); ++i) {
        support::floorWriteFile(paths[i], contents[i]);
      }
    }
    const double ms = msSince(start);

    if (countEntries(dir) != names.size()) die("floor round left the wrong number of files");
    removeRound(dir, names);
    return ms;
  }

  double generatorRound() {
    const std::string dir = prepareRound("quill");
    CountingUserPort user(replacing ? clipquill::Answer::Ok : clipquill::Answer::Cancel);
    VectorList list;
    list.lines.reserve(clips.size() + 1);
    clipquill::ScriptGenerator generator(*files, user, list);
    clipquill::ScriptState state;
    clipquill::ScriptInputs in;
    in.templateLines = clipquill::TemplateLines(kTemplateText);
    in.destText = dir;
    in.sourceText = kSourceDir;
    in.nameText = "";
    in.selectedClips = clips;
    in.join = false;

    clipquill::RunOutcome outcome = clipquill::RunOutcome::NoDestination;
    const auto start = Clock::now();
    try {
      outcome = generator.run(in, state);
    } catch (const std::exception& e) {
      die(std::string("the generator failed: ") + e.what());
    }
    const double ms = msSince(start);

    verifyGenerated(dir, outcome, user, list);
    removeRound(dir, names);
    return ms;
  }

  void verifyGenerated(const std::string& dir, clipquill::RunOutcome outcome,
                       const CountingUserPort& user, const VectorList& list) const {
    if (outcome != clipquill::RunOutcome::Completed) die("the generator did not complete");
    const std::size_t questions = replacing ? names.size() : 0;
    if (user.calls != questions) {
      die("the generator asked the user " + std::to_string(user.calls) + " time(s), expected " +
          std::to_string(questions));
    }
    if (list.lines.size() != clips.size() + 1) {
      die("the generator listed " + std::to_string(list.lines.size()) + " lines, expected " +
          std::to_string(clips.size() + 1));
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (list.lines[i + 1] != names[i]) {
        die("listed line " + std::to_string(i + 1) + " is \"" + list.lines[i + 1] +
            "\", expected \"" + names[i] + "\"");
      }
    }
    if (countEntries(dir) != names.size()) die("the generator left the wrong number of files");
    // Spot checks against the floor's bytes: the first, a middle and the last script.
    for (const std::size_t i : {std::size_t{0}, names.size() / 2, names.size() - 1}) {
      const std::string path = dir + "/" + names[i];
      if (readFile(path) != contents[i]) {
        die("the bytes of " + path + " differ from the floor's bytes");
      }
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  support::programName = "bench_script_generation";
  const std::size_t clipCount =
      support::countArgument(argc, argv, 1, support::byRun(10000, 1000), "number of clips");
  const std::size_t rounds =
      support::countArgument(argc, argv, 2, support::byRun(7, 3), "number of rounds");
#if defined(CLIPQUILL_BENCH_REPLACE)
  const std::string mode = argc > 3 ? argv[3] : "replace";
#else
  const std::string mode = argc > 3 ? argv[3] : "new";
#endif
  if (mode != "new" && mode != "replace" && mode != "inplace") die("bad mode: \"" + mode + "\"");

  Bench bench;
  bench.replacing = mode != "new";
  bench.killSafeFloor = mode == "replace";
  bench.root = support::makeScratchFolder();
  bench.clips.reserve(clipCount);
  bench.names.reserve(clipCount);
  bench.contents.reserve(clipCount);
  for (std::size_t i = 1; i <= clipCount; ++i) {
    char clip[32];
    std::snprintf(clip, sizeof clip, "clip %05zu.avi", i);
    bench.clips.emplace_back(clip);
    bench.names.push_back(expectedName(clip));
    bench.contents.push_back(expectedScript(clip));
  }
  std::size_t totalBytes = 0;
  for (const std::string& c : bench.contents)
    totalBytes += c.size();

  const support::Rounds measured = support::alternate(
      rounds, [&] { return bench.floorRound(); }, [&] { return bench.generatorRound(); });
  if (::rmdir(bench.root.c_str()) != 0) dieErrno("cannot remove " + bench.root);
  support::scratchFolder.clear();

  std::printf(
      "per-clip scripts: %zu clips, %zu-line template, %zu bytes in all, each into %s folder "
      "under %s\n",
      clipCount, kTemplate.size(), totalBytes,
      bench.replacing ? "a full (every script replaced, each question answered OK)" : "an empty",
      bench.root.c_str());
  if (bench.killSafeFloor) {
    std::printf(
        "floor: open(O_CREAT|O_EXCL) of a temporary/write/close of precomputed bytes, one "
        "syncfs, a rename over each old script; clipquill: ScriptGenerator::run, expansion "
        "included\n");
  } else {
    std::printf(
        "floor: open(O_WRONLY|O_CREAT|O_TRUNC)/write/close of precomputed bytes; "
        "clipquill: ScriptGenerator::run, expansion included\n");
  }
  support::report(measured, clipCount, "file");
  return 0;
}
