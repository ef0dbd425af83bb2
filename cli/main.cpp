// SPDX-License-Identifier: GPL-3.0-or-later
// clipquill-cli: fills in the environment from the system and runs.
#if defined(_WIN32)
#include "core/windows_api.h"
// After windows.h, which they build on.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#else
#include <unistd.h>
#endif

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "app/process_environment.h"
#include "app/script_checks.h"
#include "cli/cli.h"
#include "core/utf8_path.h"
#include "core/wide_text.h"
#include "persist/path_rules.h"

namespace {

std::string workingFolder() {
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  return ec ? std::string() : clipquill::utf8Of(cwd);
}

#if defined(_WIN32)
// The arguments as UTF-8: the narrow argv holds them in the ANSI code page,
// which cannot hold every name.
std::vector<std::string> arguments(int, char**) {
  std::vector<std::string> args;
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return args;
  for (int i = 1; i < count; ++i) {
    const std::wstring_view arg(wide[i]);
    args.push_back(clipquill::utf8FromUtf16(std::u16string(arg.begin(), arg.end())));
  }
  ::LocalFree(wide);
  return args;
}

bool isTerminal(FILE* stream) {
  return ::_isatty(::_fileno(stream)) != 0;
}

// The progress line redraws itself with terminal escapes, which a console
// obeys only when asked to.
bool consoleTakesEscapes() {
  const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  return ::GetConsoleMode(err, &mode) &&
         ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
          ::SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING));
}
#else
std::vector<std::string> arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

bool isTerminal(FILE* stream) {
  return ::isatty(::fileno(stream)) != 0;
}

bool consoleTakesEscapes() {
  return true;
}
#endif

}  // namespace

int main(int argc, char** argv) {
#if defined(_WIN32)
  // The same bytes as on every other system: UTF-8, and no CR put before
  // each LF, which would also break names separated by NUL.
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
  ::SetConsoleOutputCP(CP_UTF8);
#endif
  // Started by a script check as its helper process: that and nothing else.
  clipquill::runAsCheckHelperIfAsked(argc, argv);
  const clipquill::cli::CliEnvironment env{
      .executablePath = clipquill::executablePath(argc > 0 ? argv[0] : nullptr),
      .workingFolder = workingFolder(),
      .homeFolder = clipquill::homeFolder(),
      .userFolder = clipquill::userConfigFolder(),
      .registryRoot = {},  // the system's own store
      .driveFolder = clipquill::driveCurrentFolder,
      .interactive = isTerminal(stdin) && isTerminal(stderr),
      .progress = isTerminal(stderr) && consoleTakesEscapes(),
  };
  // Standard output through its own buffer: a list of a million names should
  // cost the names, not a lock per write. A failed write still shows on the
  // stream, which runCli checks.
  std::ios::sync_with_stdio(false);
  return clipquill::cli::runCli(arguments(argc, argv), std::cin, std::cout, std::cerr, env);
}
