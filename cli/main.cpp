// SPDX-License-Identifier: GPL-3.0-or-later
// clipquill-cli: fills in the environment from the system and runs.
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "check/script_checker.h"
#include "cli/cli.h"
#include "persist/folder_registry.h"
#include "ui/model/process_environment.h"

namespace {

std::string workingFolder() {
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  return ec ? std::string() : cwd.string();
}

}  // namespace

int main(int argc, char** argv) {
  // Started by a script check as its helper process: that and nothing else.
  clipquill::runCheckHelperIfAsked(argc, argv);
  const clipquill::cli::CliEnvironment env{
      .executablePath = clipquill::executablePath(argc > 0 ? argv[0] : nullptr),
      .workingFolder = workingFolder(),
      .homeFolder = clipquill::homeFolder(),
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
