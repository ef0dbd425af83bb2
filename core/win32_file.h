// SPDX-License-Identifier: GPL-3.0-or-later
// The file rules every Windows file module of the program shares: scripts in
// core, clip folders, templates, settings files and flag values. The Windows
// side of core/posix_file.h, with the same promises:
//
//  - Only a regular file is ever opened for reading: a folder, a device
//    ("CON", "NUL", "COM1") or a pipe reads as no file at all.
//  - New bytes go into a temporary in the destination's folder, under a name
//    of this program's own form, and are moved to their name only once
//    complete; a later writer in that folder removes the temporaries a kill
//    left behind, once their process has ended.
//  - A file the user may not write (read-only, or refused) is never
//    replaced behind their back.
//
// Names cross the API as UTF-16 (the W functions); the layers hold UTF-8.
// Both "\" and "/" separate names. Errors are raised with the Windows error
// code, shown through the message table.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace clipquill::win32 {

// The UTF-16 form of a path for the W functions, at any length: one too
// long for them as it stands (MAX_PATH, less room for a name in a folder)
// in its full "\\?\" form (longPathForm). A path holding NUL, or one that
// is not UTF-8, names no file: raises Error "Invalid filename".
std::wstring widePath(std::string_view path);
// The "\\?\" form of a long path, which the W functions take beyond
// MAX_PATH: read in full against the working folder (as the system reads
// it, "/" and "." and ".." included), then "\\?\C:\..." or
// "\\?\UNC\server\share\...". A short path, or one in that form or
// naming a device ("\\.\") already, stays as it is.
std::wstring longPathForm(const std::wstring& path);
// One key for every spelling of a path that names the same file on a file
// system that ignores case, as Windows's do: "C:\\Out\\A.avs" and
// "c:/out/a.AVS" give the same. Lexical only.
std::wstring sameFileKey(std::wstring path);

// A name from the system, as UTF-8.
std::string narrow(std::wstring_view name);

// Raises Error with the calling thread's last Windows error.
[[noreturn]] void throwLastError();
[[noreturn]] void throwError(unsigned long code);

// An owned handle, closed when it goes.
class Handle {
 public:
  Handle() = default;
  explicit Handle(void* handle);
  Handle(Handle&& other) noexcept : handle_(other.release()) {}
  Handle& operator=(Handle&& other) noexcept;
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle();

  void* get() const { return handle_; }
  bool valid() const { return handle_ != nullptr; }
  void* release() {
    void* h = handle_;
    handle_ = nullptr;
    return h;
  }
  // Closes now; raises Error when the system reports a failure.
  void close();

 private:
  void* handle_ = nullptr;
};

// The folder of a path ("." for a bare name, the root kept: "C:\", "\") and
// the name after its last separator.
std::wstring folderOf(const std::wstring& path);
std::wstring nameOf(const std::wstring& path);
// folder and name joined with one separator.
std::wstring joined(const std::wstring& folder, const std::wstring& name);

// What a path names now.
enum class Kind { Missing, File, Folder, Other };
// The kind of path; links are followed when follow is set, else a link is
// the file it is. error receives the Windows error for Missing.
Kind kindOf(const std::wstring& path, bool follow, unsigned long* error = nullptr);
// Whether an error means that nothing is there (or that a file stands where
// a folder was named).
bool meansMissing(unsigned long error);

// Calls visit with each entry of folder (but "." and ".."), its name and its
// attributes, through one FindFirstFileExW over "*" without short names.
// Raises Error when the folder cannot be read; visit may have been called.
void listFolder(
    const std::string& folder,
    const std::function<void(const std::wstring& name, std::uint32_t attributes)>& visit);
// Whether an entry of that name and those attributes is a regular file,
// following a link (which costs a look at its target).
bool entryIsFile(const std::wstring& folder, const std::wstring& name, std::uint32_t attributes);
inline constexpr std::uint32_t kAttributeDirectory = 0x10;
inline constexpr std::uint32_t kAttributeHidden = 0x2;

void writeAll(void* handle, std::string_view bytes);

bool isRegularFile(const std::string& path);
// The bytes of the regular file at path, opened so that others may read it
// meanwhile but not write it; nothing when there is no regular file. Raises
// Error when there is one that cannot be read ("I/O error 32" when another
// program holds it open for writing).
std::optional<std::string> readRegularFile(const std::string& path);

// Whether the file at path may be written by this process: 0 when it may,
// else the Windows error a write would meet (read-only, refused, or held
// open by another program).
unsigned long writeDenied(const std::wstring& path);

// A file being written under a temporary name in its destination's folder.
// Destroyed without having been moved to its name, it is removed.
class TempFile {
 public:
  TempFile() = default;
  TempFile(TempFile&& other) noexcept;
  TempFile& operator=(TempFile&& other) noexcept;
  ~TempFile();

  // Raises Error.
  static TempFile createIn(const std::wstring& folder);

  void* handle() const { return handle_.get(); }
  void write(std::string_view bytes) { writeAll(handle_.get(), bytes); }
  // Puts the bytes on the disk; raises Error.
  void flush();
  // Closes the handle; raises Error.
  void close() { handle_.close(); }
  // Moves the (closed) file to target, never over anything: 0 on success,
  // the Windows error otherwise (ERROR_ALREADY_EXISTS when something is
  // there), the temporary still there.
  unsigned long moveAsNew(const std::wstring& target);
  // Moves the (closed) file over target in one step, through the disk.
  // Raises Error.
  void moveOver(const std::wstring& target);
  // Puts the (closed) file in place of the file at target, which keeps its
  // attributes and rights (ReplaceFileW). Should that fail part-way, the new
  // bytes still land whole: the old file is then either still there or
  // already gone. Raises Error.
  void replace(const std::wstring& target);

 private:
  void abandon() noexcept;

  Handle handle_;
  std::wstring path_;  // "" once moved
};

// Whether name is a temporary of this program's form whose process has
// ended, and so safe to remove.
bool isStaleTemporary(std::wstring_view name);
// Removes the stale temporaries in folder.
void removeStaleTemporaries(const std::wstring& folder);

}  // namespace clipquill::win32
