// SPDX-License-Identifier: GPL-3.0-or-later
// The real file system, for the failures it can show for real: missing and
// refused folders, names it rejects, a full disk, a write refused half-way
// and, run as an unprivileged user, access refused by permission bits.
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <random>

#include "core/generator.h"
#include "core/script_files.h"
#include "support/child_process.h"
#include "support/error_message.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace clipquill {
namespace {

using testing::errorMessage;
using testing::listFolder;
using testing::readFile;
using testing::ScriptedUser;
using testing::TempDir;
using testing::VectorList;
using testing::writeFile;
using Lines = std::vector<std::string>;

class SystemScriptFilesTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::unique_ptr<ScriptFiles> files = makeSystemScriptFiles();
  std::string path(const std::string& name) const { return dir.slash() + name; }
};

// createNew is the existence test: a file, a link to one or a dangling link
// is left alone for the caller to ask about; anything else in the way is
// refused, and nothing is ever opened that could block.
TEST_F(SystemScriptFilesTest, CreateNewLeavesWhatIsThereAlone) {
  writeFile(path("f.avs"), "someone else's");
  std::filesystem::create_symlink(path("f.avs"), path("link.avs"));
  std::filesystem::create_directory(path("d.avs"));
  std::filesystem::create_symlink(path("d.avs"), path("to-folder.avs"));
  std::filesystem::create_symlink(path("gone"), path("dangling.avs"));
  ASSERT_EQ(::mkfifo(path("fifo.avs").c_str(), 0644), 0);
  for (const char* asked : {"f.avs", "link.avs", "dangling.avs"}) {
    SCOPED_TRACE(asked);
    EXPECT_EQ(files->createNew(path(asked)), nullptr);
  }
  for (const char* refused : {"d.avs", "to-folder.avs", "fifo.avs"}) {
    SCOPED_TRACE(refused);
    EXPECT_EQ(errorMessage([&] { files->createNew(path(refused)); }), "File access denied");
  }
  EXPECT_EQ(readFile(path("f.avs")), "someone else's");
  EXPECT_EQ(listFolder(dir.path()),
            (Lines{"d.avs", "dangling.avs", "f.avs", "fifo.avs", "link.avs", "to-folder.avs"}));
}

TEST_F(SystemScriptFilesTest, NewScriptAppearsOnlyWhenCommittedAndWithUsualPermissions) {
  const mode_t mask = ::umask(022);
  auto writer = files->createNew(path("s.avs"));
  writer->write("line\r\n");
  writer->write("");
  writer->commit([] {});
  ::umask(mask);
  EXPECT_EQ(readFile(path("s.avs")), "line\r\n");
  struct stat st;
  ASSERT_EQ(::stat(path("s.avs").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST_F(SystemScriptFilesTest, AbandonedScriptsLeaveNoTrace) {
  writeFile(path("old.avs"), "old bytes");
  {
    auto fresh = files->createNew(path("new.avs"));
    fresh->write("half");
    auto replacement = files->replace(path("old.avs"));
    replacement->write("half");
    EXPECT_EQ(readFile(path("old.avs")), "old bytes");  // untouched while being replaced
  }
  EXPECT_EQ(listFolder(dir.path()), Lines{"old.avs"});
  EXPECT_EQ(readFile(path("old.avs")), "old bytes");
}

TEST_F(SystemScriptFilesTest, ReplaceSwapsInTheNewBytesAndReplacesALinkItself) {
  writeFile(path("target.txt"), "target");
  std::filesystem::create_symlink(path("target.txt"), path("s.avs"));
  std::filesystem::create_symlink(path("gone"), path("dangling.avs"));
  Lines landed;
  for (const char* name : {"s.avs", "dangling.avs"}) {
    auto writer = files->replace(path(name));
    writer->write(std::string("new ") + name);
    writer->commit([&landed, name] { landed.push_back(name); });
  }
  // Held back until one sync serves both: the links still stand.
  EXPECT_TRUE(landed.empty());
  EXPECT_EQ(readFile(path("s.avs")), "target");
  files->settle();
  EXPECT_EQ(landed, (Lines{"s.avs", "dangling.avs"}));
  // As deleting the old entry and writing a new file would.
  EXPECT_FALSE(std::filesystem::is_symlink(path("s.avs")));
  EXPECT_FALSE(std::filesystem::is_symlink(path("dangling.avs")));
  EXPECT_EQ(readFile(path("s.avs")), "new s.avs");
  EXPECT_EQ(readFile(path("dangling.avs")), "new dangling.avs");
  EXPECT_EQ(readFile(path("target.txt")), "target");
  EXPECT_EQ(listFolder(dir.path()), (Lines{"dangling.avs", "s.avs", "target.txt"}));
}

// Scripts committed after a held replacement wait behind it, so that the
// list follows the run's order; a held script counts as there already.
TEST_F(SystemScriptFilesTest, HeldScriptsLandInCommitOrder) {
  writeFile(path("a.avs"), "old a");
  Lines landed;
  const auto commit = [&](std::unique_ptr<ScriptWriter> writer, const std::string& name) {
    ASSERT_NE(writer, nullptr);
    writer->write(name + " bytes");
    writer->commit([&landed, name] { landed.push_back(name); });
  };
  commit(files->replace(path("a.avs")), "a.avs");
  commit(files->createNew(path("b.avs")), "b.avs");
  EXPECT_EQ(files->createNew(path("b.avs")), nullptr);  // held, so asked about
  commit(files->replace(path("b.avs")), "b.avs again");
  // A replacement of a name with nothing there yet is held as well.
  commit(files->replace(path("n.avs")), "n.avs");
  EXPECT_EQ(files->createNew(path("n.avs")), nullptr);
  EXPECT_EQ(files->createNew(path("a.avs")), nullptr);
  EXPECT_TRUE(landed.empty());
  EXPECT_EQ(readFile(path("a.avs")), "old a");
  EXPECT_FALSE(std::filesystem::exists(path("b.avs")));
  files->settle();
  EXPECT_EQ(landed, (Lines{"a.avs", "b.avs", "b.avs again", "n.avs"}));
  EXPECT_EQ(readFile(path("a.avs")), "a.avs bytes");
  EXPECT_EQ(readFile(path("b.avs")), "b.avs again bytes");
  EXPECT_EQ(readFile(path("n.avs")), "n.avs bytes");
  EXPECT_EQ(listFolder(dir.path()), (Lines{"a.avs", "b.avs", "n.avs"}));
  // Nothing held: a new script lands at its commit.
  commit(files->createNew(path("c.avs")), "c.avs");
  EXPECT_EQ(landed.back(), "c.avs");
}

// Another program puts a file where a new script is going, after createNew
// found the name free: the script lands at its commit, or held behind a
// replacement. The question decides: yes replaces it, no drops the script
// (and those after it) with ScriptDeclined, as no question at all does; a
// folder put there is refused as createNew refuses one.
TEST_F(SystemScriptFilesTest, AFileThatTakesANewScriptsNameIsAskedAbout) {
  enum class Ask { None, Yes, No };
  const struct {
    bool heldBehind;
    Ask ask;
    bool folder;
    const char* outcome;
    const char* left;
  } rows[] = {
      {false, Ask::Yes, false, "landed", "new"},
      {true, Ask::Yes, false, "landed", "new"},
      {false, Ask::No, false, "declined", "other"},
      {true, Ask::No, false, "declined", "other"},
      {false, Ask::None, false, "declined", "other"},
      {false, Ask::Yes, true, "File access denied", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.heldBehind ? "held" : "at once") + " " + row.outcome);
    const TempDir here;
    const std::string taken = here.slash() + "t.avs";
    writeFile(here.slash() + "r.avs", "old r");
    const auto scripts = makeSystemScriptFiles();
    Lines asked;
    if (row.ask != Ask::None) {
      scripts->onTaken([&](const std::string& p) {
        asked.push_back(p);
        return row.ask == Ask::Yes;
      });
    }
    std::string outcome = "landed";
    try {
      if (row.heldBehind) {
        auto replacing = scripts->replace(here.slash() + "r.avs");
        replacing->write("new r");
        replacing->commit([] {});
      }
      auto writer = scripts->createNew(taken);
      ASSERT_NE(writer, nullptr);
      writer->write("new");
      if (row.folder) {
        std::filesystem::create_directory(taken);
      } else {
        writeFile(taken, "other");
      }
      writer->commit([] {});
      scripts->settle();
    } catch (const ScriptDeclined&) {
      outcome = "declined";
    } catch (const Error& e) {
      outcome = e.message();
    }
    EXPECT_EQ(outcome, row.outcome);
    EXPECT_EQ(asked, row.ask == Ask::None ? Lines{} : Lines{taken});
    if (!row.folder) {
      EXPECT_EQ(readFile(taken), row.left);
    }
    // Nothing of the program's own is left beside them.
    EXPECT_EQ(listFolder(here.path()), (Lines{"r.avs", "t.avs"}));
  }
}

// The generator on the real file system.
class RealRunTest : public SystemScriptFilesTest {
 protected:
  ScriptedUser user;
  VectorList created;
  ScriptState state;
  Lines templ = {"AVISource(\"<P><F>\")", "ConvertToYV12()"};
  Lines clips = {"a.avi", "b.avi", "c.avi"};
  std::string name;

  RunOutcome run(const std::string& dest) {
    ScriptGenerator generator(*files, user, created);
    const std::string text = testing::templateBuffer(templ);
    return generator.run({TemplateLines(text), dest, "/caps", name, clips, false}, state);
  }
  std::string runForError(const std::string& dest) {
    return errorMessage([&] { run(dest); });
  }
};

TEST_F(RealRunTest, BadDestinationsEndTheRunWithTheirMessage) {
  writeFile(path("a file"), "x");
  struct Case {
    std::string dest;
    std::string name;
    const char* message;
  };
  const Case cases[] = {
      {path("missing"), "", "File not found"},
      {path("a file"), "", "Invalid filename"},  // a destination that is a file
      {dir.path(), "*" + std::string(300, 'n'), "Invalid filename"},  // a name the system refuses
      {dir.path(), "sub/*", "File not found"},                        // a folder that is not there
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    name = c.name;
    EXPECT_EQ(runForError(c.dest), c.message);
    EXPECT_EQ(created.lines, Lines{"Script(s) Created:"});
  }
  EXPECT_EQ(listFolder(dir.path()), Lines{"a file"});
}

// A file size limit refuses a write part-way through, for real; SIGXFSZ is
// ignored so that write() reports EFBIG instead of ending the process.
TEST_F(RealRunTest, WriteRefusedHalfWayLeavesNothingHalfWritten) {
  templ.assign(300, std::string(48, 'x'));  // 15 KB a script
  writeFile(path("b.avs"), "old");
  user.answers = {Answer::Ok, Answer::Ok};
  struct rlimit old;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limited = old;
  limited.rlim_cur = 12000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  clips = {"a.avi"};  // a new script
  const std::string newScript = runForError(dir.path());
  clips = {"b.avi"};  // a replacement
  const std::string replacement = runForError(dir.path());
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, oldHandler);

  EXPECT_EQ(newScript, "I/O error 27");
  EXPECT_EQ(replacement, "I/O error 27");
  EXPECT_EQ(user.boxes.size(), 1u);  // asked before replacing b.avs
  EXPECT_EQ(created.lines, Lines{"Script(s) Created:"});
  EXPECT_EQ(listFolder(dir.path()), Lines{"b.avs"});
  EXPECT_EQ(readFile(path("b.avs")), "old");
}

// A tiny tmpfs fills up after a couple of scripts. Needs the right to mount,
// which CI has as root.
TEST_F(RealRunTest, FullDiskKeepsFinishedScriptsAndRemovesTheFailingOne) {
  const std::string mnt = path("small");
  std::filesystem::create_directory(mnt);
  if (::mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
  }
  templ.assign(500, std::string(48, 'z'));  // 25 KB a script: the third does not fit
  clips = {"a.avi", "b.avi", "c.avi", "d.avi"};
  const std::string message = runForError(mnt);
  const Lines left = listFolder(mnt);
  ::umount(mnt.c_str());

  EXPECT_EQ(message, "Disk full");
  ASSERT_GE(created.lines.size(), 2u);
  Lines expected(created.lines.begin() + 1, created.lines.end());
  EXPECT_EQ(left, expected);  // every script listed is there, nothing else is
  EXPECT_LT(expected.size(), 4u);
}

// Replacements wait for one sync; however the run ends, every script
// finished before the end lands, and is listed, in order.
TEST_F(RealRunTest, ARunThatEndsEarlyLandsWhatItFinished) {
  struct StopAt : RunProgress {
    std::size_t at;
    explicit StopAt(std::size_t n) : at(n) {}
    bool proceed(std::size_t written, std::size_t) override { return written < at; }
  };
  struct Case {
    const char* what;
    std::deque<Answer> answers;
    std::size_t stopAt;
    RunOutcome outcome;
    const char* message;
    Lines listed;
  };
  const Case cases[] = {
      {"completed",
       {Answer::Ok, Answer::Ok},
       9,
       RunOutcome::Completed,
       "",
       {"a.avs", "b.avs", "c.avs", "d.avs"}},
      {"declined",
       {Answer::Ok, Answer::Cancel},
       9,
       RunOutcome::OverwriteDeclined,
       "",
       {"a.avs", "b.avs"}},
      {"stopped", {Answer::Ok, Answer::Ok}, 2, RunOutcome::Cancelled, "", {"a.avs", "b.avs"}},
      {"failed", {Answer::Ok}, 9, RunOutcome::Completed, "File access denied", {"a.avs", "b.avs"}},
  };
  clips = {"a.avi", "b.avi", "c.avi", "d.avi"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const std::string& name : listFolder(dir.path()))
      std::filesystem::remove(path(name));
    writeFile(path("b.avs"), "old");
    if (std::string(c.what) == "failed") {
      ASSERT_EQ(::mkfifo(path("c.avs").c_str(), 0644), 0);
    } else {
      writeFile(path("c.avs"), "old");
    }
    user.answers = c.answers;
    StopAt progress(c.stopAt);
    ScriptGenerator generator(*files, user, created, &progress);
    RunOutcome outcome = RunOutcome::Completed;
    const std::string text = testing::templateBuffer(templ);
    const std::string message = errorMessage([&] {
      outcome = generator.run({TemplateLines(text), dir.path(), "/caps", "", clips, false}, state);
    });
    EXPECT_EQ(message, c.message);
    EXPECT_EQ(outcome, c.outcome);
    Lines listed(created.lines.begin() + 1, created.lines.end());
    EXPECT_EQ(listed, c.listed);
    for (const std::string& name : listed)
      EXPECT_EQ(readFile(path(name)).substr(0, 22),
                "AVISource(\"/caps/" + name.substr(0, 1) + ".avi")
          << name;
    // Nothing else was written, and nothing is left open or named for a moment.
    for (const std::string& name : listFolder(dir.path())) {
      EXPECT_FALSE(name.starts_with(".")) << name;
      if (std::find(listed.begin(), listed.end(), name) == listed.end() &&
          std::filesystem::is_regular_file(path(name))) {
        EXPECT_EQ(readFile(path(name)), "old") << name;
      }
    }
  }
}

// A long run meets old scripts in any mix: however few or many there are,
// and wherever they stand, each is asked about once and replaced, every new
// script lands without a question, and what a killed run left is swept.
TEST_F(RealRunTest, LongRunsReplaceAndCreateInAnyMix) {
  constexpr std::size_t kClips = 200;
  const struct {
    const char* what;
    std::function<bool(std::size_t)> old;  // whether clip i's script is there
  } rows[] = {
      {"all there", [](std::size_t) { return true; }},
      {"none there", [](std::size_t) { return false; }},
      {"first half there", [](std::size_t i) { return i < kClips / 2; }},
      {"last half there", [](std::size_t i) { return i >= kClips / 2; }},
      {"every third there", [](std::size_t i) { return i % 3 == 0; }},
  };
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ASSERT_GT(gone, 0);
  ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
  const std::string stale = ".clipquill-" + std::to_string(gone) + "-0.tmp";
  templ = {"AVISource(\"<P><F>\")"};
  clips.clear();
  Lines names;
  for (std::size_t i = 0; i < kClips; ++i) {
    clips.push_back("clip" + std::to_string(1000 + i) + ".avi");
    names.push_back("clip" + std::to_string(1000 + i) + ".avs");
  }
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    for (const std::string& name : listFolder(dir.path()))
      std::filesystem::remove(path(name));
    writeFile(path(stale), "left by a kill");
    std::size_t there = 0;
    for (std::size_t i = 0; i < kClips; ++i) {
      if (row.old(i)) {
        writeFile(path(names[i]), "old");
        ++there;
      }
    }
    files = makeSystemScriptFiles();
    user.boxes.clear();
    user.answers.assign(kClips, Answer::Ok);
    created.lines.clear();
    EXPECT_EQ(run(dir.path()), RunOutcome::Completed);
    EXPECT_EQ(user.boxes.size(), there);
    EXPECT_EQ(Lines(created.lines.begin() + 1, created.lines.end()), names);
    for (std::size_t i = 0; i < kClips; ++i)
      EXPECT_EQ(readFile(path(names[i])), "AVISource(\"/caps/" + clips[i] + "\")\r\n") << names[i];
    const Lines left = listFolder(dir.path());
    EXPECT_EQ(left.size(), kClips) << (left.empty() ? "" : left.front());
  }
}

// Without a handler of the program's own, SIGXFSZ would end the process part
// way through a script; with it ignored, the write fails with its error.
TEST_F(RealRunTest, AFileSizeLimitFailsTheWriteNotTheProcess) {
  templ.assign(300, std::string(48, 'x'));  // 15 KB a script
  writeFile(path("b.avs"), "old");
  const testing::ChildEnd end = testing::runInChild([&] {
    ::signal(SIGXFSZ, SIG_DFL);
    struct rlimit limited = {12000, 12000};
    if (::setrlimit(RLIMIT_FSIZE, &limited) != 0) return 3;
    files = makeSystemScriptFiles();
    user.answers = {Answer::Ok};
    clips = {"a.avi"};  // a new script
    if (runForError(dir.path()) != "I/O error 27") return 1;
    clips = {"b.avi"};  // a replacement
    if (runForError(dir.path()) != "I/O error 27") return 2;
    return 0;
  });
  EXPECT_EQ(end.signal, 0);
  EXPECT_EQ(end.exitCode, 0);
  EXPECT_EQ(listFolder(dir.path()), Lines{"b.avs"});
  EXPECT_EQ(readFile(path("b.avs")), "old");
}

// Runs killed at random points, new scripts and replacements alike: every
// script is the old one or the whole new one, never cut short, and nothing
// else is left that a later run does not clear away.
TEST_F(RealRunTest, KilledRunsLeaveOnlyWholeScripts) {
  templ.assign(20000, std::string(50, 'k') + "<F>");  // about 1.1 MB a script
  clips = {"a.avi", "b.avi", "c.avi", "d.avi", "e.avi", "f.avi"};
  const Lines replaced = {"b.avs", "d.avs", "f.avs"};
  const auto expected = [&](const std::string& script) {
    std::string bytes;
    const std::string line = std::string(50, 'k') + script.substr(0, 1) + ".avi\r\n";
    for (std::size_t i = 0; i < templ.size(); ++i)
      bytes += line;
    return bytes;
  };
  const auto runToEnd = [&] {
    files = makeSystemScriptFiles();
    user.answers.assign(clips.size(), Answer::Ok);
    run(dir.path());
    return 0;
  };
  const auto reset = [&] {
    for (const std::string& name : listFolder(dir.path()))
      std::filesystem::remove(path(name));
    for (const std::string& name : replaced)
      writeFile(path(name), "old");
  };
  reset();
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(testing::runInChild(runToEnd).exitCode, 0);
  const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);
  for (const std::string& name : listFolder(dir.path()))
    ASSERT_EQ(readFile(path(name)), expected(name)) << name;

  std::mt19937 random(13);
  std::uniform_int_distribution<long> when(0, whole.count() * 6 / 5);
  int temporaries = 0;
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    bool leftover = false;
    reset();
    const testing::ChildEnd end = testing::killChildAfter(
        runToEnd, std::chrono::microseconds(when(random)), round % 2 ? SIGKILL : SIGTERM);
    ASSERT_TRUE(end.exitCode == 0 || end.signal != 0);
    for (const std::string& name : listFolder(dir.path())) {
      const std::string bytes = readFile(path(name));
      if (name.starts_with(".clipquill-")) {
        // A replacement's temporary, whole or not: never under a script's name.
        ++temporaries;
        leftover = true;
        continue;
      }
      ASSERT_EQ(name.size(), 5u);
      if (bytes != expected(name)) {
        EXPECT_EQ(bytes, "old") << name << " cut short at " << bytes.size() << " bytes";
        EXPECT_NE(std::find(replaced.begin(), replaced.end(), name), replaced.end()) << name;
      }
    }
    if (leftover) {
      // A later run recognises what the killed one left and removes it.
      ASSERT_EQ(testing::runInChild(runToEnd).exitCode, 0);
      for (const std::string& name : listFolder(dir.path()))
        EXPECT_FALSE(name.starts_with(".clipquill-")) << name;
    }
  }
  RecordProperty("temporaries", temporaries);
}

// Permission bits do not stop root: CTest runs this case once more as an
// unprivileged user through setpriv.
TEST_F(RealRunTest, UnprivilegedReadOnlyScriptIsNotReplaced) {
  if (::geteuid() == 0) GTEST_SKIP() << "root ignores permission bits";
  writeFile(path("b.avs"), "old");
  ASSERT_EQ(::chmod(path("b.avs").c_str(), 0444), 0);
  user.answers = {Answer::Ok};
  EXPECT_EQ(runForError(dir.path()), "File access denied");
  EXPECT_EQ(created.lines, (Lines{"Script(s) Created:", "a.avs"}));
  EXPECT_EQ(readFile(path("b.avs")), "old");
  EXPECT_EQ(listFolder(dir.path()), (Lines{"a.avs", "b.avs"}));
}

// A folder that takes no new file: a writable script in it is written in
// place, a new one is refused.
TEST_F(RealRunTest, UnprivilegedReadOnlyFolderWritesInPlaceOrRefuses) {
  if (::geteuid() == 0) GTEST_SKIP() << "root ignores permission bits";
  writeFile(path("b.avs"), "old");
  ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
  user.answers = {Answer::Ok};
  clips = {"b.avi", "a.avi"};
  EXPECT_EQ(runForError(dir.path()), "File access denied");
  ::chmod(dir.path().c_str(), 0755);
  EXPECT_EQ(created.lines, (Lines{"Script(s) Created:", "b.avs"}));
  EXPECT_EQ(listFolder(dir.path()), Lines{"b.avs"});
  EXPECT_EQ(readFile(path("b.avs")), "AVISource(\"/caps/b.avi\")\r\nConvertToYV12()\r\n");
}

}  // namespace
}  // namespace clipquill
