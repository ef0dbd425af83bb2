// SPDX-License-Identifier: GPL-3.0-or-later
// The drive selector's list as Windows gives it: every drive by its letter,
// in order, with what the system says of it.
#include "core/windows_api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/win32_file.h"
#include "ui/platform/drives.h"
#include "ui/platform/folder_lister.h"

namespace clipquill {
namespace {

TEST(Win32Drives, EveryDriveByItsLetterInOrder) {
  const std::vector<Drive> drives = makeSystemDriveSource("")->drives();
  ASSERT_FALSE(drives.empty());
  const DWORD present = ::GetLogicalDrives();
  std::string letters;
  for (const Drive& drive : drives) {
    ASSERT_EQ(drive.root.size(), 3u) << drive.root;
    EXPECT_EQ(drive.root.substr(1), ":\\");
    const char letter = drive.root[0];
    EXPECT_TRUE(present & (1u << (letter - 'A'))) << drive.root;
    letters += letter;
    // The caption leads with the letter in lower case.
    const std::string lowerLetter(1, static_cast<char>(letter - 'A' + 'a'));
    EXPECT_EQ(driveCaption(drive).substr(0, 2), lowerLetter + ":");
    if (drive.kind != DriveKind::Network) {
      EXPECT_EQ(drive.networkName, "") << drive.root;
    }
  }
  EXPECT_TRUE(std::is_sorted(letters.begin(), letters.end())) << letters;
  EXPECT_EQ(std::adjacent_find(letters.begin(), letters.end()), letters.end()) << letters;
}

TEST(Win32Drives, TheSystemDriveIsAFixedOneWithItsLabel) {
  wchar_t windows[MAX_PATH];
  ASSERT_GT(::GetWindowsDirectoryW(windows, MAX_PATH), 2u);
  const std::string root{static_cast<char>(windows[0]), ':', '\\'};
  wchar_t label[MAX_PATH + 1] = {};
  ::GetVolumeInformationW(win32::widePath(root).c_str(), label, MAX_PATH + 1, nullptr, nullptr,
                          nullptr, nullptr, 0);
  const std::vector<Drive> drives = makeSystemDriveSource("")->drives();
  const auto it =
      std::find_if(drives.begin(), drives.end(), [&](const Drive& d) { return d.root == root; });
  ASSERT_NE(it, drives.end()) << root;
  EXPECT_EQ(it->kind, DriveKind::Fixed);
  EXPECT_EQ(it->label, win32::narrow(label));

  // The folder picker opens on it, its root line the drive's root.
  std::unique_ptr<Folders> folders = makeSystemFolders();
  FolderLister lister(*folders, "");
  lister.setDrives(drives);
  lister.openOn(win32::narrow(windows), "");
  EXPECT_EQ(lister.drives()[lister.currentDrive()].root, root);
  EXPECT_EQ(lister.lines().front().text, root);
}

}  // namespace
}  // namespace clipquill
