// SPDX-License-Identifier: GPL-3.0-or-later
// The folder picker's drive list on Windows: every drive from a to z as the
// system names it ("C:\"), with its type, its volume label and, for a
// network drive, the share it is connected to. A drive with no medium (an
// empty card reader or disc drive) is listed all the same: it is entering
// it that fails, with the system's own error.
#include "core/windows_api.h"

#include <winnetwk.h>

#include <string>

#include "core/win32_file.h"
#include "ui/platform/drives.h"

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
    default:  // a fixed disk or a RAM disk
      return DriveKind::Fixed;
  }
}

std::string volumeLabel(const wchar_t* root) {
  wchar_t label[MAX_PATH + 1] = {};
  if (!::GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0))
    return {};
  return win32::narrow(label);
}

// "\\nas\clips" for "N:"; "" when the drive is no connection (or a lost one
// the system cannot name).
std::string networkName(const wchar_t* root) {
  const wchar_t local[3] = {root[0], L':', L'\0'};
  std::wstring remote(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    DWORD size = static_cast<DWORD>(remote.size());
    const DWORD result = ::WNetGetConnectionW(local, remote.data(), &size);
    if (result == NO_ERROR) return win32::narrow(remote.c_str());
    if (result != ERROR_MORE_DATA) return {};
    remote.assign(size + 1, L'\0');
  }
  return {};
}

class Win32DriveSource final : public DriveSource {
 public:
  std::vector<Drive> drives() override {
    std::vector<Drive> result;
    wchar_t roots[26 * 4 + 1] = {};
    const DWORD n = ::GetLogicalDriveStringsW(static_cast<DWORD>(std::size(roots) - 1), roots);
    if (n == 0 || n >= std::size(roots)) return result;
    // Asking a drive with no medium for its label must fail at once, not
    // ask the user to insert one.
    DWORD oldMode = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    for (const wchar_t* root = roots; *root; root += std::wcslen(root) + 1) {
      const UINT type = ::GetDriveTypeW(root);
      if (type == DRIVE_NO_ROOT_DIR || type == DRIVE_UNKNOWN) continue;
      Drive drive{win32::narrow(root), "", driveKindOf(type)};
      // A removable drive shows no label: its medium comes and goes.
      if (type != DRIVE_REMOVABLE) drive.label = volumeLabel(root);
      if (type == DRIVE_REMOTE) drive.networkName = networkName(root);
      result.push_back(std::move(drive));
    }
    ::SetThreadErrorMode(oldMode, nullptr);
    return result;
  }
};

}  // namespace

std::unique_ptr<DriveSource> makeSystemDriveSource(std::string) {
  return std::make_unique<Win32DriveSource>();
}

}  // namespace clipquill
