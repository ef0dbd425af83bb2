// SPDX-License-Identifier: GPL-3.0-or-later
// The places the folder picker's drive selector offers. On Windows these are
// the drives by their letters, as the system describes them. Linux has no
// drive letters: the root, the home folder and each mounted volume a user
// would recognise stand in for them, picked out of the mount table by pure
// rules so that any table can be tested.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/paths.h"

namespace clipquill {

// What a drive is, for its picture and its description.
enum class DriveKind { Root, Home, Fixed, Removable, Network, Optical };

struct Drive {
  std::string root;   // the folder it opens on: "C:\", a mount point, "/" or the home folder
  std::string label;  // the volume label (on Linux, a share's network name); may be empty
  DriveKind kind = DriveKind::Fixed;
  std::string networkName{};  // a Windows network drive's share ("\\nas\clips"); may be empty

  bool operator==(const Drive&) const = default;
};

// One line of the mount table.
struct MountEntry {
  std::string mountPoint;  // bytes, escapes undone
  std::string fsType;      // "ext4", "nfs4", "fuse.sshfs", ...
  std::string source;      // "/dev/sdb1", "//nas/share", "server:/export", ...
};

// The lines of /proc/self/mountinfo. Octal escapes ("\040" for a blank) are
// undone; malformed lines are skipped.
std::vector<MountEntry> parseMountInfo(std::string_view text);

// The drive list: "/" first, then the home folder, then the recognisable
// volumes by mount point. Pseudo and system file systems, system folders and
// hidden mount points are left out; a later mount over the same point
// replaces the earlier one. labelsByDevice maps a device path to its volume
// label.
std::vector<Drive> drivesFromMounts(const std::vector<MountEntry>& mounts, std::string homeFolder,
                                    const std::map<std::string, std::string>& labelsByDevice = {});

// The drive selector's text for a drive, as bytes. A drive letter's is the
// letter in lower case with its colon, then for a network drive its network
// name in lower case (its volume label in brackets when it has none), for a
// removable drive nothing, and for any other its volume label in lower case
// in brackets: "c: [system]", "n: \\nas\clips", "a:". Elsewhere the
// folder, then what the user knows it by: "/mnt/data [DATA]",
// "/mnt/nas //nas/share". An empty label adds nothing.
std::string driveCaption(const Drive& drive);

// The index of the drive that holds folder: the one whose root is the
// longest leading part of it, counted in whole names (on Windows without
// regard to case, with "\" and "/" alike). drives must hold one that does.
std::size_t driveIndexOf(const std::vector<Drive>& drives, std::string_view folder,
                         const PathSeparators& seps = kNativeSeparators);

// Where the drive list comes from.
class DriveSource {
 public:
  virtual ~DriveSource() = default;
  virtual std::vector<Drive> drives() = 0;
};

// This system's mount table and volume labels, with homeFolder as the home
// drive.
std::unique_ptr<DriveSource> makeSystemDriveSource(std::string homeFolder);

}  // namespace clipquill
