// SPDX-License-Identifier: GPL-3.0-or-later
// Checking 1,000 per-clip scripts with AviSynth+, set against its floor: a
// plain loop that loads the same libavisynth.so into its own process and
// imports the same scripts, each in a fresh script environment, with nothing
// around it. What the check spends beyond that is its own: the helper
// process and its start, the messages to and fro, the time limit's clock.
//
// The scripts are those of an "Import("<P><F>")" template over clips that are
// .avsi scripts giving a BlankClip, which AviSynth+'s core runs without
// plugins. Floor and check alternate after a warm-up of each; the last line
// printed is "ratio <check median / floor median>".
//
// Usage: bench_avisynth_check [libavisynth.so [scripts [rounds]]]
// (the library, when not given or given empty, is the one the build was
// configured with)
#include <dlfcn.h>

#include <cstdio>
#include <string>
#include <vector>

#define AVSC_NO_DECLSPEC
#include <avisynth_c.h>

#include "bench/bench_support.h"
#include "check/script_checker.h"

#ifndef CLIPQUILL_AVISYNTH_LIBRARY
#define CLIPQUILL_AVISYNTH_LIBRARY ""
#endif

namespace {

namespace support = clipquill::bench;
using support::Clock;
using support::die;
using support::msSince;

// The floor, as a C program would write it.
struct PlainAvisynth {
  avs_create_script_environment_func create;
  avs_delete_script_environment_func destroy;
  avs_invoke_func invoke;
  avs_release_value_func release;
};

PlainAvisynth loadPlain(const std::string& library) {
  void* h = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (h == nullptr) die(std::string("cannot load ") + library + ": " + dlerror());
  PlainAvisynth a{};
  a.create = reinterpret_cast<avs_create_script_environment_func>(
      dlsym(h, "avs_create_script_environment"));
  a.destroy = reinterpret_cast<avs_delete_script_environment_func>(
      dlsym(h, "avs_delete_script_environment"));
  a.invoke = reinterpret_cast<avs_invoke_func>(dlsym(h, "avs_invoke"));
  a.release = reinterpret_cast<avs_release_value_func>(dlsym(h, "avs_release_value"));
  if (!a.create || !a.destroy || !a.invoke || !a.release) die("a C API function is missing");
  return a;
}

double floorRound(const PlainAvisynth& a, const std::vector<std::string>& scripts) {
  const auto start = Clock::now();
  for (const std::string& script : scripts) {
    AVS_ScriptEnvironment* env = a.create(6);
    AVS_Value v = a.invoke(env, "Import", avs_new_value_string(script.c_str()), nullptr);
    if (!avs_is_clip(v)) die("the floor's import of " + script + " failed");
    a.release(v);
    a.destroy(env);
  }
  return msSince(start);
}

double checkRound(const std::string& library, const std::vector<std::string>& scripts) {
  const auto start = Clock::now();
  clipquill::ScriptChecker checker({library, std::chrono::seconds(10), ""});
  for (const std::string& script : scripts) {
    clipquill::ScriptCheck result = checker.check(script);
    if (!result.good()) die("the check of " + script + " failed: " + result.message);
  }
  return msSince(start);
}

}  // namespace

int main(int argc, char** argv) {
  clipquill::runCheckHelperIfAsked(argc, argv);
  support::programName = "bench_avisynth_check";
  const std::string library = argc > 1 && argv[1][0] != '\0' ? argv[1] : CLIPQUILL_AVISYNTH_LIBRARY;
  if (library.empty()) {
    std::printf("no AviSynth+ library configured (CLIPQUILL_AVISYNTH_LIBRARY); nothing to run\n");
    return 0;
  }
  const std::size_t count =
      support::countArgument(argc, argv, 2, support::byRun(1000, 200), "script count");
  const std::size_t rounds =
      support::countArgument(argc, argv, 3, support::byRun(5, 3), "round count");

  const std::string folder = support::makeScratchFolder();
  const std::string clips = folder + "/clips/";
  support::makeFolder(clips);
  support::makeFolder(folder + "/scripts");
  std::vector<std::string> scripts;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string clip = "take" + std::to_string(i) + ".avsi";
    support::floorWriteFile(clips + clip, "BlankClip(length=100, width=640, height=480)\r\n");
    scripts.push_back(folder + "/scripts/take" + std::to_string(i) + ".avs");
    support::floorWriteFile(scripts.back(),
                            support::expandForClip({"Import(\"<P><F>\")"}, clips, clip));
  }

  const PlainAvisynth plain = loadPlain(library);
  std::printf("checking %zu per-clip scripts with %s\n", count, library.c_str());
  support::Rounds measured = support::alternate(
      rounds, [&] { return floorRound(plain, scripts); },
      [&] { return checkRound(library, scripts); });
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  support::report(measured, count, "script");
  return 0;
}
