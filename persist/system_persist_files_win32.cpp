// SPDX-License-Identifier: GPL-3.0-or-later
// Persisted files on a Windows file system, by the shared file rules
// (core/win32_file.h).
//
// A write never truncates the old file: the bytes go into a temporary in the
// same folder, which is flushed and then put in the old file's place in one
// step by ReplaceFileW, which also gives it the old file's attributes and
// rights; a new file is moved to its name by a move that never replaces. A
// link is followed first, so it is the link's target that is replaced and
// the link itself stays. A file the user may not write is refused as writing
// it would be; where only the folder refuses the new file, the file is
// written in place.
#include "core/windows_api.h"

#include <string>

#include "core/error.h"
#include "core/win32_file.h"
#include "persist/persist_files.h"

namespace clipquill {

namespace {

using win32::Handle;
using win32::Kind;

// The file a write to path lands in: path itself, or the end of its links.
std::wstring followLinks(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return path;
  }
  const Handle h(::CreateFileW(path.c_str(), 0,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h.valid()) return path;  // a dangling link is replaced itself
  std::wstring target(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n =
        ::GetFinalPathNameByHandleW(h.get(), target.data(), static_cast<DWORD>(target.size()), 0);
    if (n == 0) return path;
    if (n < target.size()) {
      target.resize(n);
      return target;
    }
    target.resize(n);
  }
}

// Gathers small pieces into writes of a useful size; a large piece goes
// straight through.
class HandleSink final : public PersistFiles::Sink {
 public:
  static constexpr std::size_t kChunk = 256 * 1024;

  explicit HandleSink(HANDLE h) : h_(h) { buffer_.reserve(kChunk); }

  void put(std::string_view bytes) override {
    if (buffer_.size() + bytes.size() > kChunk) flush();
    if (bytes.size() >= kChunk) {
      win32::writeAll(h_, bytes);
    } else {
      buffer_ += bytes;
    }
  }

  void flush() {
    win32::writeAll(h_, buffer_);
    buffer_.clear();
  }

 private:
  HANDLE h_;
  std::string buffer_;
};

void produceInto(HANDLE h, const std::function<void(PersistFiles::Sink&)>& produce) {
  HandleSink sink(h);
  produce(sink);
  sink.flush();
  if (!::FlushFileBuffers(h)) win32::throwLastError();
}

// Where the folder takes no new file but the file itself may be written: in
// place, as truncating and writing it would.
void writeInPlace(const std::wstring& target,
                  const std::function<void(PersistFiles::Sink&)>& produce) {
  Handle h(::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, TRUNCATE_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.valid()) win32::throwLastError();
  produceInto(h.get(), produce);
  h.close();
}

class Win32PersistFiles final : public PersistFiles {
 public:
  std::optional<std::string> read(const std::string& path) override {
    return win32::readRegularFile(path);
  }

  bool isFile(const std::string& path) override { return win32::isRegularFile(path); }

  void writeWith(const std::string& path, const std::function<void(Sink&)>& produce) override {
    const std::wstring target = followLinks(win32::widePath(path));
    unsigned long error = 0;
    const Kind kind = win32::kindOf(target, false, &error);
    const bool replacing = kind != Kind::Missing;
    if (replacing) {
      // Only a file is replaced: a folder or a device is refused.
      if (kind != Kind::File) win32::throwError(ERROR_ACCESS_DENIED);
      if (const unsigned long denied = win32::writeDenied(target)) win32::throwError(denied);
    } else if (error != ERROR_FILE_NOT_FOUND) {
      win32::throwError(error);
    }

    win32::TempFile file;
    try {
      file = win32::TempFile::createIn(win32::folderOf(target));
    } catch (const Error& e) {
      if (!replacing || e.systemError() != ERROR_ACCESS_DENIED) throw;
      writeInPlace(target, produce);
      return;
    }
    produceInto(file.handle(), produce);
    file.close();
    unsigned long err = replacing ? ERROR_ALREADY_EXISTS : file.moveAsNew(target);
    if (err == ERROR_ALREADY_EXISTS) {
      // The old file, another writer's, or one that appeared meanwhile.
      win32::removeStaleTemporaries(win32::folderOf(target));
      file.replace(target);
      err = 0;
    }
    if (err != 0) win32::throwError(err);
  }

  bool isFolder(const std::string& path) override {
    try {
      return win32::kindOf(win32::widePath(path), true) == Kind::Folder;
    } catch (const Error&) {
      return false;  // a name no file can have
    }
  }

  bool remove(const std::string& path) override {
    try {
      return ::DeleteFileW(win32::widePath(path).c_str()) != 0;
    } catch (const Error&) {
      return false;
    }
  }

  void makeFolder(const std::string& path) override {
    const std::wstring wide = win32::widePath(path);
    if (::CreateDirectoryW(wide.c_str(), nullptr)) return;
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS) {
      if (win32::kindOf(wide, true) == Kind::Folder) return;
      win32::throwError(ERROR_DIRECTORY);
    }
    win32::throwError(error);
  }

  bool canWrite(const std::string& path) override {
    // Rights on Windows are the folder's access list, which only trying
    // tells: a temporary made and gone again.
    try {
      const std::wstring wide = win32::widePath(path);
      if (win32::kindOf(wide, true) != Kind::Folder) return false;
      win32::TempFile probe = win32::TempFile::createIn(wide);
      return true;
    } catch (const Error&) {
      return false;
    }
  }

  std::vector<std::string> names(const std::string& path) override {
    std::vector<std::string> result;
    try {
      win32::listFolder(path, [&](const std::wstring& name, std::uint32_t) {
        result.push_back(win32::narrow(name));
      });
    } catch (const Error&) {
      result.clear();
    }
    return result;
  }
};

}  // namespace

std::unique_ptr<PersistFiles> makeSystemPersistFiles() {
  return std::make_unique<Win32PersistFiles>();
}

}  // namespace clipquill
