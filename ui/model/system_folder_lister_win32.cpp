// SPDX-License-Identifier: GPL-3.0-or-later
// The folder picker's file system and drive list on Windows: folders through
// one FindFirstFileExW over "*", the drives as the system names them ("C:\"),
// each with its type and volume label.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cerrno>

#include "core/error.h"
#include "core/win32_file.h"
#include "ui/model/drives.h"
#include "ui/model/folder_lister.h"

namespace clipquill {

namespace {

// The interface speaks errno, as the picker's callers do.
int errnoOf(DWORD error) {
  switch (error) {
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return EEXIST;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return EACCES;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
      return EINVAL;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    default:
      return EIO;
  }
}

class Win32PickerFolders final : public PickerFolders {
 public:
  void listSubfolders(const std::string& folder,
                      const std::function<void(std::string_view)>& visit) override {
    const std::wstring wide = win32::widePath(folder);
    win32::listFolder(folder, [&](const std::wstring& name, std::uint32_t attributes) {
      if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (win32::kindOf(win32::joined(wide, name), true) != win32::Kind::Folder) return;
      } else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return;
      }
      visit(win32::narrow(name));
    });
  }

  PathKind kind(const std::string& path) override {
    try {
      switch (win32::kindOf(win32::widePath(path), true)) {
        case win32::Kind::Folder:
          return PathKind::Folder;
        case win32::Kind::File:
        case win32::Kind::Other:
          return PathKind::File;
        case win32::Kind::Missing:
          break;
      }
    } catch (const Error&) {
    }
    return PathKind::Missing;
  }

  int makeFolder(const std::string& path) override {
    try {
      if (::CreateDirectoryW(win32::widePath(path).c_str(), nullptr)) return 0;
      return errnoOf(::GetLastError());
    } catch (const Error&) {
      return EINVAL;
    }
  }
};

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

std::unique_ptr<PickerFolders> makeSystemPickerFolders() {
  return std::make_unique<Win32PickerFolders>();
}

std::unique_ptr<DriveSource> makeSystemDriveSource(std::string) {
  return std::make_unique<Win32DriveSource>();
}

}  // namespace clipquill
