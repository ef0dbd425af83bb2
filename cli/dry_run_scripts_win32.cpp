// SPDX-License-Identifier: GPL-3.0-or-later
// --dry-run on Windows: the questions the real write (core's Windows script
// files) asks, with the same calls, so that each script meets the error the
// real run would meet, without a script written. Whether a folder takes a new
// file is its access list's answer, which only trying tells: a temporary of
// the real run's own form is made there and removed at once, once per folder.
#include "core/windows_api.h"

#include <string_view>
#include <utility>

#include "cli/dry_run_scripts.h"
#include "core/error.h"
#include "core/win32_file.h"

namespace clipquill::cli {

namespace {

using win32::Kind;

// The longest name a folder entry may have on every Windows file system
// (NTFS, ReFS, exFAT, FAT's long names), in UTF-16 units.
constexpr std::size_t kLongestName = 255;

// What stands at target: nothing (ERROR_FILE_NOT_FOUND), a file to ask about
// (0), or the error that refuses a script there; a link counts as the file
// it is, dangling or not, as in the real run.
unsigned long occupant(const std::wstring& target) {
  unsigned long error = 0;
  switch (win32::kindOf(target, false, &error)) {
    case Kind::File:
      return 0;
    case Kind::Missing:
      return error;
    case Kind::Folder:
    case Kind::Other:
      break;
  }
  return ERROR_ACCESS_DENIED;  // a folder or a device
}

}  // namespace

unsigned long DryRunScripts::newFileDenied(const std::wstring& path) {
  std::wstring folder = win32::folderOf(path);
  if (folder == folder_) return folderDenied_;
  folderDenied_ = 0;
  try {
    win32::TempFile probe = win32::TempFile::createIn(folder);  // removed as it goes
  } catch (const Error& e) {
    folderDenied_ = static_cast<unsigned long>(e.systemError());
  }
  folder_ = std::move(folder);
  return folderDenied_;
}

std::unique_ptr<ScriptWriter> DryRunScripts::createNew(const std::string& path) {
  const std::wstring target = win32::widePath(path);
  if (written_.contains(path)) return nullptr;
  const unsigned long err = occupant(target);
  if (err == 0) return nullptr;
  if (err != ERROR_FILE_NOT_FOUND) win32::throwError(err);
  // A name too long for the file system reads as missing, and only the
  // real run's move to it would say so.
  if (win32::nameOf(target).size() > kLongestName) win32::throwError(ERROR_FILENAME_EXCED_RANGE);
  if (const unsigned long denied = newFileDenied(target)) win32::throwError(denied);
  return std::make_unique<Writer>(*this, path, false);
}

std::unique_ptr<ScriptWriter> DryRunScripts::replace(const std::string& path) {
  const std::wstring target = win32::widePath(path);
  const unsigned long err = occupant(target);
  if (err != 0 && err != ERROR_FILE_NOT_FOUND) win32::throwError(err);
  // A file the user may not write is not replaced; a link is replaced
  // itself, whatever its target allows.
  const bool file = err == 0 && win32::kindOf(target, true) == Kind::File;
  if (file) {
    if (const unsigned long denied = win32::writeDenied(target)) win32::throwError(denied);
  }
  // Where the folder takes no new file, a file that may be written is
  // written in place.
  if (const unsigned long denied = newFileDenied(target)) {
    if (!file || denied != ERROR_ACCESS_DENIED) win32::throwError(denied);
  }
  return std::make_unique<Writer>(*this, path, true);
}

}  // namespace clipquill::cli
