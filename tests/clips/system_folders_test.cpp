// SPDX-License-Identifier: GPL-3.0-or-later
// The clip list on the real file system.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "clips/clip_list.h"
#include "clips/folders.h"
#include "core/error.h"
#include "support/error_message.h"
#include "support/temp_dir.h"

namespace clipquill {
namespace {

using testing::TempDir;
using testing::writeFile;
using Names = std::vector<std::string>;

Names listed(Folders& folders, const std::string& folder) {
  Names names;
  folders.listFiles(folder, [&](std::string_view name) { names.emplace_back(name); });
  std::sort(names.begin(), names.end());
  return names;
}

std::string errorOf(Folders& folders, const std::string& folder) {
  return testing::errorMessage([&] { listed(folders, folder); }, "no error");
}

TEST(SystemClipFolders, ListsOrdinaryFilesOnly) {
  const TempDir dir;
  const std::string d = dir.path() + "/";
  for (const char* name : {"a.avi", "B.AVS", "noext", ".hidden.avi", "link-target"}) {
    writeFile(d + name, "x");
  }
  ASSERT_EQ(::mkdir((d + "folder.avi").c_str(), 0700), 0);
  ASSERT_EQ(::mkfifo((d + "pipe.avi").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("link-target", (d + "link.avi").c_str()), 0);
  ASSERT_EQ(::symlink("gone", (d + "broken.avi").c_str()), 0);
  ASSERT_EQ(::symlink("folder.avi", (d + "folderlink.avi").c_str()), 0);
  // A name that is not UTF-8 is kept byte for byte.
  const std::string latin1 = "caf\xE9.avi";
  writeFile(d + latin1, "x");

  const auto folders = makeSystemFolders();
  EXPECT_EQ(listed(*folders, dir.path()),
            (Names{"B.AVS", "a.avi", latin1, "link-target", "link.avi", "noext"}));
  EXPECT_EQ(folders->kind(d + "a.avi"), PathKind::File);
  EXPECT_EQ(folders->kind(d + "link.avi"), PathKind::File);
  EXPECT_EQ(folders->kind(d + "folderlink.avi"), PathKind::Folder);
  EXPECT_EQ(folders->kind(d + "broken.avi"), PathKind::Missing);
  EXPECT_EQ(folders->kind(d + "nothing"), PathKind::Missing);

  // Through the clip list: "clip*.*"-style masks take names without a period.
  ClipList list(*folders);
  list.setMask("NO*.*;*.avi");
  list.setFolder(dir.path());
  EXPECT_EQ(list.entries(), (Names{"a.avi", latin1, "link.avi", "noext"}));
  // A prefix holding a separator matches no name and stays in the folder.
  list.setMask("sub/x*.*;sub\\x*.*");
  EXPECT_EQ(list.count(), 0u);
  EXPECT_EQ(list.folder(), dir.path());
}

TEST(SystemClipFolders, ReportsFoldersThatCannotBeRead) {
  const TempDir dir;
  writeFile(dir.path() + "/file", "x");
  const auto folders = makeSystemFolders();
  EXPECT_EQ(errorOf(*folders, dir.path() + "/missing"), "File not found");
  EXPECT_EQ(errorOf(*folders, dir.path() + "/missing/deeper"), "File not found");
  EXPECT_EQ(errorOf(*folders, dir.path() + "/file"), "Invalid filename");
  EXPECT_EQ(errorOf(*folders, dir.path() + std::string("/x\0y", 4)), "Invalid filename");
  EXPECT_EQ(errorOf(*folders, dir.path() + "/" + std::string(300, 'n')), "Invalid filename");

  // A folder removed after the list entered it.
  ClipList list(*folders);
  ASSERT_EQ(::mkdir((dir.path() + "/gone").c_str(), 0700), 0);
  writeFile(dir.path() + "/gone/a.avi", "x");
  list.setFolder(dir.path() + "/gone");
  std::filesystem::remove_all(dir.path() + "/gone");
  EXPECT_THROW(list.setMask("*.avi"), Error);
  EXPECT_EQ(list.entries(), Names{"a.avi"});
}

// A source box naming a FIFO, a device, a socket or a file is no folder: the
// folder error, at once (a FIFO is never opened), and the list as it was.
TEST(SystemClipFolders, ATypedPathThatIsNoFolderIsRefused) {
  const TempDir dir;
  const std::string d = dir.path() + "/";
  writeFile(d + "a.avi", "x");
  ASSERT_EQ(::mkfifo((d + "fifo").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("fifo", (d + "fifolink").c_str()), 0);
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = d + "socket";
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  socketPath.copy(address.sun_path, socketPath.size());
  ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

  const auto folders = makeSystemFolders();
  for (const bool putOff : {false, true}) {
    ClipList list(*folders);
    list.putOffReads(putOff);
    ASSERT_TRUE(followSourceText(list, dir.path()));
    for (const std::string& typed :
         {d + "fifo", d + "fifolink/", d + "socket", d + "a.avi", std::string("/dev/null")}) {
      try {
        followSourceText(list, typed);
        ADD_FAILURE() << typed << ": no error";
      } catch (const Error& e) {
        EXPECT_EQ(e.message(), "Invalid filename") << typed;
      }
      EXPECT_EQ(list.folder(), dir.path()) << typed;
      EXPECT_EQ(list.mask(), "*.*") << typed;
    }
    list.readPending();
    EXPECT_EQ(list.entries(), Names{"a.avi"});
  }
  ::close(sock);
}

TEST(SystemClipFolders, ListsAHundredThousandNames) {
  const TempDir dir;
  for (int i = 0; i < 100'000; ++i) {
    const std::string path = dir.path() + "/clip " + std::to_string(i) + (i % 2 ? ".avi" : ".mkv");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0) << path;
    ::close(fd);
  }
  const auto folders = makeSystemFolders();
  ClipList list(*folders);
  list.setMask("*.avi");
  list.setFolder(dir.path());
  ASSERT_EQ(list.count(), 50'000u);
  EXPECT_EQ(list.entry(0), "clip 1.avi");
  EXPECT_EQ(list.entry(1), "clip 3.avi");
  EXPECT_EQ(list.entry(49'999), "clip 99999.avi");
}

// Run by the unprivileged test entry: root reads any folder.
TEST(SystemClipFolders, UnprivilegedRefusedFolder) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every folder";
  const TempDir dir;
  writeFile(dir.path() + "/a.avi", "x");
  ASSERT_EQ(::chmod(dir.path().c_str(), 0300), 0);
  const auto folders = makeSystemFolders();
  EXPECT_EQ(errorOf(*folders, dir.path()), "File access denied");

  ClipList list(*folders);
  EXPECT_THROW(list.setFolder(dir.path()), Error);
  EXPECT_EQ(list.folder(), "");
}

}  // namespace
}  // namespace clipquill
