// SPDX-License-Identifier: GPL-3.0-or-later
// Scripts on a Windows file system, by the shared file rules
// (core/win32_file.h).
//
// No script is ever written under its own name. Each is written to a
// temporary in its folder; a new one is then moved to its name by a move that
// never replaces, which also refuses a file that appeared meanwhile. A
// replacement is moved over the old script in one step, and only once its
// bytes are on the disk, or a crash could leave an empty file where the
// user's old script was: replacements are held back (with every script after
// them, to keep the order) and flushed together, the volume at once where
// this process may, before they are moved into place, in order. The move
// replaces a link itself, as deleting the old file and writing a new one
// would.
#include "core/windows_api.h"

#include <deque>
#include <string>
#include <unordered_set>
#include <utility>

#include "core/error.h"
#include "core/script_files.h"
#include "core/win32_file.h"

namespace clipquill {

namespace {

using win32::Handle;
using win32::TempFile;

// Each script held back keeps a handle open; no more than one flush needs.
constexpr std::size_t kMaxHeld = 4096;

// Flushes the whole volume that holds path: one flush for every file held
// back. Only an administrator may; false when it could not be done.
bool flushVolumeOf(const std::wstring& path) {
  wchar_t volume[MAX_PATH];
  if (!::GetVolumePathNameW(path.c_str(), volume, MAX_PATH)) return false;
  std::wstring device(volume);
  // "C:\" is flushed through "\\.\C:".
  if (device.size() != 3 || device[1] != L':') return false;
  device = L"\\\\.\\" + device.substr(0, 2);
  const Handle h(::CreateFileW(device.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr));
  return h.valid() && ::FlushFileBuffers(h.get());
}

class Win32ScriptFiles final : public ScriptFiles {
 public:
  std::unique_ptr<ScriptWriter> createNew(const std::string& path) override;
  std::unique_ptr<ScriptWriter> replace(const std::string& path) override;

  void settle() override {
    swept_.clear();
    landHeld();
  }

  void commit(TempFile file, std::wstring target, bool replacing, ScriptWriter::Landed landed) {
    if (held_.empty() && !replacing) {
      file.close();
      if (const unsigned long err = file.moveAsNew(target)) win32::throwError(err);
      landed();
      return;
    }
    heldPaths_.insert(win32::sameFileKey(target));
    held_.push_back({std::move(file), std::move(target), replacing, std::move(landed)});
    if (held_.size() >= kMaxHeld) landHeld();
  }

  // Names that differ only in case are one file here.
  bool isHeld(const std::wstring& target) const {
    return heldPaths_.contains(win32::sameFileKey(target));
  }

  TempFile newFile(const std::wstring& folder, bool replacing) {
    // What a killed run left is cleared before the first replacement there.
    if (replacing && swept_.insert(folder).second) win32::removeStaleTemporaries(folder);
    return TempFile::createIn(folder);
  }

  void landHeld() {
    if (held_.empty()) return;
    std::deque<Held> held = std::exchange(held_, {});
    heldPaths_.clear();
    // Whatever fails from here drops the rest: old scripts stay.
    if (!flushVolumeOf(held.front().target)) {
      for (Held& script : held)
        script.file.flush();
    }
    for (Held& script : held) {
      script.file.close();
      if (script.replacing) {
        script.file.moveOver(script.target);
      } else if (const unsigned long err = script.file.moveAsNew(script.target)) {
        win32::throwError(err);
      }
      script.landed();
    }
  }

 private:
  struct Held {
    TempFile file;
    std::wstring target;
    bool replacing;
    ScriptWriter::Landed landed;
  };

  std::deque<Held> held_;
  std::unordered_set<std::wstring> heldPaths_;  // by sameFileKey
  std::unordered_set<std::wstring> swept_;      // folders cleared of stale temporaries
};

class Win32ScriptWriter final : public ScriptWriter {
 public:
  Win32ScriptWriter(Win32ScriptFiles& owner, TempFile file, std::wstring target, bool replacing)
      : owner_(owner), file_(std::move(file)), target_(std::move(target)), replacing_(replacing) {}
  // Writes over the file itself, in place.
  Win32ScriptWriter(Win32ScriptFiles& owner, Handle inPlace)
      : owner_(owner), inPlace_(std::move(inPlace)) {}

  void write(std::string_view bytes) override {
    if (inPlace_.valid()) {
      win32::writeAll(inPlace_.get(), bytes);
    } else {
      file_.write(bytes);
    }
  }

  void commit(Landed landed) override {
    if (inPlace_.valid()) {
      inPlace_.close();
      landed();
      return;
    }
    owner_.commit(std::move(file_), std::move(target_), replacing_, std::move(landed));
  }

 private:
  Win32ScriptFiles& owner_;
  TempFile file_;
  Handle inPlace_;
  std::wstring target_;
  bool replacing_ = false;
};

std::unique_ptr<ScriptWriter> Win32ScriptFiles::createNew(const std::string& path) {
  const std::wstring target = win32::widePath(path);
  if (isHeld(target)) return nullptr;
  unsigned long error = 0;
  switch (win32::kindOf(target, false, &error)) {
    case win32::Kind::File:  // a link, dangling or not, included
      return nullptr;
    case win32::Kind::Missing:
      if (error != ERROR_FILE_NOT_FOUND) win32::throwError(error);
      break;
    case win32::Kind::Folder:
    case win32::Kind::Other:
      win32::throwError(ERROR_ACCESS_DENIED);
  }
  return std::make_unique<Win32ScriptWriter>(*this, newFile(win32::folderOf(target), false), target,
                                             false);
}

std::unique_ptr<ScriptWriter> Win32ScriptFiles::replace(const std::string& path) {
  const std::wstring target = win32::widePath(path);
  unsigned long error = 0;
  const win32::Kind kind = win32::kindOf(target, false, &error);
  if (kind == win32::Kind::Missing && error != ERROR_FILE_NOT_FOUND) win32::throwError(error);
  if (kind == win32::Kind::Folder || kind == win32::Kind::Other) {
    win32::throwError(ERROR_ACCESS_DENIED);
  }
  // A file the user may not write is not replaced behind their back; a link
  // is replaced itself, whatever its target allows.
  const bool file = kind == win32::Kind::File && win32::kindOf(target, true) == win32::Kind::File;
  if (file) {
    if (const unsigned long denied = win32::writeDenied(target)) win32::throwError(denied);
  }
  try {
    return std::make_unique<Win32ScriptWriter>(*this, newFile(win32::folderOf(target), true),
                                               target, true);
  } catch (const Error& e) {
    if (!file || e.systemError() != ERROR_ACCESS_DENIED) throw;
  }
  // The folder takes no new file, but the file may be written: in place.
  landHeld();
  Handle h(::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, TRUNCATE_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.valid()) win32::throwLastError();
  return std::make_unique<Win32ScriptWriter>(*this, std::move(h));
}

}  // namespace

std::unique_ptr<ScriptFiles> makeSystemScriptFiles() {
  return std::make_unique<Win32ScriptFiles>();
}

}  // namespace clipquill
