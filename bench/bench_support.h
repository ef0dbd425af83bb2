// SPDX-License-Identifier: GPL-3.0-or-later
// What the benchmarks share: failing loudly, their arguments, a scratch
// folder, the short run CI asks for, and the rounds that set the program
// against its floor and report the two.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace clipquill::bench {

using Clock = std::chrono::steady_clock;

// The benchmark's name in its messages, and a folder to remove should it die.
inline const char* programName = "bench";
inline std::string scratchFolder;

[[noreturn]] inline void die(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", programName, message.c_str());
  if (!scratchFolder.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(scratchFolder, ignored);
  }
  std::exit(1);
}

[[noreturn]] inline void dieErrno(const std::string& what) {
  die(what + ": " + std::strerror(errno));
}

// Whether the environment asks for a short run (CLIPQUILL_BENCH_SHORT set to
// anything but empty or "0"): CI prints the figures and never judges them, so
// fewer rounds over smaller inputs tell it enough in a fraction of the time.
inline bool shortRunAsked(const char* value) {
  return value != nullptr && *value != '\0' && std::string_view(value) != "0";
}

inline bool shortRun() {
  static const bool asked = shortRunAsked(std::getenv("CLIPQUILL_BENCH_SHORT"));
  return asked;
}

// A benchmark's default size or round count: `full`, or `brief` in a short
// run. A count given on the command line still wins over both.
inline std::size_t byRun(std::size_t full, std::size_t brief) {
  return shortRun() ? brief : full;
}

// argv[index] as a positive count, or fallback when it is not given.
inline std::size_t countArgument(int argc, char** argv, int index, std::size_t fallback,
                                 const char* what) {
  if (argc <= index) return fallback;
  std::size_t value = 0;
  const std::string_view text(argv[index]);
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value == 0) {
    die(std::string("bad ") + what + ": \"" + argv[index] + "\"");
  }
  return value;
}

// A fresh folder under TMPDIR (or /tmp), as an absolute path, removed by die().
inline std::string makeScratchFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string path =
      std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/clipquill-bench-XXXXXX";
  if (::mkdtemp(path.data()) == nullptr) dieErrno("cannot create a folder from " + path);
  std::error_code ec;
  scratchFolder = std::filesystem::absolute(path, ec).string();
  if (ec) die("cannot resolve " + path + ": " + ec.message());
  return scratchFolder;
}

inline void makeFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) != 0) dieErrno("cannot create " + path);
}

// The floor's way of writing a file: open(O_WRONLY | O_CREAT | O_TRUNC), the
// bytes in as few writes as the kernel takes, fsync when asked, close.
inline void floorWriteFile(const std::string& path, std::string_view bytes, bool sync = false) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) dieErrno("cannot create " + path);
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      dieErrno("cannot write " + path);
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  if (sync && ::fsync(fd) != 0) dieErrno("cannot sync " + path);
  if (::close(fd) != 0) dieErrno("cannot close " + path);
}

// The script a template gives for one clip, worked out here on its own terms
// ("<P>" the source folder, "<F>" the clip, CR LF after every line) so that
// the program's output can be checked against it.
inline std::string expandForClip(const std::vector<std::string>& lines, std::string_view sourceDir,
                                 std::string_view clip) {
  std::string out;
  for (const std::string& line : lines) {
    for (std::size_t pos = 0; pos < line.size();) {
      if (line.compare(pos, 3, "<P>") == 0) {
        out += sourceDir;
        pos += 3;
      } else if (line.compare(pos, 3, "<F>") == 0) {
        out += clip;
        pos += 3;
      } else {
        out += line[pos++];
      }
    }
    out += "\r\n";
  }
  return out;
}

inline double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

inline double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Rounds {
  std::vector<double> floorMs;
  std::vector<double> programMs;
};

// One warm-up round of each, then `count` rounds of each, the floor first in
// even pairs and the program first in odd ones, so that neither always runs
// in the wake of the other. Each callable runs one round and returns its ms.
template <typename Floor, typename Program>
Rounds alternate(std::size_t count, Floor floor, Program program) {
  floor();
  program();
  Rounds rounds;
  for (std::size_t r = 0; r < count; ++r) {
    if (r % 2 == 0) {
      rounds.floorMs.push_back(floor());
      rounds.programMs.push_back(program());
    } else {
      rounds.programMs.push_back(program());
      rounds.floorMs.push_back(floor());
    }
  }
  return rounds;
}

// Prints the medians with their ranges and the time per item, then as the
// last line "ratio <program median / floor median>".
inline void report(const Rounds& rounds, std::size_t items, const char* item) {
  const double floorMedian = median(rounds.floorMs);
  const double programMedian = median(rounds.programMs);
  const auto [floorMin, floorMax] =
      std::minmax_element(rounds.floorMs.begin(), rounds.floorMs.end());
  const auto [programMin, programMax] =
      std::minmax_element(rounds.programMs.begin(), rounds.programMs.end());
  const double perItem = 1000.0 / static_cast<double>(items);
  std::printf(
      "medians of %zu alternating rounds each, after one warm-up of each "
      "(floor %.1f..%.1f ms, clipquill %.1f..%.1f ms)\n",
      rounds.floorMs.size(), *floorMin, *floorMax, *programMin, *programMax);
  std::printf("floor  %.1f ms  (%.3f us/%s)\n", floorMedian, floorMedian * perItem, item);
  std::printf("clipquill %.1f ms (%.3f us/%s)\n", programMedian, programMedian * perItem, item);
  // The two rounds of a pair run back to back and so meet the system in the
  // same state; the median of their ratios stands firm when its pace changes
  // mid-run, which can split the rounds unevenly between the medians.
  std::vector<double> pairRatios;
  for (std::size_t r = 0; r < rounds.floorMs.size(); ++r) {
    pairRatios.push_back(rounds.programMs[r] / rounds.floorMs[r]);
  }
  const double ratio = programMedian / floorMedian;
  const double pairRatio = median(pairRatios);
  std::printf("median ratio within a pair %.3g\n", pairRatio);
  if (std::abs(ratio - pairRatio) > 0.15 * pairRatio) {
    std::printf(
        "warning: the system changed pace during the run, the ratio of medians is "
        "unreliable; run again (or with TMPDIR=/dev/shm)\n");
  }
  std::printf("ratio %.3g\n", ratio);
}

}  // namespace clipquill::bench
