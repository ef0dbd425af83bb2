// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/windows_api.h"

#include "core/win32_file.h"

#include <algorithm>
#include <atomic>
#include <charconv>

#include "core/error.h"
#include "core/wide_text.h"

namespace clipquill::win32 {

namespace {

constexpr std::wstring_view kTempPrefix = L".clipquill-";
constexpr std::wstring_view kTempSuffix = L".tmp";

std::atomic<unsigned> tempCounter{0};

bool isSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

// Where the name of path begins: after its last separator, or after the
// drive of a drive-relative path ("C:name").
std::size_t nameStart(const std::wstring& path) {
  const std::size_t sep = path.find_last_of(L"\\/");
  if (sep != std::wstring::npos) return sep + 1;
  return path.size() >= 2 && path[1] == L':' ? 2 : 0;
}

std::wstring tempName() {
  return std::wstring(kTempPrefix) + std::to_wstring(::GetCurrentProcessId()) + L"-" +
         std::to_wstring(tempCounter.fetch_add(1)) + std::wstring(kTempSuffix);
}

// The process id in a name of tempName()'s form, or 0 when it is not one.
DWORD tempOwner(std::wstring_view name) {
  if (!name.starts_with(kTempPrefix) || !name.ends_with(kTempSuffix)) return 0;
  name.remove_prefix(kTempPrefix.size());
  name.remove_suffix(kTempSuffix.size());
  const std::size_t dash = name.find(L'-');
  if (dash == std::wstring_view::npos || dash == 0 || dash + 1 == name.size()) return 0;
  for (const wchar_t c : name.substr(dash + 1))
    if (c < L'0' || c > L'9') return 0;
  std::uint64_t pid = 0;
  for (const wchar_t c : name.substr(0, dash)) {
    if (c < L'0' || c > L'9' || pid > 0xFFFFFFFFu / 10) return 0;
    pid = pid * 10 + static_cast<unsigned>(c - L'0');
  }
  return pid <= 0xFFFFFFFFu ? static_cast<DWORD>(pid) : 0;
}

// FILE_FLAG_BACKUP_SEMANTICS lets a folder be opened, to be told apart.
Handle openToLook(const std::wstring& path, bool follow) {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  HANDLE h = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, flags, nullptr);
  return Handle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

Kind kindOfHandle(HANDLE h) {
  if (::GetFileType(h) != FILE_TYPE_DISK) return Kind::Other;
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(h, &info)) return Kind::Other;
  return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? Kind::Folder : Kind::File;
}

}  // namespace

std::wstring widePath(std::string_view path) {
  if (path.find('\0') == std::string_view::npos) {
    if (const std::optional<std::u16string> units = utf16FromUtf8(path)) {
      return longPathForm(std::wstring(units->begin(), units->end()));
    }
  }
  throwError(ERROR_INVALID_NAME);
}

std::wstring longPathForm(const std::wstring& path) {
  // A folder's path must leave room for a name of 8.3 in it.
  constexpr std::size_t kLongest = MAX_PATH - 12;
  if (path.size() < kLongest || path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\"))
    return path;
  const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  const DWORD n = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  if (n == 0 || n >= size) return path;
  full.resize(n);
  if (full.starts_with(L"\\\\?\\") || full.starts_with(L"\\\\.\\")) return full;
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::wstring sameFileKey(std::wstring path) {
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  if (path.empty()) return path;
  // The invariant upper case, as the file systems compare names; not the
  // user's language's, which folds some letters otherwise.
  std::wstring upper(path.size(), L'\0');
  const int n = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, path.c_str(),
                                static_cast<int>(path.size()), upper.data(),
                                static_cast<int>(upper.size()), nullptr, nullptr, 0);
  if (n <= 0) return path;
  upper.resize(static_cast<std::size_t>(n));
  return upper;
}

std::string narrow(std::wstring_view name) {
  const std::u16string units(name.begin(), name.end());
  return utf8FromUtf16(units);
}

void throwLastError() {
  throwError(::GetLastError());
}

void throwError(unsigned long code) {
  throw Error::fromWindowsError(code);
}

Handle::Handle(void* handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}

Handle& Handle::operator=(Handle&& other) noexcept {
  if (this != &other) {
    if (handle_) ::CloseHandle(handle_);
    handle_ = other.release();
  }
  return *this;
}

Handle::~Handle() {
  if (handle_) ::CloseHandle(handle_);
}

void Handle::close() {
  if (handle_ && !::CloseHandle(release())) throwLastError();
}

std::wstring folderOf(const std::wstring& path) {
  const std::size_t start = nameStart(path);
  if (start == 0) return L".";
  std::wstring folder = path.substr(0, start);
  // The separator goes, unless it is the root's ("\", "C:\") or follows
  // another ("\\server").
  if (isSeparator(folder.back()) && folder.size() > 1 && !isSeparator(folder[folder.size() - 2]) &&
      folder[folder.size() - 2] != L':') {
    folder.pop_back();
  }
  return folder;
}

std::wstring nameOf(const std::wstring& path) {
  return path.substr(nameStart(path));
}

std::wstring joined(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty() || isSeparator(folder.back()) || folder.back() == L':') return folder + name;
  return folder + L"\\" + name;
}

bool meansMissing(unsigned long error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
         error == ERROR_INVALID_NAME || error == ERROR_BAD_PATHNAME || error == ERROR_DIRECTORY ||
         error == ERROR_INVALID_DRIVE || error == ERROR_BAD_NETPATH ||
         error == ERROR_BAD_NET_NAME || error == ERROR_NOT_READY;
}

namespace {

// Whether the last name of path is one the system keeps for a device in
// every folder ("NUL", "con.txt", "COM1"), or path is in the device space.
bool namesDevice(const std::wstring& path) {
  if (path.starts_with(L"\\\\.\\") || path.starts_with(L"//./")) return true;
  std::wstring name = nameOf(path);
  name = name.substr(0, name.find(L'.'));
  while (!name.empty() && name.back() == L' ')
    name.pop_back();
  for (wchar_t& c : name)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  if (name == L"CON" || name == L"PRN" || name == L"AUX" || name == L"NUL" || name == L"CONIN$" ||
      name == L"CONOUT$") {
    return true;
  }
  return name.size() == 4 && (name.starts_with(L"COM") || name.starts_with(L"LPT")) &&
         name[3] >= L'1' && name[3] <= L'9';
}

}  // namespace

Kind kindOf(const std::wstring& path, bool follow, unsigned long* error) {
  if (namesDevice(path)) return Kind::Other;
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (error) *error = ::GetLastError();
    return Kind::Missing;
  }
  // A link, or a name that may be a device: the handle tells what it is.
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
      (attributes & FILE_ATTRIBUTE_DEVICE) == 0) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? Kind::Folder : Kind::File;
  }
  const Handle h = openToLook(path, follow);
  if (!h.valid()) {
    if (error) *error = ::GetLastError();
    return follow ? Kind::Missing : Kind::Other;
  }
  return kindOfHandle(h.get());
}

void listFolder(const std::string& folder,
                const std::function<void(const std::wstring&, std::uint32_t)>& visit) {
  const std::wstring wide = widePath(folder);
  // Told apart first: Windows reports a missing folder below "*" as a missing
  // path, and a file where a folder is meant as a missing file.
  unsigned long error = 0;
  switch (kindOf(wide, true, &error)) {
    case Kind::Missing:
      throwError(error);
    case Kind::Folder:
      break;
    case Kind::File:
    case Kind::Other:
      throwError(ERROR_DIRECTORY);
  }
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileExW(joined(wide, L"*").c_str(), FindExInfoBasic, &data,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) {
    // A drive's root holds no "." or "..": an empty one finds nothing.
    if (::GetLastError() == ERROR_FILE_NOT_FOUND) return;
    throwLastError();
  }
  struct Closer {
    HANDLE find;
    ~Closer() { ::FindClose(find); }
  } closer{find};
  do {
    const std::wstring_view name(data.cFileName);
    if (name == L"." || name == L"..") continue;
    visit(std::wstring(name), data.dwFileAttributes);
  } while (::FindNextFileW(find, &data));
  if (::GetLastError() != ERROR_NO_MORE_FILES) throwLastError();
}

bool entryIsFile(const std::wstring& folder, const std::wstring& name, std::uint32_t attributes) {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    return kindOf(joined(folder, name), true) == Kind::File;
  }
  return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

void writeAll(void* handle, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(handle, bytes.data(), piece, &written, nullptr)) throwLastError();
    bytes.remove_prefix(written);
  }
}

bool isRegularFile(const std::string& path) {
  try {
    return kindOf(widePath(path), true) == Kind::File;
  } catch (const Error&) {
    return false;
  }
}

std::optional<std::string> readRegularFile(const std::string& path) {
  std::wstring wide;
  try {
    wide = widePath(path);
  } catch (const Error&) {
    return std::nullopt;  // no file can have that name
  }
  if (kindOf(wide, true) != Kind::File) return std::nullopt;
  // Others may read meanwhile, but not write.
  Handle file(::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.valid()) {
    if (meansMissing(::GetLastError())) return std::nullopt;
    throwLastError();
  }
  if (kindOfHandle(file.get()) != Kind::File) return std::nullopt;
  std::string bytes;
  LARGE_INTEGER size;
  if (::GetFileSizeEx(file.get(), &size) && size.QuadPart > 0) {
    bytes.reserve(static_cast<std::size_t>(size.QuadPart));
  }
  char buffer[1 << 16];
  for (;;) {
    DWORD n = 0;
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr)) throwLastError();
    if (n == 0) return bytes;
    bytes.append(buffer, n);
  }
}

unsigned long writeDenied(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return ::GetLastError();
  if (attributes & FILE_ATTRIBUTE_READONLY) return ERROR_ACCESS_DENIED;
  // Opening it for writing asks the file's own rights, and whether another
  // program holds it so that it may not be written.
  const Handle h(::CreateFileW(path.c_str(), GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return h.valid() ? 0 : ::GetLastError();
}

TempFile::TempFile(TempFile&& other) noexcept
    : handle_(std::move(other.handle_)), path_(std::move(other.path_)) {
  other.path_.clear();
}

TempFile& TempFile::operator=(TempFile&& other) noexcept {
  if (this != &other) {
    abandon();
    handle_ = std::move(other.handle_);
    path_ = std::move(other.path_);
    other.path_.clear();
  }
  return *this;
}

TempFile::~TempFile() {
  abandon();
}

void TempFile::abandon() noexcept {
  handle_ = Handle();
  if (!path_.empty()) ::DeleteFileW(path_.c_str());
  path_.clear();
}

TempFile TempFile::createIn(const std::wstring& folder) {
  TempFile file;
  for (int attempt = 0;; ++attempt) {
    std::wstring path = joined(folder, tempName());
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                             nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      file.handle_ = Handle(h);
      file.path_ = std::move(path);
      return file;
    }
    const DWORD error = ::GetLastError();
    if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt >= 100) {
      throwError(error);
    }
  }
}

void TempFile::flush() {
  if (!::FlushFileBuffers(handle_.get())) throwLastError();
}

unsigned long TempFile::moveAsNew(const std::wstring& target) {
  if (!::MoveFileExW(path_.c_str(), target.c_str(), 0)) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_EXISTS ? ERROR_ALREADY_EXISTS : error;
  }
  path_.clear();
  return 0;
}

void TempFile::moveOver(const std::wstring& target) {
  if (!::MoveFileExW(path_.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    throwLastError();
  }
  path_.clear();
}

void TempFile::replace(const std::wstring& target) {
  // Set again afterwards as well: not every ReplaceFileW carries them over.
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  const DWORD old = ::GetFileAttributesW(target.c_str());
  if (::ReplaceFileW(target.c_str(), path_.c_str(), nullptr,
                     REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                     nullptr)) {
    path_.clear();
  } else {
    const DWORD error = ::GetLastError();
    if (::GetFileAttributesW(path_.c_str()) == INVALID_FILE_ATTRIBUTES) throwError(error);
    moveOver(target);
  }
  if (old != INVALID_FILE_ATTRIBUTES && (old & kKept) != 0) {
    const DWORD now = ::GetFileAttributesW(target.c_str());
    if (now != INVALID_FILE_ATTRIBUTES && (now & kKept) != (old & kKept)) {
      const DWORD wanted = (now & ~(kKept | FILE_ATTRIBUTE_NORMAL)) | (old & kKept);
      ::SetFileAttributesW(target.c_str(), wanted ? wanted : FILE_ATTRIBUTE_NORMAL);
    }
  }
}

bool isStaleTemporary(std::wstring_view name) {
  const DWORD owner = tempOwner(name);
  if (owner == 0 || owner == ::GetCurrentProcessId()) return false;
  // A process that still runs may be about to move its file into place.
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner);
  if (process == nullptr) return ::GetLastError() == ERROR_INVALID_PARAMETER;
  DWORD code = 0;
  const bool ended = ::GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
  ::CloseHandle(process);
  return ended;
}

void removeStaleTemporaries(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  const std::wstring pattern = joined(folder, std::wstring(kTempPrefix) + L"*");
  HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (isStaleTemporary(data.cFileName)) ::DeleteFileW(joined(folder, data.cFileName).c_str());
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
}

}  // namespace clipquill::win32
