// clipquill-cli: fills in the environment from the system and runs.
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "cli/cli.h"
#include "persist/folder_registry.h"

namespace {

// The program's own path, so that the default template is found beside it
// however it was started.
std::string executablePath(const char* argv0) {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) return self.string();
  return argv0 ? argv0 : "";
}

std::string workingFolder() {
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  return ec ? std::string() : cwd.string();
}

// Where the clip list starts. A home folder that cannot be listed (a service
// account's "/nonexistent") would fail every run at start-up, even one given
// --source, so the list then starts nowhere instead.
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

}  // namespace

int main(int argc, char** argv) {
  const clipquill::cli::CliEnvironment env{
      .executablePath = executablePath(argc > 0 ? argv[0] : nullptr),
      .workingFolder = workingFolder(),
      .homeFolder = homeFolder(),
      .registryRoot = clipquill::defaultRegistryRoot(),
      .interactive = ::isatty(0) && ::isatty(2),
      .progress = ::isatty(2) != 0,
  };
  // Standard output through its own buffer: a list of a million names should
  // cost the names, not a lock per write. A failed write still shows on the
  // stream, which runCli checks.
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return clipquill::cli::runCli(args, std::cin, std::cout, std::cerr, env);
}
