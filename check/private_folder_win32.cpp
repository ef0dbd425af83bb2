// SPDX-License-Identifier: GPL-3.0-or-later
// Windows has no mkdtemp: CreateDirectoryW fails on a name that exists, so a
// name drawn from the system's random source is taken only by us, in the
// user's own temporary folder (which other users cannot list).
#include "core/windows_api.h"

#include <filesystem>
#include <random>

#include "check/private_folder.h"
#include "core/win32_file.h"

namespace clipquill {
namespace {

std::wstring baseFolder(FolderBase) {
  wchar_t buffer[MAX_PATH + 2];
  const DWORD n = ::GetTempPathW(MAX_PATH + 2, buffer);
  if (n == 0 || n > MAX_PATH + 1) return {};
  return std::wstring(buffer, n);
}

bool processRuns(unsigned long pid) {
  HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr) return ::GetLastError() == ERROR_ACCESS_DENIED;
  const bool runs = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  ::CloseHandle(process);
  return runs;
}

}  // namespace

std::string makePrivateFolder(std::string_view prefix, FolderBase base) {
  const std::wstring folder = baseFolder(base);
  if (folder.empty()) return {};
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = std::string(prefix) + std::to_string(::GetCurrentProcessId()) + "-";
    for (int i = 0; i < 6; ++i)
      name += kLetters[random() % (sizeof kLetters - 1)];
    const std::wstring path = folder + std::wstring(name.begin(), name.end());  // ASCII
    if (::CreateDirectoryW(path.c_str(), nullptr)) return win32::narrow(path);
    if (::GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
  return {};
}

int sweepStalePrivateFolders(std::string_view prefix, FolderBase base) {
  const std::wstring folder = baseFolder(base);
  if (folder.empty()) return 0;
  int removed = 0;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = win32::narrow(entry.path().filename().wstring());
    const auto pid = privateFolderOwner(name, prefix);
    if (!pid || entry.is_symlink(ec) || !entry.is_directory(ec) || processRuns(*pid)) continue;
    std::error_code removing;
    if (std::filesystem::remove_all(entry.path(), removing) > 0 && !removing) ++removed;
  }
  return removed;
}

}  // namespace clipquill
