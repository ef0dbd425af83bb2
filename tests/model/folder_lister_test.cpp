// SPDX-License-Identifier: GPL-3.0-or-later
// The folder picker's model on a real temporary folder tree, and its drive
// list on mount tables written out here.
#include "ui/model/folder_lister.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/error.h"
#include "support/temp_dir.h"

namespace clipquill {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::writeFile;
using Kind = FolderLine::Kind;

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
class FolderListerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* f : {"/work/clips/Zeta", "/work/clips/alpha", "/work/clips/Beta",
                          "/work/clips/.hidden", "/other/inner"}) {
      fs::create_directories(home.path() + f);
    }
    writeFile(clips() + "/take.avs", "x");
    fs::create_directory_symlink("../../other", clips() + "/linked");
    fs::create_symlink("nowhere", clips() + "/broken");
  }
  std::string clips() const { return home.path() + "/work/clips"; }
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
  lister.setDrives({{"/", "", DriveKind::Root}, {home.path(), "", DriveKind::Home}});
  lister.openOn(clips(), "");
  const std::vector<FolderLine> expected{
      {home.path(), home.path(), 0, Kind::Path},
      {"work", home.path() + "/work", 1, Kind::Path},
      {"clips", clips(), 2, Kind::Current},
      {"alpha", clips() + "/alpha", 3, Kind::Subfolder},
      {"Beta", clips() + "/Beta", 3, Kind::Subfolder},
      {"linked", clips() + "/linked", 3, Kind::Subfolder},
      {"Zeta", clips() + "/Zeta", 3, Kind::Subfolder},
  };
  EXPECT_EQ(lister.lines(), expected);
  EXPECT_EQ(lister.currentLine(), 2u);
  EXPECT_EQ(lister.currentDrive(), 1u);

  // At a drive's root the root line is the current one.
  lister.openOn(home.path(), "");
  EXPECT_EQ(texts(), (std::vector<std::string>{home.path(), "other", "work"}));
  EXPECT_EQ(lister.lines()[0].kind, Kind::Current);
  EXPECT_EQ(lister.lines()[1].depth, 1);

  // A home folder given with a separator at its end is the same drive.
  FolderLister slashed(folders, home.path() + "/");
  slashed.setDrives({{"/", "", DriveKind::Root}, {home.path() + "/", "", DriveKind::Home}});
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
  const Case cases[] = {
      {"empty box: home", "", clips(), "", h, ""},
      {"trailing separator", clips() + "/", "", "", clips(), ""},
      {"relative, against the base", "clips/alpha", h + "/work", "", clips() + "/alpha", ""},
      {"relative without a base: the folder shown", "inner", "", h + "/other", h + "/other/inner",
       ""},
      {"wild card in the last part", clips() + "/*.avs", "", "", clips(), ""},
      {"an existing file", clips() + "/take.avs", "", "", clips(), ""},
      {"a link to a folder is entered", clips() + "/linked", "", "", clips() + "/linked", ""},
      {"missing", h + "/nothing", "", h + "/other", "", "File not found"},
      {"a file on the way", clips() + "/take.avs/x", "", h + "/other", "", "Invalid filename"},
      {"a broken link", clips() + "/broken", "", h + "/other", "", "File not found"},
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
  fs::create_directory(clips() + "/made-since");
  lister.openOn(clips(), "");
  EXPECT_EQ(folders.listings, 2);
  EXPECT_EQ(lister.lines().back().text, "Zeta");
  EXPECT_EQ(lister.lines()[lister.lines().size() - 2].text, "made-since");

  EXPECT_FALSE(lister.setCurrentFolder(clips() + "/"));
  EXPECT_FALSE(lister.setCurrentFolder(""));
  EXPECT_EQ(folders.listings, 2);
}

TEST_F(FolderListerTest, WalkingUpDownAndOnTheCurrentLine) {
  lister.setDrives({{"/", "", DriveKind::Root}, {home.path(), "", DriveKind::Home}});
  lister.openOn(clips(), "");
  lister.openLine(lister.currentLine());  // the current line: nothing to do
  EXPECT_EQ(folders.listings, 1);
  lister.openLine(3);  // "alpha"
  EXPECT_EQ(lister.currentFolder(), clips() + "/alpha");
  lister.openLine(1);  // "work", above
  EXPECT_EQ(lister.currentFolder(), home.path() + "/work");
  lister.openLine(0);  // the drive's root
  EXPECT_EQ(lister.currentFolder(), home.path());

  // A subfolder that went away meanwhile: the error, and the list stays.
  lister.openOn(clips(), "");
  fs::remove(clips() + "/Zeta");
  EXPECT_EQ(errorText([&] { lister.openLine(lister.lines().size() - 1); }), "File not found");
  EXPECT_EQ(lister.currentFolder(), clips());
  EXPECT_EQ(lister.lines().back().text, "Zeta");
}

TEST_F(FolderListerTest, EachDriveReopensOnTheFolderLastVisitedOnIt) {
  const std::string other = home.path() + "/other";
  lister.setDrives({{"/", "", DriveKind::Root},
                    {home.path() + "/work", "", DriveKind::Home},
                    {other, "", DriveKind::Fixed}});
  lister.openOn(clips() + "/alpha", "");
  EXPECT_EQ(lister.currentDrive(), 1u);
  lister.selectDrive(2);  // never visited: its root
  EXPECT_EQ(lister.currentFolder(), other);
  lister.openLine(1);  // "inner"
  lister.selectDrive(1);
  EXPECT_EQ(lister.currentFolder(), clips() + "/alpha");
  lister.selectDrive(1);  // the drive shown: nothing changes
  EXPECT_EQ(folders.listings, 4);
  lister.selectDrive(2);
  EXPECT_EQ(lister.currentFolder(), other + "/inner");

  // The last folder has gone: the drive's root instead.
  lister.selectDrive(1);
  fs::remove(other + "/inner");
  lister.selectDrive(2);
  EXPECT_EQ(lister.currentFolder(), other);

  // A drive that cannot be entered at all: the error, and the list stays.
  lister.setDrives({{"/", "", DriveKind::Root}, {home.path() + "/gone", "", DriveKind::Fixed}});
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
      {"blanks are a name", "  ", 0, "/  ", true, ""},
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
    EXPECT_EQ(l.currentFolder(), clips() + c.expected) << c.what;
    if (c.made) {
      EXPECT_TRUE(fs::is_directory(clips() + "/" + c.name)) << c.what;
    }
  }
  EXPECT_FALSE(fs::exists(clips() + "/new*"));

  // At a drive's root the separator is not doubled.
  lister.openOn("/", "");
  lister.makeAndEnter("tmp");
  EXPECT_EQ(lister.currentFolder(), "/tmp");
}

TEST_F(FolderListerTest, NamesThatAreNotUtf8AreKeptAsBytes) {
  const std::string name = "caf\xE9";  // Latin-1
  fs::create_directory(clips() + "/" + name);
  lister.openOn(clips(), "");
  const auto it = std::find_if(lister.lines().begin(), lister.lines().end(),
                               [&](const FolderLine& line) { return line.text == name; });
  ASSERT_NE(it, lister.lines().end());
  lister.openLine(static_cast<std::size_t>(it - lister.lines().begin()));
  EXPECT_EQ(lister.currentFolder(), clips() + "/" + name);
}

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
  EXPECT_EQ(driveIndexOf(drives, "/"), 0u);
  EXPECT_EQ(driveIndexOf(drives, "/home"), 0u);
  EXPECT_EQ(driveIndexOf(drives, "/home/u"), 1u);
  EXPECT_EQ(driveIndexOf(drives, "/home/user2"), 0u);  // whole names only
  EXPECT_EQ(driveIndexOf(drives, "/home/u/mnt/x"), 2u);
}

TEST(DrivesTest, TheSystemListStartsWithRootAndHome) {
  const std::vector<Drive> drives = makeSystemDriveSource("/home/someone")->drives();
  ASSERT_GE(drives.size(), 2u);
  EXPECT_EQ(drives[0], (Drive{"/", "", DriveKind::Root}));
  EXPECT_EQ(drives[1], (Drive{"/home/someone", "", DriveKind::Home}));
}

}  // namespace
}  // namespace clipquill
