// SPDX-License-Identifier: GPL-3.0-or-later
// The folder picker's drive list on Windows: the drives as the system names
// them ("C:\"), each with its type and volume label.
#include "core/windows_api.h"

#include "core/win32_file.h"
#include "ui/model/drives.h"

namespace clipquill {

namespace {

DriveKind driveKindOf(UINT type) {
  switch (type) {
    case DRIVE_REMOVABLE:
      return DriveKind::Removable;
    case DRIVE_REMOTE:
      return DriveKind::Network;
    case DRIVE_CDROM:
      return DriveKind::Optical;
    default:
      return DriveKind::Fixed;
  }
}

class Win32DriveSource final : public DriveSource {
 public:
  std::vector<Drive> drives() override {
    std::vector<Drive> result;
    wchar_t roots[27 * 4 + 1] = {};
    const DWORD n = ::GetLogicalDriveStringsW(static_cast<DWORD>(std::size(roots) - 1), roots);
    if (n == 0 || n >= std::size(roots)) return result;
    // Asking an empty floppy or disc drive for its label would make the
    // system wait, or ask the user to insert a medium.
    const UINT oldMode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    for (const wchar_t* root = roots; *root; root += std::wcslen(root) + 1) {
      const UINT type = ::GetDriveTypeW(root);
      if (type == DRIVE_NO_ROOT_DIR || type == DRIVE_UNKNOWN) continue;
      Drive drive{win32::narrow(root), "", driveKindOf(type)};
      wchar_t label[MAX_PATH + 1] = {};
      if (type != DRIVE_REMOVABLE && type != DRIVE_CDROM &&
          ::GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr,
                                  0)) {
        drive.label = win32::narrow(label);
      }
      result.push_back(std::move(drive));
    }
    ::SetErrorMode(oldMode);
    return result;
  }
};

}  // namespace

std::unique_ptr<DriveSource> makeSystemDriveSource(std::string) {
  return std::make_unique<Win32DriveSource>();
}

}  // namespace clipquill
