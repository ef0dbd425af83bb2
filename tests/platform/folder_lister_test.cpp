// SPDX-License-Identifier: GPL-3.0-or-later
// The folder picker's model on a real temporary folder tree, in the
// platform's own paths, and its drive list on mount tables written out here.
#include "ui/platform/folder_lister.h"

#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/folder_paths.h"
#include "core/error.h"
#include "core/utf8_path.h"
#include "support/temp_dir.h"

namespace clipquill {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::writeFile;
using Kind = FolderLine::Kind;

// A path written with "/" in the platform's own separators.
std::string native(std::string path) {
  std::replace(path.begin(), path.end(), '/', kNativeSeparators.primary);
  return path;
}

// The real file system, with a failure to inject into folder creation and a
// count of listings.
class CountingFolders : public Folders {
 public:
  std::unique_ptr<Folders> real = makeSystemFolders();
  int makeError = 0;
  int listings = 0;

  void listFiles(const std::string& folder,
                 const std::function<void(std::string_view)>& visit) override {
    real->listFiles(folder, visit);
  }
  void listSubfolders(const std::string& folder,
                      const std::function<void(std::string_view)>& visit) override {
    ++listings;
    real->listSubfolders(folder, visit);
  }
  PathKind kind(const std::string& path) override { return real->kind(path); }
  int makeFolder(const std::string& path) override {
    return makeError != 0 ? makeError : real->makeFolder(path);
  }
};

std::string errorText(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.message();
  }
  return "";
}

// A tree under a temporary home:
//   home/work/clips/{Zeta, alpha, Beta, .hidden, linked -> ../other, take.avs}
//   home/other/inner
// (the links on POSIX only: making one on Windows takes a privilege).
class FolderListerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* f : {"/work/clips/Zeta", "/work/clips/alpha", "/work/clips/Beta",
                          "/work/clips/.hidden", "/other/inner"}) {
      fs::create_directories(pathFromUtf8(at(f)));
    }
    writeFile(at("/work/clips/take.avs"), "x");
#if !defined(_WIN32)
    fs::create_directory_symlink("../../other", clips() + "/linked");
    fs::create_symlink("nowhere", clips() + "/broken");
#endif
  }
  // A path below home, written with "/".
  std::string at(const std::string& rel) const {
    return home.path() + native(rel);
  }
  std::string clips() const {
    return at("/work/clips");
  }
  // The drive of the home folder's path: "/", or "C:\" and the like.
  std::string systemRoot() const {
    return pickerFullPath(std::string(pathRoot(home.path())), home.path());
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const FolderLine& line : lister.lines())
      out.push_back(line.text);
    return out;
  }

  TempDir home;
  CountingFolders folders;
  FolderLister lister{folders, home.path()};
};

TEST_F(FolderListerTest, LinesShowThePathDownAndTheSubfoldersSortedWithoutCase) {
  lister.setDrives({{systemRoot(), "", DriveKind::Root}, {home.path(), "", DriveKind::Home}});
  lister.openOn(clips(), "");
  std::vector<FolderLine> expected{
      {home.path(), home.path(), 0, Kind::Path},
      {"work", at("/work"), 1, Kind::Path},
      {"clips", clips(), 2, Kind::Current},
      {"alpha", at("/work/clips/alpha"), 3, Kind::Subfolder},
      {"Beta", at("/work/clips/Beta"), 3, Kind::Subfolder},
      {"linked", at("/work/clips/linked"), 3, Kind::Subfolder},
      {"Zeta", at("/work/clips/Zeta"), 3, Kind::Subfolder},
  };
#if defined(_WIN32)
  expected.erase(expected.begin() + 5);  // no link
#endif
  EXPECT_EQ(lister.lines(), expected);
  EXPECT_EQ(lister.currentLine(), 2u);
  EXPECT_EQ(lister.currentDrive(), 1u);

  // At a drive's root the root line is the current one.
  lister.openOn(home.path(), "");
  EXPECT_EQ(texts(), (std::vector<std::string>{home.path(), "other", "work"}));
  EXPECT_EQ(lister.lines()[0].kind, Kind::Current);
  EXPECT_EQ(lister.lines()[1].depth, 1);

  // A home folder given with a separator at its end is the same drive.
  const std::string separator(1, kNativeSeparators.primary);
  FolderLister slashed(folders, home.path() + separator);
  slashed.setDrives(
      {{systemRoot(), "", DriveKind::Root}, {home.path() + separator, "", DriveKind::Home}});
  slashed.openOn("", "");
  EXPECT_EQ(slashed.currentFolder(), home.path());
  EXPECT_EQ(slashed.currentDrive(), 1u);
}

TEST_F(FolderListerTest, OpeningReadsTheBoxByThePathRules) {
  struct Case {
    const char* what;
    std::string box;
    std::string base;
    std::string shownBefore;  // the folder shown before opening, "" for none
    std::string expected;     // "" for an error
    std::string error;
  };
  const std::string h = home.path();
  const std::string other = at("/other");
  const Case cases[] = {
    {"empty box: home", "", clips(), "", h, ""},
    {"trailing separator", native(clips() + "/"), "", "", clips(), ""},
    {"relative, against the base", native("clips/alpha"), at("/work"), "", at("/work/clips/alpha"),
     ""},
    {"relative without a base: the folder shown", "inner", "", other, at("/other/inner"), ""},
    {"wild card in the last part", at("/work/clips/*.avs"), "", "", clips(), ""},
    {"an existing file", at("/work/clips/take.avs"), "", "", clips(), ""},
    {"missing", at("/nothing"), "", other, "", "File not found"},
    {"a file on the way", at("/work/clips/take.avs/x"), "", other, "", "Invalid filename"},
#if defined(_WIN32)
    {"\"/\" for \"\\\"", clips() + "/alpha/", "", "", at("/work/clips/alpha"), ""},
#else
    {"a link to a folder is entered", at("/work/clips/linked"), "", "", at("/work/clips/linked"),
     ""},
    {"a broken link", at("/work/clips/broken"), "", other, "", "File not found"},
#endif
  };
  for (const Case& c : cases) {
    FolderLister l(folders, h);
    if (!c.shownBefore.empty()) l.openOn(c.shownBefore, "");
    const std::string before = l.currentFolder();
    const std::string error = errorText([&] { l.openOn(c.box, c.base); });
    EXPECT_EQ(error, c.error) << c.what;
    EXPECT_EQ(l.currentFolder(), c.error.empty() ? c.expected : before) << c.what;
  }
}

TEST_F(FolderListerTest, EveryOpeningRereadsButSettingTheSameFolderDoesNot) {
  lister.openOn(clips(), "");
  fs::create_directory(pathFromUtf8(at("/work/clips/made-since")));
  lister.openOn(clips(), "");
  EXPECT_EQ(folders.listings, 2);
  EXPECT_EQ(lister.lines().back().text, "Zeta");
  EXPECT_EQ(lister.lines()[lister.lines().size() - 2].text, "made-since");

  EXPECT_FALSE(lister.setCurrentFolder(native(clips() + "/")));
  EXPECT_FALSE(lister.setCurrentFolder(""));
#if defined(_WIN32)
  // Windows names the same folder in any case.
  EXPECT_FALSE(lister.setCurrentFolder(at("/WORK/CLIPS")));
#endif
  EXPECT_EQ(folders.listings, 2);
}

TEST_F(FolderListerTest, WalkingUpDownAndOnTheCurrentLine) {
  lister.setDrives({{systemRoot(), "", DriveKind::Root}, {home.path(), "", DriveKind::Home}});
  lister.openOn(clips(), "");
  lister.openLine(lister.currentLine());  // the current line: nothing to do
  EXPECT_EQ(folders.listings, 1);
  lister.openLine(3);  // "alpha"
  EXPECT_EQ(lister.currentFolder(), at("/work/clips/alpha"));
  lister.openLine(1);  // "work", above
  EXPECT_EQ(lister.currentFolder(), at("/work"));
  lister.openLine(0);  // the drive's root
  EXPECT_EQ(lister.currentFolder(), home.path());

  // A subfolder that went away meanwhile: the error, and the list stays.
  lister.openOn(clips(), "");
  fs::remove(pathFromUtf8(at("/work/clips/Zeta")));
  EXPECT_EQ(errorText([&] { lister.openLine(lister.lines().size() - 1); }), "File not found");
  EXPECT_EQ(lister.currentFolder(), clips());
  EXPECT_EQ(lister.lines().back().text, "Zeta");
}

TEST_F(FolderListerTest, EachDriveReopensOnTheFolderLastVisitedOnIt) {
  const std::string other = at("/other");
  lister.setDrives({{systemRoot(), "", DriveKind::Root},
                    {at("/work"), "", DriveKind::Home},
                    {other, "", DriveKind::Fixed}});
  lister.openOn(at("/work/clips/alpha"), "");
  EXPECT_EQ(lister.currentDrive(), 1u);
  lister.selectDrive(2);  // never visited: its root
  EXPECT_EQ(lister.currentFolder(), other);
  lister.openLine(1);  // "inner"
  lister.selectDrive(1);
  EXPECT_EQ(lister.currentFolder(), at("/work/clips/alpha"));
  lister.selectDrive(1);  // the drive shown: nothing changes
  EXPECT_EQ(folders.listings, 4);
  lister.selectDrive(2);
  EXPECT_EQ(lister.currentFolder(), at("/other/inner"));

  // The last folder has gone: the drive's root instead.
  lister.selectDrive(1);
  fs::remove(pathFromUtf8(at("/other/inner")));
  lister.selectDrive(2);
  EXPECT_EQ(lister.currentFolder(), other);

  // A drive that cannot be entered at all: the error, and the list stays.
  lister.setDrives({{systemRoot(), "", DriveKind::Root}, {at("/gone"), "", DriveKind::Fixed}});
  EXPECT_EQ(errorText([&] { lister.selectDrive(1); }), "File not found");
  EXPECT_EQ(lister.currentFolder(), other);
}

TEST_F(FolderListerTest, NewFolderIsMadeAndEntered) {
  struct Case {
    const char* what;
    std::string name;
    int makeError;
    std::string expected;  // relative to clips(); "" for staying
    bool made;
    std::string error;
  };
  const Case cases[] = {
    {"a new name", "Clips 2", 0, "/Clips 2", true, ""},
    {"a name beyond ASCII", "caf\xC3\xA9 \xE6\x97\xA5", 0, "/caf\xC3\xA9 \xE6\x97\xA5", true, ""},
#if !defined(_WIN32)  // Windows takes blanks off a name's end
    {"blanks are a name", "  ", 0, "/  ", true, ""},
#endif
    {"an existing folder", "alpha", 0, "/alpha", false, ""},
    {"a wild card", "new*", 0, "", false, ""},
    {"an existing file", "take.avs", 0, "", false, ""},
    {"refused creation", "full", ENOSPC, "", false, "Disk full"},
    {"existing folder, creation would fail", "Beta", EACCES, "/Beta", false, ""},
    {"a name the file system refuses", std::string("a\0b", 3), 0, "", false, "Invalid filename"},
  };
  for (const Case& c : cases) {
    FolderLister l(folders, home.path());
    l.openOn(clips(), "");
    folders.makeError = c.makeError;
    const std::string error = errorText([&] { l.makeAndEnter(c.name); });
    folders.makeError = 0;
    EXPECT_EQ(error, c.error) << c.what;
    EXPECT_EQ(l.currentFolder(), clips() + native(c.expected)) << c.what;
    if (c.made) {
      EXPECT_TRUE(fs::is_directory(pathFromUtf8(clips() + native("/" + c.name)))) << c.what;
    }
  }
  EXPECT_FALSE(fs::exists(pathFromUtf8(at("/work/clips/new*"))));

#if !defined(_WIN32)
  // At a drive's root the separator is not doubled.
  lister.openOn("/", "");
  lister.makeAndEnter("tmp");
  EXPECT_EQ(lister.currentFolder(), "/tmp");
#endif
}

#if defined(_WIN32)
TEST_F(FolderListerTest, NamesBeyondAsciiCrossTheSystemAsUtf16) {
  const std::string name = "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC";
#else
TEST_F(FolderListerTest, NamesThatAreNotUtf8AreKeptAsBytes) {
  const std::string name = "caf\xE9";  // Latin-1
#endif
  fs::create_directory(pathFromUtf8(clips() + native("/" + name)));
  lister.openOn(clips(), "");
  const auto it = std::find_if(lister.lines().begin(), lister.lines().end(),
                               [&](const FolderLine& line) { return line.text == name; });
  ASSERT_NE(it, lister.lines().end());
  lister.openLine(static_cast<std::size_t>(it - lister.lines().begin()));
  EXPECT_EQ(lister.currentFolder(), clips() + native("/" + name));
  lister.openLine(lister.currentLine() - 1);
  EXPECT_EQ(lister.currentFolder(), clips());
}

#if !defined(_WIN32)  // permission bits; Windows has access lists
TEST_F(FolderListerTest, UnprivilegedRefusedFolders) {
  if (::geteuid() == 0) GTEST_SKIP() << "root ignores permission bits";
  ASSERT_EQ(::chmod(home.path().c_str(), 0700), 0);
  fs::create_directory(home.path() + "/locked");
  lister.openOn(clips(), "");
  ASSERT_EQ(::chmod((home.path() + "/locked").c_str(), 0), 0);
  EXPECT_EQ(errorText([&] { lister.openOn(home.path() + "/locked", ""); }), "File access denied");
  ASSERT_EQ(::chmod(clips().c_str(), 0555), 0);
  // The creation's own refusal, not the "File not found" of entering.
  EXPECT_EQ(errorText([&] { lister.makeAndEnter("new"); }), "File access denied");
  EXPECT_EQ(lister.currentFolder(), clips());
}
#endif

TEST(DrivesTest, MountInfoLinesAreParsedWithEscapes) {
  const std::string text =
      "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
      "90 27 8:17 / /media/u/My\\040Stick rw shared:5 master:1 - vfat /dev/sdb1 rw\n"
      "garbage line\n"
      "91 27 0:50 / /mnt/nas rw - cifs //nas/share rw\n"
      "92 27 0:51 / /x rw - \n";
  const std::vector<MountEntry> expected{{"/", "ext4", "/dev/vda"},
                                         {"/media/u/My Stick", "vfat", "/dev/sdb1"},
                                         {"/mnt/nas", "cifs", "//nas/share"}};
  const std::vector<MountEntry> parsed = parseMountInfo(text);
  ASSERT_EQ(parsed.size(), expected.size());
  for (std::size_t i = 0; i < parsed.size(); ++i) {
    EXPECT_EQ(parsed[i].mountPoint, expected[i].mountPoint);
    EXPECT_EQ(parsed[i].fsType, expected[i].fsType);
    EXPECT_EQ(parsed[i].source, expected[i].source);
  }
}

TEST(DrivesTest, OnlyVolumesAUserWouldRecogniseAreListed) {
  const std::vector<MountEntry> mounts{
      {"/", "ext4", "/dev/sda2"},
      {"/proc", "proc", "proc"},
      {"/sys", "sysfs", "sysfs"},
      {"/dev/shm", "tmpfs", "tmpfs"},
      {"/run/user/1000", "tmpfs", "tmpfs"},
      {"/boot/efi", "vfat", "/dev/sda1"},
      {"/snap/core/1", "squashfs", "/dev/loop0"},
      {"/home/u", "ext4", "/dev/sda3"},  // the home folder is listed once
      {"/home/u/.cache/doc", "fuse.portal", "portal"},
      {"/home/u/.vault", "ext4", "/dev/mapper/v"},
      {"/mnt/data", "ext4", "/dev/sdb1"},
      {"/media/u/STICK", "vfat", "/dev/sdc1"},
      {"/run/media/u/CAM", "exfat", "/dev/sdd1"},
      {"/media/cdrom", "iso9660", "/dev/sr0"},
      {"/mnt/nas", "nfs4", "nas:/export"},
      {"/mnt/over", "ext4", "/dev/sde1"},
      {"/mnt/over", "tmpfs", "tmpfs"},  // mounted over: the disk is hidden
      {"/var/lib/docker", "ext4", "/dev/sdf1"},
  };
  const std::map<std::string, std::string> labels{{"/dev/sdb1", "DATA"}, {"/dev/sda3", "HOME"}};
  const std::vector<Drive> expected{
      {"/", "", DriveKind::Root},
      {"/home/u", "", DriveKind::Home},
      {"/media/cdrom", "", DriveKind::Optical},
      {"/media/u/STICK", "", DriveKind::Removable},
      {"/mnt/data", "DATA", DriveKind::Fixed},
      {"/mnt/nas", "nas:/export", DriveKind::Network},
      {"/run/media/u/CAM", "", DriveKind::Removable},
  };
  EXPECT_EQ(drivesFromMounts(mounts, "/home/u", labels), expected);
  EXPECT_EQ(drivesFromMounts(mounts, "/home/u/", labels), expected);
}

TEST(DrivesTest, TheDriveOfAFolderIsTheDeepestRootAboveIt) {
  const std::vector<Drive> drives{{"/", "", DriveKind::Root},
                                  {"/home/u", "", DriveKind::Home},
                                  {"/home/u/mnt", "", DriveKind::Fixed}};
  EXPECT_EQ(driveIndexOf(drives, "/", kPosixSeparators), 0u);
  EXPECT_EQ(driveIndexOf(drives, "/home", kPosixSeparators), 0u);
  EXPECT_EQ(driveIndexOf(drives, "/home/u", kPosixSeparators), 1u);
  EXPECT_EQ(driveIndexOf(drives, "/home/user2", kPosixSeparators), 0u);  // whole names only
  EXPECT_EQ(driveIndexOf(drives, "/home/u/mnt/x", kPosixSeparators), 2u);
}

#if !defined(_WIN32)  // Windows has drive letters: system_drives_win32_test.cpp
TEST(DrivesTest, TheSystemListStartsWithRootAndHome) {
  const std::vector<Drive> drives = makeSystemDriveSource("/home/someone")->drives();
  ASSERT_GE(drives.size(), 2u);
  EXPECT_EQ(drives[0], (Drive{"/", "", DriveKind::Root}));
  EXPECT_EQ(drives[1], (Drive{"/home/someone", "", DriveKind::Home}));
}
#endif

}  // namespace
}  // namespace clipquill
