// SPDX-License-Identifier: GPL-3.0-or-later
// Persisted files on the real file system.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/error.h"
#include "persist/persist_files.h"
#include "persist/settings_file.h"
#include "support/child_process.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace clipquill {
namespace {

using testing::listFolder;
using testing::readFile;
using testing::ScriptedUser;
using testing::TempDir;
using testing::writeFile;
using Names = std::vector<std::string>;

mode_t modeOf(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

std::string writeError(PersistFiles& files, const std::string& path, std::string_view bytes) {
  try {
    files.write(path, bytes);
  } catch (const Error& e) {
    return e.message();
  }
  return "no error";
}

class SystemPersistFilesTest : public ::testing::Test {
 protected:
  std::string path(const std::string& name) const { return dir.path() + "/" + name; }

  TempDir dir;
  std::unique_ptr<PersistFiles> files = makeSystemPersistFiles();
};

TEST_F(SystemPersistFilesTest, ReadsAndWritesBytesAsTheyAre) {
  const std::string bytes("a\0b\r\n\x1A\xFF", 7);
  files->write(path("t.qtpl"), bytes);
  EXPECT_EQ(files->read(path("t.qtpl")), bytes);
  files->write(path("empty"), "");
  EXPECT_EQ(files->read(path("empty")), "");
  EXPECT_EQ(files->read(path("missing")), std::nullopt);
  EXPECT_TRUE(files->isFile(path("t.qtpl")));
  EXPECT_FALSE(files->isFile(dir.path()));
  EXPECT_FALSE(files->isFile(path("missing")));

  EXPECT_EQ(writeError(*files, dir.path(), "x"), "File access denied");
  EXPECT_EQ(writeError(*files, path("no/such/folder"), "x"), "File not found");
  EXPECT_EQ(writeError(*files, path(std::string("a\0b", 3)), "x"), "Invalid filename");
  EXPECT_EQ(listFolder(dir.path()), (Names{"empty", "t.qtpl"}));
}

// Only a regular file is ever opened for reading: anything else reads as no
// file, at once, and is refused as the target of a write.
TEST_F(SystemPersistFilesTest, OnlyRegularFilesAreRead) {
  writeFile(path("t.qtpl"), "text");
  ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0644), 0);
  ASSERT_EQ(::symlink(path("fifo").c_str(), path("to-fifo").c_str()), 0);
  for (const std::string& nothing :
       {dir.path(), path("fifo"), path("to-fifo"), std::string("/dev/zero"), path("t.qtpl/x.qtpl"),
        path("missing/x.qtpl"), path(std::string(5000, 'n'))}) {
    SCOPED_TRACE(nothing.substr(0, 80));
    EXPECT_EQ(files->read(nothing), std::nullopt);
    EXPECT_FALSE(files->isFile(nothing));
  }
  EXPECT_EQ(writeError(*files, path("fifo"), "x"), "File access denied");
  EXPECT_EQ(writeError(*files, path("to-fifo"), "x"), "File access denied");
  EXPECT_EQ(writeError(*files, path("t.qtpl/x.qtpl"), "x"), "Invalid filename");
  EXPECT_EQ(readFile(path("t.qtpl")), "text");
  EXPECT_TRUE(S_ISFIFO(modeOf(path("fifo"))));
}

TEST_F(SystemPersistFilesTest, ReplacingKeepsPermissionsAndLinks) {
  writeFile(path("kept"), "old");
  ASSERT_EQ(::chmod(path("kept").c_str(), 0640), 0);
  files->write(path("kept"), "new");
  EXPECT_EQ(readFile(path("kept")), "new");
  EXPECT_EQ(modeOf(path("kept")) & 07777, 0640u);

  // The link stays a link; its target takes the bytes, even through a chain.
  ASSERT_EQ(::symlink("kept", path("link").c_str()), 0);
  ASSERT_EQ(::symlink(path("link").c_str(), path("link2").c_str()), 0);
  files->write(path("link2"), "through");
  EXPECT_TRUE(S_ISLNK(modeOf(path("link"))));
  EXPECT_TRUE(S_ISLNK(modeOf(path("link2"))));
  EXPECT_EQ(readFile(path("kept")), "through");
  EXPECT_EQ(modeOf(path("kept")) & 07777, 0640u);

  // A dangling link makes its target, as writing through it would.
  ASSERT_EQ(::symlink("made", path("dangling").c_str()), 0);
  files->write(path("dangling"), "new file");
  EXPECT_EQ(readFile(path("made")), "new file");

  ASSERT_EQ(::symlink("loop", path("loop").c_str()), 0);
  EXPECT_EQ(writeError(*files, path("loop"), "x"), "Invalid filename");
  EXPECT_EQ(listFolder(dir.path()), (Names{"dangling", "kept", "link", "link2", "loop", "made"}));
}

TEST_F(SystemPersistFilesTest, FoldersAndNames) {
  files->makeFolder(path("a"));
  files->makeFolder(path("a"));  // already there
  writeFile(path("a/f"), "");
  writeFile(path("a/.hidden"), "");
  Names names = files->names(path("a"));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (Names{".hidden", "f"}));
  EXPECT_TRUE(files->names(path("missing")).empty());
  EXPECT_THROW(files->makeFolder(path("a/f")), Error);
  EXPECT_THROW(files->makeFolder(path("x/y")), Error);
  EXPECT_TRUE(files->remove(path("a/f")));
  EXPECT_FALSE(files->remove(path("a/f")));
}

// A tiny tmpfs that the new bytes do not fit in. Needs the right to mount,
// which CI has as root.
TEST_F(SystemPersistFilesTest, AFullDiskKeepsTheOldFile) {
  const std::string mnt = path("small");
  std::filesystem::create_directory(mnt);
  if (::mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
  }
  writeFile(mnt + "/t.qtpl", "old");
  const std::string message = writeError(*files, mnt + "/t.qtpl", std::string(200'000, 'x'));
  const std::string left = readFile(mnt + "/t.qtpl");
  const Names names = listFolder(mnt);
  ::umount(mnt.c_str());

  EXPECT_EQ(message, "Disk full");
  EXPECT_EQ(left, "old");
  EXPECT_EQ(names, Names{"t.qtpl"});
}

// Saves killed at random points: the file is the old one or the whole new
// one, and whatever a kill leaves is cleared by the next save beside it.
TEST_F(SystemPersistFilesTest, KilledSavesKeepTheOldFileOrTheWholeNewOne) {
  const std::string fresh(8 << 20, 'n');
  const auto save = [&] {
    files = makeSystemPersistFiles();
    files->write(path("t.qtpl"), fresh);
    files->write(path("v"), "dword:00000001");  // a flag value, new each time
    return 0;
  };
  const auto reset = [&] {
    for (const std::string& name : listFolder(dir.path()))
      std::filesystem::remove(path(name));
    writeFile(path("t.qtpl"), "old");
  };
  reset();
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(testing::runInChild(save).exitCode, 0);
  const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);
  std::mt19937 random(13);
  std::uniform_int_distribution<long> when(0, whole.count() * 6 / 5);
  for (int round = 0; round < 30; ++round) {
    SCOPED_TRACE(round);
    reset();
    testing::killChildAfter(save, std::chrono::microseconds(when(random)),
                            round % 2 ? SIGKILL : SIGTERM);
    bool leftover = false;
    for (const std::string& name : listFolder(dir.path())) {
      const std::string bytes = readFile(path(name));
      if (name == "t.qtpl") {
        EXPECT_TRUE(bytes == "old" || bytes == fresh) << "cut short at " << bytes.size();
      } else if (name == "v") {
        EXPECT_EQ(bytes, "dword:00000001");
      } else {
        EXPECT_TRUE(name.starts_with(".clipquill-")) << name;
        EXPECT_EQ(bytes, fresh);
        leftover = true;
      }
    }
    if (leftover) {
      files->write(path("t.qtpl"), "later");
      EXPECT_EQ(listFolder(dir.path()), (Names{"t.qtpl", "v"}));
    }
  }
}

TEST_F(SystemPersistFilesTest, AFileSizeLimitFailsTheWriteNotTheProcess) {
  writeFile(path("t.qtpl"), "old");
  const testing::ChildEnd end = testing::runInChild([&] {
    ::signal(SIGXFSZ, SIG_DFL);
    struct rlimit limited = {12000, 12000};
    if (::setrlimit(RLIMIT_FSIZE, &limited) != 0) return 3;
    files = makeSystemPersistFiles();
    const std::string big(200'000, 'x');
    if (writeError(*files, path("t.qtpl"), big) != "I/O error 27") return 1;
    if (writeError(*files, path("new.qtpl"), big) != "I/O error 27") return 2;
    return 0;
  });
  EXPECT_EQ(end.signal, 0);
  EXPECT_EQ(end.exitCode, 0);
  EXPECT_EQ(readFile(path("t.qtpl")), "old");
  EXPECT_EQ(listFolder(dir.path()), Names{"t.qtpl"});
}

// Permission bits do not stop root: CTest runs this case once more as an
// unprivileged user through setpriv. A file the user may not write is not
// replaced; a folder that takes no new file has its writable files written
// in place.
TEST_F(SystemPersistFilesTest, UnprivilegedRefusedAccessKeepsTheOldFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root ignores permission bits";
  writeFile(path("ro.qtpl"), "old");
  writeFile(path("ro.ini"), "[Entries]\r\nClipLoc=old\r\n");
  for (const char* name : {"ro.qtpl", "ro.ini"})
    ASSERT_EQ(::chmod(path(name).c_str(), 0444), 0);
  EXPECT_EQ(writeError(*files, path("ro.qtpl"), "new"), "File access denied");
  ScriptedUser user;
  user.answers = {Answer::Ok, Answer::Cancel};  // a fresh file, then an update
  for (int i = 0; i < 2; ++i) {
    try {
      writeSettings(*files, user, path("ro.ini"), path("ro.qtpl"), TemplateSettings{});
      ADD_FAILURE() << "a read-only settings file was written";
    } catch (const Error& e) {
      EXPECT_EQ(e.message(), "Unable to write to " + path("ro.ini"));
    }
  }
  EXPECT_EQ(readFile(path("ro.qtpl")), "old");
  EXPECT_EQ(readFile(path("ro.ini")), "[Entries]\r\nClipLoc=old\r\n");
  EXPECT_EQ(modeOf(path("ro.qtpl")) & 0777, 0444u);

  writeFile(path("t.qtpl"), "old");
  writeFile(path("secret"), "x");
  ASSERT_EQ(::chmod(path("secret").c_str(), 0200), 0);
  ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
  EXPECT_EQ(writeError(*files, path("t.qtpl"), "new"), "no error");
  EXPECT_EQ(readFile(path("t.qtpl")), "new");
  EXPECT_EQ(writeError(*files, path("new.qtpl"), "new"), "File access denied");
  EXPECT_THROW(files->read(path("secret")), Error);
  EXPECT_THROW(files->makeFolder(path("sub")), Error);
  EXPECT_EQ(listFolder(dir.path()), (Names{"ro.ini", "ro.qtpl", "secret", "t.qtpl"}));
}

}  // namespace
}  // namespace clipquill
