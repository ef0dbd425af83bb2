// SPDX-License-Identifier: GPL-3.0-or-later
// AviSynth.dll as Windows users have it: the path they named, else the
// installed AviSynth+, whose installer puts avisynth.dll in the system
// folder and names its own folder in the registry. Loaded by full path
// only, never through the search path, where a stray DLL of that name in
// the working folder could pass for it.
#include "core/windows_api.h"

#include <cwchar>

#include "check/avisynth_loader.h"
#include "core/win32_file.h"

namespace clipquill::avisynth_loader {
namespace {

constexpr const wchar_t* kRegistryKey = L"SOFTWARE\\AviSynth";

std::string systemMessage(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message(text != nullptr ? text : L"", n);
  if (text != nullptr) ::LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                              message.back() == L' ' || message.back() == L'.'))
    message.pop_back();
  if (message.empty()) return "error " + std::to_string(code);
  return win32::narrow(message) + " (error " + std::to_string(code) + ")";
}

std::wstring fullPath(const std::wstring& path) {
  const DWORD n = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (n == 0) return path;
  std::wstring full(n, L'\0');
  const DWORD written = ::GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
  if (written == 0 || written >= n) return path;
  full.resize(written);
  return full;
}

// The DLL at an absolute path, the DLLs it needs searched for in its own
// folder (the compiler's run-time beside a self-built AviSynth.dll), then
// the program's folder (the run-time beside clipquill.exe, which the copy in
// avisynth\ that came with Clipquill needs), then the system's, whatever
// the current folder. Only when that fails, the older search, which adds the
// current folder and PATH, for an AviSynth+ whose DLLs are found there. No
// message box for a DLL that is missing or broken.
void* loadFrom(const std::wstring& path, std::string& why) {
  DWORD oldMode = 0;
  ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
  HMODULE module =
      ::LoadLibraryExW(path.c_str(), nullptr,
                       LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_APPLICATION_DIR |
                           LOAD_LIBRARY_SEARCH_SYSTEM32);
  DWORD error = ::GetLastError();
  if (module == nullptr && error == ERROR_MOD_NOT_FOUND) {
    module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    error = ::GetLastError();
  }
  ::SetThreadErrorMode(oldMode, nullptr);
  if (module == nullptr) why = "cannot load " + win32::narrow(path) + ": " + systemMessage(error);
  return reinterpret_cast<void*>(module);
}

std::wstring systemFolder() {
  wchar_t buffer[MAX_PATH + 1];
  const UINT n = ::GetSystemDirectoryW(buffer, MAX_PATH + 1);
  return n > 0 && n <= MAX_PATH ? std::wstring(buffer, n) : std::wstring();
}

std::wstring registryFolder(HKEY root) {
  wchar_t buffer[32768];
  DWORD size = sizeof buffer;
  // A REG_EXPAND_SZ value comes expanded, as REG_SZ.
  if (::RegGetValueW(root, kRegistryKey, nullptr, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
      ERROR_SUCCESS)
    return {};
  return std::wstring(buffer);
}

bool isFile(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

std::vector<std::wstring> installedCandidates(const std::wstring& systemFolder,
                                              const std::vector<std::wstring>& registryFolders) {
  std::vector<std::wstring> candidates;
  if (!systemFolder.empty()) candidates.push_back(win32::joined(systemFolder, L"avisynth.dll"));
  for (const std::wstring& folder : registryFolders) {
    if (folder.empty()) continue;
    std::wstring candidate = win32::joined(folder, L"AviSynth.dll");
    bool seen = false;
    for (const std::wstring& c : candidates)
      seen = seen || ::_wcsicmp(c.c_str(), candidate.c_str()) == 0;
    if (!seen) candidates.push_back(std::move(candidate));
  }
  return candidates;
}

void* open(const std::string& path, std::string& why) {
  if (!path.empty()) {
    std::wstring wide;
    try {
      wide = win32::widePath(path);
    } catch (const std::exception&) {
      why = "cannot load " + path + ": not a valid file name";
      return nullptr;
    }
    return loadFrom(fullPath(wide), why);
  }
  const std::vector<std::wstring> candidates = installedCandidates(
      systemFolder(), {registryFolder(HKEY_LOCAL_MACHINE), registryFolder(HKEY_CURRENT_USER)});
  for (const std::wstring& candidate : candidates) {
    if (isFile(candidate)) return loadFrom(candidate, why);
  }
  why =
      "AviSynth+ (AviSynth.dll) is not installed: not in the system folder, and no "
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\AviSynth naming its folder";
  return nullptr;
}

void* symbol(void* handle, const char* name) {
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle), name));
}

void close(void* handle) {
  ::FreeLibrary(static_cast<HMODULE>(handle));
}

const char* pluginExtension() {
  return ".dll";
}

std::string loadedPath(void* handle) {
  std::wstring path(32768, L'\0');
  const DWORD n = ::GetModuleFileNameW(static_cast<HMODULE>(handle), path.data(),
                                       static_cast<DWORD>(path.size()));
  if (n == 0 || n >= path.size()) return {};
  path.resize(n);
  return win32::narrow(path);
}

}  // namespace clipquill::avisynth_loader
