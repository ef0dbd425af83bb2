// SPDX-License-Identifier: GPL-3.0-or-later
// AviSynth+'s function table, each figure beside its floor in the same run:
//   1. read from a warm cache (goal: <= 10 ms), against reading the cache
//      file's bytes alone;
//   2. asked of AviSynth+ with FFMS2 through the check's sandboxed helper
//      (goal: <= 1.3 x the floor), against a plain C API loop in a process
//      of its own (this program started again) that loads the same library
//      and plugins and lists the same names and parameter strings.
// Each section prints "ratio <clipquill median / floor median>" last.
//
// Usage: bench_function_table [rounds [section]]   (section 1 or 2 alone)
#include <dlfcn.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#define AVSC_NO_DECLSPEC
#include <avisynth_c.h>

#include "bench/bench_support.h"
#include "check/function_cache.h"
#include "check/script_checker.h"

#ifndef CLIPQUILL_AVISYNTH_LIBRARY
#define CLIPQUILL_AVISYNTH_LIBRARY ""
#endif
#ifndef CLIPQUILL_FFMS2_PLUGINS
#define CLIPQUILL_FFMS2_PLUGINS ""
#endif

extern char** environ;

namespace {

namespace support = clipquill::bench;
using support::Clock;
using support::die;
using support::msSince;

constexpr const char* kPlainFlag = "--plain-list";

// The floor, as a C program would write it: one environment, each plugin
// loaded into it, every name's parameter string read.
[[noreturn]] void plainList(const char* library, int plugins, char** paths) {
  void* h = dlopen(library, RTLD_NOW | RTLD_LOCAL);
  if (h == nullptr) die(std::string("cannot load ") + library);
  auto create = reinterpret_cast<avs_create_script_environment_func>(
      dlsym(h, "avs_create_script_environment"));
  auto invoke = reinterpret_cast<avs_invoke_func>(dlsym(h, "avs_invoke"));
  auto getVar = reinterpret_cast<avs_get_var_func>(dlsym(h, "avs_get_var"));
  AVS_ScriptEnvironment* env = create(6);
  std::string out;
  auto list = [&](const char* var) {
    const AVS_Value names = getVar(env, var);
    const std::string all = avs_is_string(names) ? avs_as_string(names) : "";
    for (std::size_t at = 0; at < all.size();) {
      const std::size_t end = std::min(all.find(' ', at), all.size());
      const std::string name = all.substr(at, end - at);
      const AVS_Value params = getVar(env, ("$Plugin!" + name + "!Param$").c_str());
      out += name + '\t' + (avs_is_string(params) ? avs_as_string(params) : "") + '\n';
      at = end + 1;
    }
  };
  list("$InternalFunctions$");
  for (int i = 0; i < plugins; ++i)
    invoke(env, "LoadPlugin", avs_new_value_string(paths[i]), nullptr);
  list("$PluginFunctions$");
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  std::_Exit(0);
}

std::vector<std::string> pluginFiles(const std::string& folder) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".so") files.push_back(entry.path().string());
  }
  return files;
}

double timeProcess(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const auto start = Clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
    die("cannot start " + args[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  const double ms = msSince(start);
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) die("the plain loop failed");
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  clipquill::runCheckHelperIfAsked(argc, argv);
  if (argc >= 3 && std::string(argv[1]) == kPlainFlag) plainList(argv[2], argc - 3, argv + 3);
  support::programName = "bench_function_table";
  const std::size_t rounds = support::countArgument(argc, argv, 1, support::byRun(20, 5), "rounds");
  const std::size_t section = support::countArgument(argc, argv, 2, 0, "section");
  const std::string library = CLIPQUILL_AVISYNTH_LIBRARY;
  const std::string plugins = CLIPQUILL_FFMS2_PLUGINS;
  if (library.empty()) die("built without an AviSynth+ library (CLIPQUILL_AVISYNTH_LIBRARY)");
  const std::string self = std::filesystem::canonical("/proc/self/exe").string();

  clipquill::CheckerOptions options;
  options.library = library;
  options.helper = self;
  options.timeLimit = std::chrono::seconds(60);
  if (!plugins.empty()) options.pluginFolders = {plugins};

  const std::string scratch = support::makeScratchFolder();
  std::string why;
  const auto table = clipquill::loadFunctionTable(options, scratch, &why);
  if (!table) die("no function table: " + why);
  const std::size_t functions = table->functions.size();
  std::printf("%zu functions of %s\n", functions, clipquill::describeInstallation(*table).c_str());

  if (section == 0 || section == 1) {
    const std::string path = clipquill::functionCachePath(scratch, options);
    std::printf("\n1. the table from a warm cache (goal: <= 10 ms)\n");
    const auto measured = support::alternate(
        rounds,
        [&] {
          const auto start = Clock::now();
          std::ifstream in(path, std::ios::binary);
          const std::string bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
          if (bytes.empty()) die("empty cache");
          return msSince(start);
        },
        [&] {
          const auto start = Clock::now();
          if (!clipquill::readFunctionCache(path)) die("the cache missed");
          return msSince(start);
        });
    support::report(measured, functions, "function");
  }
  if (section == 0 || section == 2) {
    std::vector<std::string> floorArgs{self, kPlainFlag, library};
    if (!plugins.empty()) {
      for (const std::string& file : pluginFiles(plugins))
        floorArgs.push_back(file);
    }
    std::printf("\n2. the table from AviSynth+%s (goal: <= 1.3 x the floor)\n",
                plugins.empty() ? "" : " with FFMS2");
    const auto measured = support::alternate(
        rounds, [&] { return timeProcess(floorArgs); },
        [&] {
          const auto start = Clock::now();
          clipquill::ScriptChecker checker(options);
          if (!checker.functions(&why)) die("no function table: " + why);
          return msSince(start);
        });
    support::report(measured, functions, "function");
  }
  std::filesystem::remove_all(scratch);
  return 0;
}
