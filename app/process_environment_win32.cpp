// SPDX-License-Identifier: GPL-3.0-or-later
// What start-up reads of a Windows system: there is always a screen, the
// program's path comes from its module, and the home folder is the user
// profile.
#include "core/windows_api.h"

#include <string>

#include "app/process_environment.h"
#include "core/win32_file.h"

namespace clipquill {

namespace {

// An environment variable as UTF-8; "" when unset or empty.
std::string environmentValue(const wchar_t* name) {
  std::wstring value(256, L'\0');
  for (;;) {
    const DWORD n = ::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    if (n == 0) return {};
    if (n < value.size()) {
      value.resize(n);
      return win32::narrow(value);
    }
    value.resize(n);
  }
}

}  // namespace

std::string programFileName(std::string_view name) {
  return std::string(name) + ".exe";
}

std::string driveCurrentFolder(char drive) {
  // cmd.exe keeps them in the environment as "=D:", which children inherit.
  const wchar_t name[] = {L'=', static_cast<wchar_t>(drive), L':', L'\0'};
  return environmentValue(name);
}

bool hasDisplay(int, char**) {
  return true;
}

std::string executablePath(const char* argv0) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return argv0 ? argv0 : "";
    if (n < path.size()) {
      path.resize(n);
      return win32::narrow(path);
    }
    path.resize(path.size() * 2);
  }
}

std::string homeFolder() {
  std::string home = environmentValue(L"USERPROFILE");
  if (home.empty()) {
    const std::string drive = environmentValue(L"HOMEDRIVE");
    const std::string path = environmentValue(L"HOMEPATH");
    if (!drive.empty() && !path.empty()) home = drive + path;
  }
  if (home.empty()) return {};
  try {
    if (win32::kindOf(win32::widePath(home), true) != win32::Kind::Folder) return {};
  } catch (const std::exception&) {
    return {};
  }
  return home;
}

}  // namespace clipquill
