// SPDX-License-Identifier: GPL-3.0-or-later
// Saving and loading a large template: how long writeTemplate and
// readTemplate take for a template of 100 MB in lines of about 60 bytes,
// set against the floor for the same bytes.
//
// The write floor is open (truncating), write, fsync and close of the
// finished bytes: no write that keeps its data safe can do with less.
// writeTemplate has to build those bytes from the lines first, and writes
// them beside the old file and renames them into place. The read floor is
// open, read and close into a buffer of the file's size, and a memchr count
// of its lines; readTemplate reads through the files layer and splits the
// bytes into one string per line.
//
// The lines are made before the clock starts, AviSynth calls of varied
// length; the floor's bytes are built from them apart from the program, and
// the program's file must hold exactly those bytes and read back as those
// lines, or the benchmark fails. After one warm-up round of each, the rounds
// alternate which side goes first; for each side a round is one write and
// one read. The two parts are reported apart, then the whole, whose last
// line is "ratio <clipquill median / floor median>". The file stays in the
// page cache after its write, so a read costs memory bandwidth, not the disk;
// a write pays the disk's fsync unless TMPDIR=/dev/shm puts it on tmpfs.
//
// Usage: bench_template_io [megabytes [rounds]]
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "bench/bench_support.h"
#include "persist/persist_files.h"
#include "persist/template_file.h"

namespace {

namespace support = clipquill::bench;
using support::Clock;
using support::die;
using support::dieErrno;
using support::msSince;
using Lines = std::vector<std::string>;

// --- the template ------------------------------------------------------------

// Lines as a long script holds them; each is filled in with a number and
// padded to a length that wanders around 60 bytes.
constexpr const char* kForms[] = {
    "clip%zu = AviSource(\"D:\\captures\\take %zu.avi\")",
    "clip%zu = clip%zu.Trim(%zu, 2400).AssumeFPS(25)",
    "# scene %zu: colour matched by hand, see notes %zu",
    "clip%zu = clip%zu.Levels(16, 1.0, 235, 0, 255, coring=false)",
    "",
    "return clip%zu ++ clip%zu.FadeIO(%zu)",
};

Lines makeLines(std::size_t bytes) {
  Lines lines;
  std::size_t total = 0;
  std::uint32_t state = 2463534242u;  // xorshift: the same template every run
  char text[160];
  for (std::size_t i = 0; total < bytes; ++i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    const char* form = kForms[state % std::size(kForms)];
    std::snprintf(text, sizeof text, form, i, i + 1, i % 9000);
    std::string line(text);
    if (!line.empty()) line.append((state >> 8) % 24, ' ');
    if ((state >> 16) % 97 == 0) line += "  # caf\xe9";  // not UTF-8, kept as it is
    total += line.size() + 2;
    lines.push_back(std::move(line));
  }
  return lines;
}

std::string floorBytes(const Lines& lines) {
  std::string bytes;
  for (const std::string& line : lines) {
    bytes.append(line);
    bytes.append("\r\n");
  }
  return bytes;
}

// --- the floor ---------------------------------------------------------------

std::size_t floorRead(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) dieErrno("cannot open " + path);
  struct stat st;
  if (::fstat(fd, &st) != 0) dieErrno("cannot stat " + path);
  const auto size = static_cast<std::size_t>(st.st_size);
  const std::unique_ptr<char[]> buffer(new char[size]);
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(fd, buffer.get() + got, size - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      dieErrno("cannot read " + path);
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) dieErrno("cannot close " + path);
  std::size_t count = 0;
  const char* at = buffer.get();
  const char* const end = at + got;
  while (const void* lf = std::memchr(at, '\n', static_cast<std::size_t>(end - at))) {
    at = static_cast<const char*>(lf) + 1;
    ++count;
  }
  return count;
}

// --- the rounds --------------------------------------------------------------

struct Bench {
  std::string floorPath;
  std::string programPath;
  Lines lines;
  std::string bytes;
  std::unique_ptr<clipquill::PersistFiles> files = clipquill::makeSystemPersistFiles();
  // The last read's lines, kept past its round so that freeing them falls
  // outside the next one's clock.
  std::optional<Lines> read;
  bool checked = false;

  std::vector<double> floorWriteMs, floorReadMs, programWriteMs, programReadMs;

  double floorRound() {
    auto start = Clock::now();
    support::floorWriteFile(floorPath, bytes, /*sync=*/true);
    const double writeMs = msSince(start);
    start = Clock::now();
    const std::size_t count = floorRead(floorPath);
    const double readMs = msSince(start);
    if (count != lines.size()) die("the floor counted " + std::to_string(count) + " lines");
    floorWriteMs.push_back(writeMs);
    floorReadMs.push_back(readMs);
    return writeMs + readMs;
  }

  double programRound() {
    read.reset();
    // glibc defers the work of freeing small blocks to the next large
    // allocation; do it here, so that the last round's lines are not paid
    // for by this round's clock.
    ::malloc_trim(0);
    double writeMs = 0;
    double readMs = 0;
    try {
      auto start = Clock::now();
      clipquill::writeTemplate(*files, programPath, lines);
      writeMs = msSince(start);
      start = Clock::now();
      read = clipquill::readTemplate(*files, programPath);
      readMs = msSince(start);
    } catch (const std::exception& e) {
      die(std::string("the template files failed: ") + e.what());
    }
    if (!read || read->size() != lines.size()) die("readTemplate gave other lines");
    if (!checked) {
      // Once is enough: every round writes the same lines the same way.
      if (files->read(programPath) != bytes) die("writeTemplate wrote other bytes");
      if (*read != lines) die("readTemplate gave other lines");
      checked = true;
    }
    programWriteMs.push_back(writeMs);
    programReadMs.push_back(readMs);
    return writeMs + readMs;
  }
};

void printPart(const char* part, const std::vector<double>& floorMs,
               const std::vector<double>& programMs) {
  // The warm-up round is first in each list and left out.
  const std::vector<double> floorRounds(floorMs.begin() + 1, floorMs.end());
  const std::vector<double> programRounds(programMs.begin() + 1, programMs.end());
  const double floorMedian = support::median(floorRounds);
  const double programMedian = support::median(programRounds);
  std::printf("%s: floor %.1f ms, clipquill %.1f ms, ratio %.2f\n", part, floorMedian,
              programMedian, programMedian / floorMedian);
}

}  // namespace

int main(int argc, char** argv) {
  support::programName = "bench_template_io";
  const std::size_t megabytes =
      support::countArgument(argc, argv, 1, support::byRun(100, 20), "number of megabytes");
  const std::size_t rounds =
      support::countArgument(argc, argv, 2, support::byRun(5, 3), "number of rounds");

  const std::string root = support::makeScratchFolder();
  Bench bench;
  bench.floorPath = root + "/floor.qtpl";
  bench.programPath = root + "/clipquill.qtpl";
  bench.lines = makeLines(megabytes << 20);
  bench.bytes = floorBytes(bench.lines);

  const support::Rounds measured = support::alternate(
      rounds, [&] { return bench.floorRound(); }, [&] { return bench.programRound(); });
  bench.read.reset();

  std::error_code ec;
  std::filesystem::remove_all(root, ec);
  if (ec) die("cannot remove " + root + ": " + ec.message());
  support::scratchFolder.clear();

  std::printf("template save and load: %zu bytes in %zu lines under %s\n", bench.bytes.size(),
              bench.lines.size(), root.c_str());
  std::printf(
      "floor: open/write/fsync/close, then open/read/close and a memchr line count; "
      "clipquill: writeTemplate, then readTemplate, through the system's files\n");
  printPart("write", bench.floorWriteMs, bench.programWriteMs);
  printPart("read", bench.floorReadMs, bench.programReadMs);
  support::report(measured, bench.lines.size(), "line");
  return 0;
}
