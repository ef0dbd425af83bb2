// SPDX-License-Identifier: GPL-3.0-or-later
// The function table's cache: a hit only while the library and the plugins
// are the files it was made from, a miss for anything it cannot read, and a
// warm start that never asks AviSynth+.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "check/function_cache.h"
#include "support/temp_dir.h"

#ifndef CLIPQUILL_AVISYNTH_LIBRARY
#define CLIPQUILL_AVISYNTH_LIBRARY ""
#endif

namespace clipquill {
namespace {

using namespace std::chrono_literals;
using testing::TempDir;
using testing::writeFile;
namespace fs = std::filesystem;

struct Installation {
  TempDir dir;
  std::string library = dir.path() + "/libavisynth.so";
  std::string plugins = dir.path() + "/plugins";
  Installation() {
    writeFile(library, "library");
    fs::create_directory(plugins);
    writeFile(plugins + "/libffms2.so", "ffms2");
  }
  std::string key() const { return functionCacheKey(library, {plugins}); }
};

TEST(FunctionCacheKey, ChangesWithWhatAviSynthWouldLoad) {
  const struct {
    const char* what;
    std::function<void(Installation&)> change;
    bool changes;
  } cases[] = {
      {"nothing", [](Installation&) {}, false},
      {"a file beside the plugins",
       [](Installation& i) { writeFile(i.plugins + "/readme.txt", "x"); }, false},
      {"the library's size", [](Installation& i) { writeFile(i.library, "library 2"); }, true},
      {"the library's time",
       [](Installation& i) { fs::last_write_time(i.library, fs::last_write_time(i.library) - 1h); },
       true},
      {"a plugin added", [](Installation& i) { writeFile(i.plugins + "/libx.so", "x"); }, true},
      {"a plugin removed", [](Installation& i) { fs::remove(i.plugins + "/libffms2.so"); }, true},
      {"the library removed", [](Installation& i) { fs::remove(i.library); }, true},
  };
  for (const auto& c : cases) {
    Installation installation;
    const std::string before = installation.key();
    c.change(installation);
    EXPECT_EQ(installation.key() != before, c.changes) << c.what;
  }
}

FunctionTableRecord recordFor(const Installation& i) {
  FunctionTableRecord record;
  record.library = i.library;
  record.pluginFolders = {i.plugins};
  record.key = i.key();
  record.version = "AviSynth+ 3.7.5";
  record.functions = {{"FFVideoSource", i.plugins + "/libffms2.so", "[source]s", std::nullopt}};
  return record;
}

TEST(FunctionCache, AHitOnlyWhileItsFilesAreTheSame) {
  Installation installation;
  TempDir cache;
  const std::string path = cache.path() + "/sub/functions.bin";
  EXPECT_FALSE(readFunctionCache(path)) << "missing";
  ASSERT_TRUE(writeFunctionCache(path, recordFor(installation)));
  const auto back = readFunctionCache(path);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->version, "AviSynth+ 3.7.5");
  ASSERT_EQ(back->functions.size(), 1u);
  ASSERT_TRUE(back->functions[0].params);
  EXPECT_EQ(back->functions[0].params->at(0).name, "source");

  writeFile(installation.plugins + "/libnew.so", "new");
  EXPECT_FALSE(readFunctionCache(path)) << "a plugin added since";
}

TEST(FunctionCache, ABrokenFileIsAMiss) {
  Installation installation;
  TempDir cache;
  const std::string path = cache.path() + "/functions.bin";
  const std::string good = encodeFunctionRecord(recordFor(installation));
  for (const std::string& bytes : {std::string(), good.substr(0, good.size() / 2), good.substr(1),
                                   std::string(4096, '\xff'), good + "trailing"}) {
    writeFile(path, bytes);
    EXPECT_FALSE(readFunctionCache(path)) << bytes.size() << " bytes";
  }
}

TEST(FunctionCachePath, OneFilePerChoiceOfAviSynth) {
  CheckerOptions a;
  a.library = "/a/libavisynth.so";
  CheckerOptions b = a;
  b.pluginFolders = {"/plugins"};
  CheckerOptions c = a;
  c.places = {{AvisynthOrigin::Bundled, "/bundled/libavisynth.so", {"/bundled/plugins"}}};
  EXPECT_EQ(functionCachePath("/cache", a), functionCachePath("/cache", a));
  EXPECT_NE(functionCachePath("/cache", a), functionCachePath("/cache", b));
  EXPECT_NE(functionCachePath("/cache", a), functionCachePath("/cache", c));
  EXPECT_EQ(fs::path(functionCachePath("/cache", a)).parent_path(), fs::path("/cache"));
}

TEST(UserCacheFolder, FollowsTheXdgRule) {
  const std::string oldXdg = std::getenv("XDG_CACHE_HOME") ? std::getenv("XDG_CACHE_HOME") : "";
  const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::setenv("HOME", "/home/u", 1);
  ::setenv("XDG_CACHE_HOME", "/xdg", 1);
  EXPECT_EQ(userCacheFolder(), "/xdg/clipquill");
  ::setenv("XDG_CACHE_HOME", "relative", 1);  // not absolute: ignored
  EXPECT_EQ(userCacheFolder(), "/home/u/.cache/clipquill");
  ::unsetenv("XDG_CACHE_HOME");
  EXPECT_EQ(userCacheFolder(), "/home/u/.cache/clipquill");
  ::setenv("HOME", oldHome.c_str(), 1);
  if (!oldXdg.empty()) ::setenv("XDG_CACHE_HOME", oldXdg.c_str(), 1);
}

TEST(DescribeInstallation, VersionWithoutBuildDetailsAndThePluginFolders) {
  using Folders = std::vector<std::string>;
  const struct {
    const char* version;
    Folders folders;
    const char* expected;
  } cases[] = {
      {"AviSynth+ 3.7.5 (r4351, 3.7, x86_64)", {}, "AviSynth+ 3.7.5"},
      {"AviSynth+ 3.7.5 (r4351)", {"/p"}, "AviSynth+ 3.7.5 with the plugins of /p"},
      {"AviSynth+ 3.7.5", {"/a", "/b", "/c"}, "AviSynth+ 3.7.5 with the plugins of /a, /b and /c"},
      {"", {}, "AviSynth+"},
  };
  for (const auto& c : cases) {
    FunctionTableRecord record;
    record.version = c.version;
    record.pluginFolders = c.folders;
    EXPECT_EQ(describeInstallation(record), c.expected);
  }
}

// With the real AviSynth+: the first load asks it and keeps the table, the
// second reads it back the same without a helper.
TEST(LoadFunctionTable, AWarmStartReadsTheCache) {
  if (std::string(CLIPQUILL_AVISYNTH_LIBRARY).empty()) GTEST_SKIP() << "no AviSynth+";
  TempDir cache;
  CheckerOptions options;
  options.library = CLIPQUILL_AVISYNTH_LIBRARY;
  options.timeLimit = 30s;
  bool cached = true;
  std::string why;
  const auto cold = loadFunctionTable(options, cache.path(), &why, &cached);
  ASSERT_TRUE(cold) << why;
  EXPECT_FALSE(cached);
  EXPECT_EQ(cold->version.rfind("AviSynth+ 3.", 0), 0u) << cold->version;
  options.helper = "/nonexistent/helper";  // a warm start must not need it
  const auto warm = loadFunctionTable(options, cache.path(), &why, &cached);
  ASSERT_TRUE(warm) << why;
  EXPECT_TRUE(cached);
  EXPECT_EQ(encodeFunctionRecord(*warm), encodeFunctionRecord(*cold));
}

// A plugin that crashes AviSynth+ leaves its folder out of the table, but not
// out of the key: the plugin taken away, the table is asked anew.
TEST(LoadFunctionTable, APluginFolderLeftOutStillKeysTheCache) {
  if (std::string(CLIPQUILL_AVISYNTH_LIBRARY).empty()) GTEST_SKIP() << "no AviSynth+";
  TempDir cache;
  TempDir plugins;
  const std::string crashing = plugins.path() + "/libcrash_plugin.so";
  fs::copy_file(CLIPQUILL_CRASH_PLUGIN, crashing);
  CheckerOptions options;
  options.library = CLIPQUILL_AVISYNTH_LIBRARY;
  options.timeLimit = 30s;
  options.pluginFolders = {plugins.path()};
  std::string why;
  bool cached = true;
  const auto record = loadFunctionTable(options, cache.path(), &why, &cached);
  ASSERT_TRUE(record) << why;
  EXPECT_NE(record->passedOver.find(crashing), std::string::npos) << record->passedOver;
  EXPECT_TRUE(readFunctionCache(functionCachePath(cache.path(), options)));
  fs::remove(crashing);
  EXPECT_FALSE(readFunctionCache(functionCachePath(cache.path(), options)));
}

}  // namespace
}  // namespace clipquill
