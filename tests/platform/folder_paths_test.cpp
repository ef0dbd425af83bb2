// SPDX-License-Identifier: GPL-3.0-or-later
// The folder picker's path rules, its drive captions and its walk for both
// kinds of path, on every system: Windows paths are strings here like any
// other, and the walk runs over a Windows file system kept in memory.
#include "app/folder_paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/error.h"
#include "ui/platform/drives.h"
#include "ui/platform/folder_lister.h"

namespace clipquill {
namespace {

constexpr const PathSeparators& kWin = kWindowsSeparators;
constexpr const PathSeparators& kPosix = kPosixSeparators;

TEST(FolderPathsTest, RootsAsWritten) {
  const struct {
    const char* path;
    const PathSeparators& seps;
    const char* root;
  } rows[] = {
      {"C:\\clips", kWin, "C:\\"},
      {"c:/clips", kWin, "c:/"},
      {"C:", kWin, "C:"},
      {"D:take", kWin, "D:"},
      {"\\\\nas\\clips\\a", kWin, "\\\\nas\\clips\\"},
      {"//nas/clips", kWin, "//nas/clips"},
      {"\\clips", kWin, "\\"},
      {"clips\\a", kWin, ""},
      {"", kWin, ""},
      {"/home/u", kPosix, "/"},
      {"C:\\clips", kPosix, ""},
      {"home", kPosix, ""},
  };
  for (const auto& row : rows)
    EXPECT_EQ(pathRoot(row.path, row.seps), row.root) << row.path;
}

TEST(FolderPathsTest, FullPathsAreReadAgainstTheBase) {
  const struct {
    const char* text;
    const char* base;
    const PathSeparators& seps;
    const char* full;
  } rows[] = {
      {"C:\\clips\\", "C:\\", kWin, "C:\\clips"},
      {"c:/clips//a/./b/..", "C:\\", kWin, "C:\\clips\\a"},
      {"C:\\..\\..", "D:\\x", kWin, "C:\\"},
      {"c:", "D:\\x", kWin, "C:\\"},
      {"d:take", "C:\\x", kWin, "D:\\take"},
      {"\\out", "E:\\work\\clips", kWin, "E:\\out"},
      {"\\out", "\\\\nas\\clips\\a", kWin, "\\\\nas\\clips\\out"},
      {"..\\other", "C:\\work\\clips", kWin, "C:\\work\\other"},
      {"caf\xC3\xA9", "C:\\work", kWin, "C:\\work\\caf\xC3\xA9"},
      {"\\\\nas\\clips", "C:\\", kWin, "\\\\nas\\clips\\"},
      {"//nas/clips/a/", "C:\\", kWin, "\\\\nas\\clips\\a"},
      {"\\\\nas\\clips\\..", "C:\\", kWin, "\\\\nas\\clips\\"},
      {"", "C:\\", kWin, "C:\\"},
      {"a\\..\\b", "", kWin, "b"},  // nothing to read it against: it stays relative
      {"a/../b", "", kPosix, "b"},
      {"/a/./b/../c/", "/", kPosix, "/a/c"},
      {"inner", "/home/u", kPosix, "/home/u/inner"},
      {"../..", "/home/u", kPosix, "/"},
      {"C:\\x", "/home/u", kPosix, "/home/u/C:\\x"},
      {"", "/", kPosix, "/"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(fullFolderPath(row.text, row.base, row.seps), row.full) << row.text;
}

TEST(FolderPathsTest, ParentsLastNamesAndComparisons) {
  EXPECT_EQ(parentFolder("C:\\a\\b", kWin), "C:\\a");
  EXPECT_EQ(parentFolder("C:\\a", kWin), "C:\\");
  EXPECT_EQ(parentFolder("C:\\", kWin), "C:\\");
  EXPECT_EQ(parentFolder("\\\\nas\\clips\\a", kWin), "\\\\nas\\clips\\");
  EXPECT_EQ(parentFolder("/a", kPosix), "/");
  EXPECT_EQ(lastName("C:\\a\\take.avs", kWin), "take.avs");
  EXPECT_EQ(lastName("C:\\", kWin), "");
  EXPECT_EQ(lastName("\\\\nas\\clips\\", kWin), "");
  EXPECT_EQ(lastName("/a/b", kPosix), "b");

  EXPECT_TRUE(samePath("C:\\Clips", "c:/clips", kWin));
  EXPECT_FALSE(samePath("C:\\Clips", "C:\\Clips2", kWin));
  EXPECT_FALSE(samePath("/Clips", "/clips", kPosix));
  EXPECT_TRUE(isWithinFolder("c:\\clips\\a", "C:\\", kWin));
  EXPECT_TRUE(isWithinFolder("C:\\CLIPS\\a", "C:\\clips", kWin));
  EXPECT_FALSE(isWithinFolder("C:\\clips2", "C:\\clips", kWin));
  EXPECT_FALSE(isWithinFolder("D:\\clips", "C:\\", kWin));
  EXPECT_FALSE(isWithinFolder("/home/U", "/home/u", kPosix));
}

// The status bar's folders: closing separators gone, a root left whole.
TEST(FolderPathsTest, ShownFoldersLoseTheirClosingSeparatorsButNotTheRoot) {
#if defined(_WIN32)
  const struct {
    const char* folder;
    const char* shown;
  } cases[] = {{"C:\\a\\", "C:\\a"}, {"C:\\a/", "C:\\a"}, {"C:\\", "C:\\"}, {"C:\\a", "C:\\a"}};
#else
  const struct {
    const char* folder;
    const char* shown;
  } cases[] = {{"/a/b/", "/a/b"}, {"/a//", "/a"}, {"/", "/"}, {"//", "/"}, {"a", "a"}, {"", ""}};
#endif
  for (const auto& c : cases)
    EXPECT_EQ(shownFolder(c.folder), c.shown) << c.folder;
}

TEST(DriveCaptionTest, DriveLettersAsTheDriveSelectorShowsThem) {
  const struct {
    Drive drive;
    const char* caption;
  } rows[] = {
      {{"C:\\", "SYSTEM", DriveKind::Fixed}, "c: [system]"},
      {{"D:\\", "Caf\xC3\x89 \xC3\x97 \xCE\xA9", DriveKind::Optical},
       "d: [caf\xC3\xA9 \xC3\x97 \xCE\xA9]"},  // Latin-1 letters lowered, the rest kept
      {{"E:\\", "", DriveKind::Fixed}, "e:"},
      {{"A:\\", "STICK", DriveKind::Removable}, "a:"},
      {{"N:\\", "MEDIA", DriveKind::Network, "\\\\NAS\\Clips"}, "n: \\\\nas\\clips"},
      {{"M:\\", "MEDIA", DriveKind::Network}, "m: [media]"},
      {{"O:\\", "", DriveKind::Network}, "o:"},
      {{"z:/", "", DriveKind::Fixed}, "z:"},
      // Elsewhere the folder leads, as it is.
      {{"/mnt/data", "DATA", DriveKind::Fixed}, "/mnt/data [DATA]"},
      {{"/mnt/nas", "//nas/share", DriveKind::Network}, "/mnt/nas //nas/share"},
      {{"/home/u", "", DriveKind::Home}, "/home/u [home]"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(driveCaption(row.drive), row.caption) << row.drive.root;
}

TEST(DriveCaptionTest, TheDriveOfAWindowsFolderIgnoresCase) {
  const std::vector<Drive> drives{{"A:\\", "", DriveKind::Removable},
                                  {"C:\\", "", DriveKind::Fixed},
                                  {"\\\\nas\\clips\\", "", DriveKind::Network}};
  EXPECT_EQ(driveIndexOf(drives, "c:\\work", kWin), 1u);
  EXPECT_EQ(driveIndexOf(drives, "C:\\", kWin), 1u);
  EXPECT_EQ(driveIndexOf(drives, "a:/x", kWin), 0u);
  EXPECT_EQ(driveIndexOf(drives, "\\\\NAS\\Clips\\take", kWin), 2u);
}

// A Windows file system in memory: names found without regard to case, a
// drive without its medium, and every folder listed counted.
class WindowsFolders : public Folders {
 public:
  std::map<std::string, std::vector<std::string>> tree;  // by upper-case path
  std::set<std::string> files;                           // upper-case paths
  std::set<std::string> notReady;                        // drive roots
  std::vector<std::string> made;
  int listings = 0;

  static std::string key(std::string_view path) {
    std::string out(path);
    for (char& c : out) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      if (c == '/') c = '\\';
    }
    return out;
  }
  void add(const std::string& folder, std::vector<std::string> names) {
    tree[key(folder)] = names;
    for (const std::string& name : names)
      tree.emplace(key(withTrailingSeparator(folder, kWindowsSeparators) + name),
                   std::vector<std::string>{});
  }
  void listFiles(const std::string&, const std::function<void(std::string_view)>&) override {}
  void listSubfolders(const std::string& folder,
                      const std::function<void(std::string_view)>& visit) override {
    ++listings;
    if (notReady.contains(key(folder))) throw Error::fromWindowsError(21);  // ERROR_NOT_READY
    const auto it = tree.find(key(folder));
    if (it == tree.end()) throw Error::fromWindowsError(3);  // ERROR_PATH_NOT_FOUND
    for (const std::string& name : it->second)
      visit(name);
  }
  PathKind kind(const std::string& path) override {
    if (files.contains(key(path))) return PathKind::File;
    return tree.contains(key(path)) ? PathKind::Folder : PathKind::Missing;
  }
  int makeFolder(const std::string& path) override {
    made.push_back(path);
    tree.emplace(key(path), std::vector<std::string>{});
    return 0;
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

class WindowsFolderListerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folders.add("C:\\", {"work", "Users"});
    folders.add("C:\\work", {"clips"});
    folders.add("C:\\work\\clips", {"Zeta", "alpha", "caf\xC3\xA9"});
    folders.files.insert("C:\\WORK\\CLIPS\\TAKE.AVS");
    folders.add("D:\\", {"out"});
    folders.add("\\\\nas\\clips\\", {"take 1"});
    folders.notReady.insert("A:\\");
    lister.setDrives({{"A:\\", "", DriveKind::Removable},
                      {"C:\\", "SYSTEM", DriveKind::Fixed},
                      {"D:\\", "", DriveKind::Fixed}});
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const FolderLine& line : lister.lines())
      out.push_back(line.text);
    return out;
  }

  WindowsFolders folders;
  FolderLister lister{folders, "", kWindowsSeparators};
};

TEST_F(WindowsFolderListerTest, LinesFromTheDrivesRootDown) {
  using Kind = FolderLine::Kind;
  lister.openOn("c:/work/clips/", "");
  EXPECT_EQ(lister.currentFolder(), "C:\\work\\clips");
  const std::vector<FolderLine> expected{
      {"C:\\", "C:\\", 0, Kind::Path},
      {"work", "C:\\work", 1, Kind::Path},
      {"clips", "C:\\work\\clips", 2, Kind::Current},
      {"alpha", "C:\\work\\clips\\alpha", 3, Kind::Subfolder},
      {"caf\xC3\xA9", "C:\\work\\clips\\caf\xC3\xA9", 3, Kind::Subfolder},
      {"Zeta", "C:\\work\\clips\\Zeta", 3, Kind::Subfolder},
  };
  EXPECT_EQ(lister.lines(), expected);
  EXPECT_EQ(lister.currentDrive(), 1u);

  // A drive's root is one line, its subfolders one step in, no separator doubled.
  lister.openLine(0);
  EXPECT_EQ(lister.lines()[0], (FolderLine{"C:\\", "C:\\", 0, Kind::Current}));
  EXPECT_EQ(lister.lines()[1], (FolderLine{"Users", "C:\\Users", 1, Kind::Subfolder}));

  // The empty box opens on "C:\" when there is no home folder.
  FolderLister fresh(folders, "", kWindowsSeparators);
  fresh.openOn("", "");
  EXPECT_EQ(fresh.currentFolder(), "C:\\");
}

TEST_F(WindowsFolderListerTest, TheSameFolderInAnotherCaseIsNoMove) {
  lister.openOn("C:\\work\\clips", "");
  EXPECT_FALSE(lister.setCurrentFolder("c:\\WORK\\Clips\\"));
  EXPECT_EQ(folders.listings, 1);
  // A file or a mask names its folder.
  EXPECT_TRUE(lister.setCurrentFolder("C:\\work\\*.avs"));
  EXPECT_EQ(lister.currentFolder(), "C:\\work");
  lister.openOn("clips\\take.avs", "");
  EXPECT_EQ(lister.currentFolder(), "C:\\work\\clips");
}

TEST_F(WindowsFolderListerTest, AShareNamedByItsNetworkPathIsADriveOfItsOwn) {
  lister.openOn("\\\\nas\\clips\\take 1", "");
  EXPECT_EQ(texts(), (std::vector<std::string>{"\\\\nas\\clips\\", "take 1"}));
  ASSERT_EQ(lister.drives().size(), 4u);
  EXPECT_EQ(lister.drives()[3], (Drive{"\\\\nas\\clips\\", "", DriveKind::Network}));
  EXPECT_EQ(lister.currentDrive(), 3u);
  // Gathered again at the next opening, the list keeps the share.
  lister.setDrives({{"C:\\", "", DriveKind::Fixed}});
  EXPECT_EQ(lister.drives()[lister.currentDrive()].root, "\\\\nas\\clips\\");
  lister.openLine(0);
  EXPECT_EQ(lister.currentFolder(), "\\\\nas\\clips\\");
}

TEST_F(WindowsFolderListerTest, EachDriveKeepsItsFolderAndOneWithoutMediumIsRefused) {
  lister.openOn("C:\\work\\clips", "");
  lister.selectDrive(2);
  EXPECT_EQ(lister.currentFolder(), "D:\\");
  lister.selectDrive(1);
  EXPECT_EQ(lister.currentFolder(), "C:\\work\\clips");
  // A drive typed as "d:" is that drive's root.
  lister.openOn("d:", "");
  EXPECT_EQ(lister.currentFolder(), "D:\\");

  // An empty card reader is listed, and entering it fails with the system's
  // error; the list stays where it was.
  EXPECT_EQ(errorText([&] { lister.selectDrive(0); }), "I/O error 21");
  EXPECT_EQ(lister.currentFolder(), "D:\\");
  EXPECT_EQ(lister.currentDrive(), 2u);
}

TEST_F(WindowsFolderListerTest, NewFolderAtADrivesRootAndBelow) {
  lister.openOn("C:\\", "");
  lister.makeAndEnter("Clips 2");
  EXPECT_EQ(folders.made, std::vector<std::string>{"C:\\Clips 2"});
  EXPECT_EQ(lister.currentFolder(), "C:\\Clips 2");
  lister.openOn("C:\\work", "");
  lister.makeAndEnter("CLIPS");  // already there in another case: entered, not made
  EXPECT_EQ(folders.made.size(), 1u);
  EXPECT_EQ(lister.currentFolder(), "C:\\work\\CLIPS");
}

}  // namespace
}  // namespace clipquill
