// SPDX-License-Identifier: GPL-3.0-or-later
// The folder picker's drive list on a POSIX system: the drives from
// /proc/self/mountinfo (or the mtab where there is no /proc) with labels
// from /dev/disk/by-label.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <mntent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>

#include "core/error.h"
#include "core/posix_file.h"
#include "ui/platform/drives.h"
#include "ui/platform/folder_lister.h"

namespace clipquill {

namespace {

std::vector<MountEntry> readMtab() {
  std::vector<MountEntry> mounts;
  FILE* table = ::setmntent("/etc/mtab", "r");
  if (table == nullptr) return mounts;
  while (const mntent* m = ::getmntent(table)) {
    mounts.push_back({m->mnt_dir, m->mnt_type, m->mnt_fsname});
  }
  ::endmntent(table);
  return mounts;
}

std::string realPath(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// "\x20" and the like in a label's link name back to their bytes.
std::string unescapeLabel(std::string_view name) {
  std::string out;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
      const std::string hex(name.substr(i + 2, 2));
      char* end = nullptr;
      const long value = std::strtol(hex.c_str(), &end, 16);
      if (end == hex.c_str() + 2) {
        out += static_cast<char>(value);
        i += 3;
        continue;
      }
    }
    out += name[i];
  }
  return out;
}

std::map<std::string, std::string> readLabels() {
  std::map<std::string, std::string> labels;
  const std::string folder = "/dev/disk/by-label";
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return labels;
  const posix::DirCloser closer(dir);
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    labels[realPath(folder + "/" + entry->d_name)] = unescapeLabel(entry->d_name);
  }
  return labels;
}

class SystemDriveSource final : public DriveSource {
 public:
  explicit SystemDriveSource(std::string home) : home_(std::move(home)) {}

  std::vector<Drive> drives() override {
    std::ifstream in("/proc/self/mountinfo", std::ios::binary);
    std::vector<MountEntry> mounts;
    if (in) {
      const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      mounts = parseMountInfo(text);
    } else {
      mounts = readMtab();
    }
    // Devices named by their links ("/dev/disk/by-uuid/...") meet the labels'
    // targets once resolved.
    for (MountEntry& m : mounts) {
      if (m.source.rfind("/dev/", 0) == 0) m.source = realPath(m.source);
    }
    return drivesFromMounts(mounts, home_, readLabels());
  }

 private:
  std::string home_;
};

}  // namespace

std::unique_ptr<DriveSource> makeSystemDriveSource(std::string homeFolder) {
  return std::make_unique<SystemDriveSource>(std::move(homeFolder));
}

}  // namespace clipquill
