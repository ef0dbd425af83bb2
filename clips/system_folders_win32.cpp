// SPDX-License-Identifier: GPL-3.0-or-later
// Folders on a Windows file system. A folder is read once over "*", and the
// clip list's own matcher picks the names, so that a mask means the same on
// every system: the system's own wild cards would also match the short "8.3"
// names and treat "?" and "." in ways of their own. Hidden files, and names
// beginning with "." as on the other systems (the program's own temporaries
// among them), are never listed as clips; a link counts as what it points
// to, so a link to an ordinary file is listed and a broken one is not.
#include "core/windows_api.h"

#include <cerrno>

#include "clips/folders.h"
#include "core/error.h"
#include "core/win32_file.h"

namespace clipquill {

namespace {

// makeFolder speaks errno, as its callers do.
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

// A drive without its medium (an empty card reader or disc drive) fails
// at once with ERROR_NOT_READY rather than asking the user to insert one.
class QuietDriveErrors {
 public:
  QuietDriveErrors() { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, &old_); }
  ~QuietDriveErrors() { ::SetThreadErrorMode(old_, nullptr); }
  QuietDriveErrors(const QuietDriveErrors&) = delete;
  QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

 private:
  DWORD old_ = 0;
};

class Win32Folders final : public Folders {
 public:
  void checkFolder(const std::string& folder) override {
    const QuietDriveErrors quiet;
    unsigned long error = 0;
    switch (win32::kindOf(win32::widePath(folder), true, &error)) {
      case win32::Kind::Folder:
        return;
      case win32::Kind::Missing:
        win32::throwError(error);
      case win32::Kind::File:
      case win32::Kind::Other:
        win32::throwError(ERROR_DIRECTORY);
    }
  }

  void listFiles(const std::string& folder,
                 const std::function<void(std::string_view)>& visit) override {
    const QuietDriveErrors quiet;
    const std::wstring wide = win32::widePath(folder);
    win32::listFolder(folder, [&](const std::wstring& name, std::uint32_t attributes) {
      if (name.front() == L'.' || (attributes & win32::kAttributeHidden)) return;
      if (win32::entryIsFile(wide, name, attributes)) visit(win32::narrow(name));
    });
  }

  void listSubfolders(const std::string& folder,
                      const std::function<void(std::string_view)>& visit) override {
    const QuietDriveErrors quiet;
    const std::wstring wide = win32::widePath(folder);
    win32::listFolder(folder, [&](const std::wstring& name, std::uint32_t attributes) {
      // The folder picker shows neither hidden nor system folders (a
      // drive's "$Recycle.Bin" and "System Volume Information").
      if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) return;
      if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (win32::kindOf(win32::joined(wide, name), true) != win32::Kind::Folder) return;
      } else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return;
      }
      visit(win32::narrow(name));
    });
  }

  PathKind kind(const std::string& path) override {
    const QuietDriveErrors quiet;
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

}  // namespace

std::unique_ptr<Folders> makeSystemFolders() {
  return std::make_unique<Win32Folders>();
}

}  // namespace clipquill
