// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/platform/drives.h"

#include <algorithm>
#include <array>

#include "app/folder_paths.h"

namespace clipquill {

namespace {

// "\040" and the like back to their bytes; anything else is kept as it is.
std::string unescapeMountField(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  const auto octal = [](char c) { return c >= '0' && c <= '7'; };
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && octal(field[i + 1]) && octal(field[i + 2]) &&
        octal(field[i + 3])) {
      out += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                               (field[i + 3] - '0'));
      i += 3;
      continue;
    }
    out += field[i];
  }
  return out;
}

std::vector<std::string_view> splitBlanks(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && line[pos] == ' ')
      ++pos;
    if (pos == line.size()) break;
    const std::size_t end = std::min(line.find(' ', pos), line.size());
    fields.push_back(line.substr(pos, end - pos));
    pos = end;
  }
  return fields;
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Whether path is folder or lies below it, in whole names.
bool isWithin(std::string_view path, std::string_view folder) {
  if (folder == "/") return startsWith(path, "/");
  return startsWith(path, folder) && (path.size() == folder.size() || path[folder.size()] == '/');
}

constexpr std::array kNetworkTypes{"nfs",         "nfs4",        "cifs",          "smb3",
                                   "smbfs",       "9p",          "afs",           "ceph",
                                   "glusterfs",   "davfs",       "ncpfs",         "fuse.sshfs",
                                   "fuse.rclone", "fuse.davfs2", "fuse.glusterfs"};
constexpr std::array kOpticalTypes{"iso9660", "udf"};
constexpr std::array kDiskTypes{
    "ext2", "ext3",     "ext4",    "xfs",  "btrfs",        "vfat",      "msdos", "exfat",
    "ntfs", "ntfs3",    "fuseblk", "hfs",  "hfsplus",      "f2fs",      "jfs",   "reiserfs",
    "zfs",  "bcachefs", "nilfs2",  "apfs", "fuse.ntfs-3g", "fuse.exfat"};

template <std::size_t N>
bool isOneOf(std::string_view type, const std::array<const char*, N>& types) {
  return std::any_of(types.begin(), types.end(),
                     [&](const char* t) { return type == std::string_view(t); });
}

// Folders of the system itself: a volume mounted there is the system's
// business, not a place the user starts from.
constexpr std::array kSystemFolders{"/boot",  "/proc", "/sys",  "/dev", "/run", "/snap",
                                    "/var",   "/usr",  "/etc",  "/tmp", "/efi", "/lib",
                                    "/lib64", "/bin",  "/sbin", "/srv"};
constexpr std::array kRemovableFolders{"/media", "/run/media"};

bool hasHiddenPart(std::string_view path) {
  return path.find("/.") != std::string_view::npos;
}

// "C:\", "c:/" or "C:": a drive of the Windows kind.
bool isDriveLetterRoot(std::string_view root) {
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  return (root.size() == 2 || (root.size() == 3 && (root[2] == '\\' || root[2] == '/'))) &&
         letter(root[0]) && root[1] == ':';
}

// The drive selector shows names in lower case: ASCII, and the Latin-1
// letters' UTF-8 forms ("\xC3\x80" to "\xC3\x9E" but the sign "\xC3\x97").
// Other bytes pass as they are.
std::string lowerCase(std::string_view text) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto c = static_cast<unsigned char>(out[i]);
    if (c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c - 'A' + 'a');
    } else if (c == 0xC3 && i + 1 < out.size()) {
      const auto next = static_cast<unsigned char>(out[i + 1]);
      if (next >= 0x80 && next <= 0x9E && next != 0x97) out[i + 1] = static_cast<char>(next + 0x20);
      ++i;
    }
  }
  return out;
}

}  // namespace

std::vector<MountEntry> parseMountInfo(std::string_view text) {
  std::vector<MountEntry> mounts;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::vector<std::string_view> fields = splitBlanks(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    // ID, parent, major:minor, root, mount point, options, optional fields,
    // "-", type, source, super options.
    const auto dash = std::find(fields.begin(), fields.end(), "-");
    if (fields.size() < 6 || dash == fields.end() || dash - fields.begin() < 6 ||
        fields.end() - dash < 3) {
      continue;
    }
    mounts.push_back({unescapeMountField(fields[4]), unescapeMountField(*(dash + 1)),
                      unescapeMountField(*(dash + 2))});
  }
  return mounts;
}

std::vector<Drive> drivesFromMounts(const std::vector<MountEntry>& mounts, std::string homeFolder,
                                    const std::map<std::string, std::string>& labelsByDevice) {
  // Keyed by mount point, so that a later mount over a point replaces the
  // earlier one and the volumes come out in order.
  // "/home/u/" is the folder "/home/u".
  while (homeFolder.size() > 1 && homeFolder.back() == '/')
    homeFolder.pop_back();
  std::map<std::string, Drive> volumes;
  for (const MountEntry& m : mounts) {
    const std::string& at = m.mountPoint;
    if (at.empty() || at[0] != '/' || at == "/" || at == homeFolder) {
      volumes.erase(at);
      continue;
    }
    DriveKind kind;
    std::string label;
    if (isOneOf(m.fsType, kNetworkTypes)) {
      kind = DriveKind::Network;
      label = m.source;
    } else if (isOneOf(m.fsType, kOpticalTypes)) {
      kind = DriveKind::Optical;
    } else if (isOneOf(m.fsType, kDiskTypes) && startsWith(m.source, "/dev/")) {
      kind = std::any_of(kRemovableFolders.begin(), kRemovableFolders.end(),
                         [&](const char* f) { return isWithin(at, f); })
                 ? DriveKind::Removable
                 : DriveKind::Fixed;
    } else {
      volumes.erase(at);  // a pseudo file system hides what was mounted below it
      continue;
    }
    const bool removable = kind == DriveKind::Removable || kind == DriveKind::Optical;
    const bool system =
        std::any_of(kSystemFolders.begin(), kSystemFolders.end(), [&](const char* f) {
          return isWithin(at, f) && !(removable && isWithin(at, "/run/media"));
        });
    if (system || hasHiddenPart(at)) {
      volumes.erase(at);
      continue;
    }
    if (kind != DriveKind::Network) {
      if (const auto it = labelsByDevice.find(m.source); it != labelsByDevice.end()) {
        label = it->second;
      }
    }
    volumes[at] = Drive{at, std::move(label), kind};
  }

  std::vector<Drive> drives{{"/", "", DriveKind::Root}};
  if (!homeFolder.empty() && homeFolder != "/") {
    drives.push_back({std::move(homeFolder), "", DriveKind::Home});
  }
  for (auto& [at, drive] : volumes)
    drives.push_back(std::move(drive));
  return drives;
}

std::string driveCaption(const Drive& drive) {
  if (isDriveLetterRoot(drive.root)) {
    std::string caption{lowerCase(drive.root.substr(0, 1)) + ":"};
    if (drive.kind == DriveKind::Removable) return caption;
    if (drive.kind == DriveKind::Network && !drive.networkName.empty())
      return caption + " " + lowerCase(drive.networkName);
    return drive.label.empty() ? caption : caption + " [" + lowerCase(drive.label) + "]";
  }
  switch (drive.kind) {
    case DriveKind::Root:
      return drive.root;
    case DriveKind::Home:
      return drive.root + " [home]";
    case DriveKind::Network:
      return drive.label.empty() ? drive.root : drive.root + " " + drive.label;
    case DriveKind::Removable:
    case DriveKind::Optical:
    case DriveKind::Fixed:
      break;
  }
  return drive.label.empty() ? drive.root : drive.root + " [" + drive.label + "]";
}

std::size_t driveIndexOf(const std::vector<Drive>& drives, std::string_view folder,
                         const PathSeparators& seps) {
  std::size_t best = 0;
  std::size_t bestLength = 0;
  for (std::size_t i = 0; i < drives.size(); ++i) {
    const std::string& root = drives[i].root;
    if (isWithinFolder(folder, root, seps) && root.size() > bestLength) {
      best = i;
      bestLength = root.size();
    }
  }
  return best;
}

}  // namespace clipquill
