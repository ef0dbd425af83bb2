// SPDX-License-Identifier: GPL-3.0-or-later
// Re-reading the clip list: how long the clip list takes to read a folder of
// 100,000 entries against the mask "*.avi;*.mpg;*.mpeg;*.avs", set against the
// floor for the same listing.
//
// One round of the clip list is one full re-read: a fresh ClipList that holds
// the mask is moved to the folder, so it lists the folder through the system's
// Folders, tests every name against the mask and sorts what passes into
// natural order. The floor reads the same folder with opendir/readdir, skips
// hidden names and everything but ordinary files (a stat only where the entry
// says link or unknown), tests each name against the four patterns with a
// plain ASCII wild-card matcher and copies every match into a vector. No
// listing can do with less, so the floor is what the system calls and the
// copies cost; it does not sort, so the ratio shows what the natural sort and
// the clip list's own machinery add on top of them.
//
// The folder is made before the clock starts: clip names with the mask's
// extensions, some in capitals, among files of other kinds, hidden files,
// folders and links whose names pass the mask, and names that are not UTF-8.
// Both sides must list the same names; the program fails otherwise. After one
// warm-up round of each, the rounds alternate which side goes first; the
// medians are reported, and the last line printed is "ratio <clip list median
// / floor median>". The folder's entries stay in the kernel's cache, so the
// disk plays no part after the set-up; TMPDIR=/dev/shm puts it on tmpfs.
//
// Usage: bench_clip_listing [files [rounds]]
#include <dirent.h>
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
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "bench/bench_support.h"
#include "clips/clip_list.h"
#include "clips/folders.h"
#include "clips/natural_order.h"

namespace {

namespace support = clipquill::bench;
using support::Clock;
using support::die;
using support::dieErrno;
using support::msSince;

constexpr std::string_view kMask = "*.avi;*.mpg;*.mpeg;*.avs";

// --- the folder --------------------------------------------------------------

enum class Kind { File, Folder, Link, BrokenLink };

struct EntryForm {
  const char* format;  // takes the entry's number
  Kind kind;
  int weight;  // per thousand entries
};

// What a capture folder holds: mostly clips, the mask's extensions in either
// case, with the other files of a project, hidden files (macOS leaves "._"
// twins behind), near misses of the mask, names that are not UTF-8, and a
// few folders and links whose names pass the mask.
// clang-format off
constexpr EntryForm kForms[] = {
    {"clip %zu.avi", Kind::File, 256},
    {"Take %04zu.MPG", Kind::File, 120},
    {"interview %zu.mpeg", Kind::File, 80},
    {"b-roll %zu.avs", Kind::File, 60},
    {"Scene %zu.AVI", Kind::File, 40},
    {"wedding_%zu.Mpeg", Kind::File, 20},
    {"caf\xc3\xa9 %zu.avi", Kind::File, 10},   // UTF-8
    {"caf\xe9 %zu.avi", Kind::File, 4},        // Latin-1
    {"\xff\xfe take %zu.mpg", Kind::File, 2},  // neither
    {"dub \xe2\x82 %zu.avs", Kind::File, 2},   // a cut-off sequence
    {"clip %zu.mkv", Kind::File, 80},
    {"audio %zu.wav", Kind::File, 70},
    {"still %zu.jpg", Kind::File, 60},
    {"clip %zu.mp4", Kind::File, 50},
    {"notes %zu.txt", Kind::File, 40},
    {"project %zu.avsi", Kind::File, 30},
    {"clip %zu.avi.bak", Kind::File, 20},
    {"thumbs %zu.db", Kind::File, 10},
    {".clip %zu.avi", Kind::File, 20},
    {"._Take %04zu.MPG", Kind::File, 20},
    {"folder %zu.avi", Kind::Folder, 2},
    {"link %zu.avi", Kind::Link, 3},
    {"gone %zu.mpg", Kind::BrokenLink, 1},
};
// clang-format on

constexpr int totalWeight() {
  int total = 0;
  for (const EntryForm& form : kForms)
    total += form.weight;
  return total;
}
// The scramble in makeFolder visits every slot once in each thousand entries:
// its multiplier shares no factor with 1000.
static_assert(totalWeight() == 1000);

struct FolderStats {
  std::size_t files = 0;
  std::size_t folders = 0;
  std::size_t links = 0;
  std::size_t hidden = 0;
};

// Fills dir with count entries, their forms spread evenly over the folder's
// order of creation. Every name carries its own number, so none repeats.
FolderStats makeFolder(const std::string& dir, std::size_t count) {
  const int total = totalWeight();
  FolderStats stats;
  std::string lastFile;  // what the next link points to
  char name[64];
  for (std::size_t i = 0; i < count; ++i) {
    // A fixed scramble of i, so that each stretch of the folder holds the mix.
    const int slot = static_cast<int>((i * 2654435761u) % static_cast<std::size_t>(total));
    const EntryForm* form = kForms;
    int below = form->weight;
    while (slot >= below)
      below += (++form)->weight;
    std::snprintf(name, sizeof name, form->format, i + 1);
    const std::string path = dir + "/" + name;
    if (name[0] == '.') ++stats.hidden;
    switch (form->kind) {
      case Kind::File: {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) dieErrno("cannot create " + path);
        if (::close(fd) != 0) dieErrno("cannot close " + path);
        lastFile = name;
        ++stats.files;
        break;
      }
      case Kind::Folder:
        if (::mkdir(path.c_str(), 0755) != 0) dieErrno("cannot create " + path);
        ++stats.folders;
        break;
      case Kind::Link:
      case Kind::BrokenLink: {
        const bool broken = form->kind == Kind::BrokenLink || lastFile.empty();
        const std::string target = broken ? "no such file" : lastFile;
        if (::symlink(target.c_str(), path.c_str()) != 0) dieErrno("cannot create " + path);
        ++stats.links;
        break;
      }
    }
  }
  return stats;
}

// --- the floor ---------------------------------------------------------------

char foldAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The classic matcher: on a mismatch the last "*" takes one more byte. The
// floor's patterns have no "?" and no final ".*", so bytes are all it needs.
bool floorMatches(std::string_view pattern, std::string_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starP = std::string_view::npos;
  std::size_t starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = ++p;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == foldAscii(name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*')
    ++p;
  return p == pattern.size();
}

std::vector<std::string> floorPatterns() {
  std::vector<std::string> patterns;
  std::string_view rest = kMask;
  for (;;) {
    const std::size_t semi = rest.find(';');
    std::string pattern(rest.substr(0, semi));
    for (char& c : pattern)
      c = foldAscii(c);
    patterns.push_back(std::move(pattern));
    if (semi == std::string_view::npos) break;
    rest.remove_prefix(semi + 1);
  }
  return patterns;
}

bool isOrdinaryFile(DIR* dir, const dirent& entry) {
  if (entry.d_type == DT_REG) return true;
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
  struct stat st;
  return ::fstatat(::dirfd(dir), entry.d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

std::vector<std::string> floorListing(const std::string& dir,
                                      const std::vector<std::string>& patterns) {
  std::vector<std::string> names;
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) dieErrno("cannot open " + dir);
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(d);
    if (entry == nullptr) {
      if (errno != 0) dieErrno("cannot read " + dir);
      break;
    }
    if (entry->d_name[0] == '.' || !isOrdinaryFile(d, *entry)) continue;
    const std::string_view name(entry->d_name);
    for (const std::string& pattern : patterns) {
      if (floorMatches(pattern, name)) names.emplace_back(name);
    }
  }
  ::closedir(d);
  return names;
}

// --- the rounds --------------------------------------------------------------

struct Bench {
  std::string dir;
  std::vector<std::string> patterns = floorPatterns();
  std::unique_ptr<clipquill::Folders> folders = clipquill::makeSystemFolders();
  // The floor's names of the last round, in byte order, for the clip list's to
  // be checked against.
  std::vector<std::string> expected;
  // The clip list of the last round, kept past its round so that freeing it
  // falls outside the next one's clock.
  std::unique_ptr<clipquill::ClipList> list;

  double floorRound() {
    const auto start = Clock::now();
    std::vector<std::string> names = floorListing(dir, patterns);
    const double ms = msSince(start);

    std::sort(names.begin(), names.end());
    if (!expected.empty() && names != expected) die("the floor listed other names than before");
    expected = std::move(names);
    return ms;
  }

  double clipListRound() {
    auto fresh = std::make_unique<clipquill::ClipList>(*folders);
    bool reread = false;
    double ms = 0;
    try {
      if (fresh->setMask(kMask)) die("setMask read a folder before the list had one");
      const auto start = Clock::now();
      reread = fresh->setFolder(dir);
      ms = msSince(start);
    } catch (const std::exception& e) {
      die(std::string("the clip list failed: ") + e.what());
    }
    if (!reread) die("setFolder did not read the folder");
    verify(fresh->entries());
    list = std::move(fresh);
    return ms;
  }

  void verify(const std::vector<std::string>& entries) const {
    if (entries.size() != expected.size()) {
      die("the clip list listed " + std::to_string(entries.size()) + " names, the floor " +
          std::to_string(expected.size()));
    }
    const auto unsorted =
        std::is_sorted_until(entries.begin(), entries.end(), clipquill::naturalLess);
    if (unsorted != entries.end()) {
      die("the clip list is out of order at \"" + *unsorted + "\", after \"" +
          *std::prev(unsorted) + "\"");
    }
    std::vector<std::string> names = entries;
    std::sort(names.begin(), names.end());
    const auto [ours, theirs] = std::mismatch(names.begin(), names.end(), expected.begin());
    if (ours != names.end()) {
      die("the clip list holds \"" + *ours + "\" where the floor holds \"" + *theirs + "\"");
    }
  }

  // Setting the folder and the mask in force once more must not re-read;
  // returns the time of one such pair in microseconds.
  double sameAgainUs() {
    constexpr int kRepeats = 1000;
    const auto start = Clock::now();
    for (int i = 0; i < kRepeats; ++i) {
      try {
        if (list->setFolder(dir) || list->setMask(kMask)) {
          die("setting the folder and mask in force re-read the folder");
        }
      } catch (const std::exception& e) {
        die(std::string("the clip list failed: ") + e.what());
      }
    }
    return msSince(start) * 1000.0 / kRepeats;
  }
};

}  // namespace

int main(int argc, char** argv) {
  support::programName = "bench_clip_listing";
  const std::size_t fileCount =
      support::countArgument(argc, argv, 1, support::byRun(100000, 10000), "number of files");
  const std::size_t rounds =
      support::countArgument(argc, argv, 2, support::byRun(15, 5), "number of rounds");

  const std::string root = support::makeScratchFolder();
  Bench bench;
  bench.dir = root + "/clips";
  support::makeFolder(bench.dir);
  const FolderStats stats = makeFolder(bench.dir, fileCount);

  const support::Rounds measured = support::alternate(
      rounds, [&] { return bench.floorRound(); }, [&] { return bench.clipListRound(); });
  const double againUs = bench.sameAgainUs();
  const std::size_t listed = bench.list->count();
  bench.list.reset();

  std::error_code ec;
  std::filesystem::remove_all(root, ec);
  if (ec) die("cannot remove " + root + ": " + ec.message());
  support::scratchFolder.clear();

  std::printf(
      "clip list re-read: %zu entries (%zu files, %zu folders, %zu links, %zu of them hidden) "
      "under %s, mask \"%s\"\n",
      fileCount, stats.files, stats.folders, stats.links, stats.hidden, root.c_str(),
      std::string(kMask).c_str());
  std::printf(
      "floor: opendir/readdir, d_type (stat for links), ASCII wild cards, copies, no sort; "
      "clipquill: ClipList::setFolder on a fresh list, natural sort included\n");
  std::printf("names listed: %zu\n", listed);
  std::printf("same folder and mask again: %.2f us, no re-read\n", againUs);
  support::report(measured, fileCount, "entry");
  return 0;
}
