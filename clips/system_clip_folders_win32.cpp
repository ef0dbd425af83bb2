// SPDX-License-Identifier: GPL-3.0-or-later
// Clip folders on a Windows file system. The folder is read once over "*",
// and the clip list's own matcher picks the names, so that a mask means the
// same on every system: the system's own wild cards would also match the
// short "8.3" names and treat "?" and "." in ways of their own. Hidden files,
// and names beginning with "." as on the other systems (the program's own
// temporaries among them), are never listed; a link counts as what it points
// to, so a link to an ordinary file is listed and a broken one is not.
#include "clips/clip_folders.h"
#include "core/error.h"
#include "core/win32_file.h"

namespace clipquill {

namespace {

class Win32ClipFolders final : public ClipFolders {
 public:
  void checkFolder(const std::string& folder) override {
    unsigned long error = 0;
    switch (win32::kindOf(win32::widePath(folder), true, &error)) {
      case win32::Kind::Folder:
        return;
      case win32::Kind::Missing:
        win32::throwError(error);
      case win32::Kind::File:
      case win32::Kind::Other:
        win32::throwError(267);  // ERROR_DIRECTORY
    }
  }

  void listFiles(const std::string& folder,
                 const std::function<void(std::string_view)>& visit) override {
    const std::wstring wide = win32::widePath(folder);
    win32::listFolder(folder, [&](const std::wstring& name, std::uint32_t attributes) {
      if (name.front() == L'.' || (attributes & win32::kAttributeHidden)) return;
      if (win32::entryIsFile(wide, name, attributes)) visit(win32::narrow(name));
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
};

}  // namespace

std::unique_ptr<ClipFolders> makeSystemClipFolders() {
  return std::make_unique<Win32ClipFolders>();
}

}  // namespace clipquill
