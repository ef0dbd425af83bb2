// SPDX-License-Identifier: GPL-3.0-or-later
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/process_environment.h"

namespace clipquill {

namespace {

bool isSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// Qt reads "-platform name", "--platform name" and the same with "=".
bool namesPlatform(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (!arg || arg[0] != '-') continue;
    if (arg[1] == '-') ++arg;
    if (std::strcmp(arg, "-platform") == 0 && i + 1 < argc) return true;
    if (std::strncmp(arg, "-platform=", 10) == 0 && arg[10] != '\0') return true;
  }
  return false;
}

}  // namespace

bool hasDisplay(int argc, char** argv) {
#if defined(__APPLE__)
  (void)argc;
  (void)argv;
  return true;
#else
  return isSet("QT_QPA_PLATFORM") || isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") ||
         namesPlatform(argc, argv);
#endif
}

std::string executablePath(const char* argv0) {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) return self.string();
  return argv0 ? argv0 : "";
}

std::string homeFolder() {
  std::string home;
  if (const char* env = std::getenv("HOME"); env && *env) {
    home = env;
  } else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) {
    home = pw->pw_dir;
  }
  if (home.empty() || ::access(home.c_str(), R_OK | X_OK) != 0) return {};
  return home;
}

std::string programFileName(std::string_view name) {
  return std::string(name);
}

std::string driveCurrentFolder(char) {
  return {};
}

}  // namespace clipquill
