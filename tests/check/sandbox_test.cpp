// SPDX-License-Identifier: GPL-3.0-or-later
// The checking helper's sandbox, with real scripts run by AviSynth+: what a
// hostile template would try (writing into the user's home, opening a
// socket, taking all memory) fails, and what source plugins need (an index
// beside the clip) still works. Also the memory bound's words.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "check/sandbox.h"
#include "check/script_checker.h"
#include "real_clips.h"

namespace clipquill {
namespace {

using namespace std::chrono_literals;
using testing::TempDir;
using testing::writeFile;

TEST(MemorySizeTest, ReadsTheUsualWaysOfWritingIt) {
  struct Case {
    const char* text;
    std::optional<std::uint64_t> bytes;
  };
  for (const Case& c : std::vector<Case>{
           {"2G", 2ull << 30},
           {"512m", 512ull << 20},
           {"512MB", 512ull << 20},
           {"1.5G", 3ull << 29},
           {"16777216", 16ull << 20},
           {"1T", 1ull << 40},
           {"", std::nullopt},
           {"G", std::nullopt},
           {"1.2.3G", std::nullopt},
           {"2 G", std::nullopt},
           {"2X", std::nullopt},
           {"-1G", std::nullopt},
           {"15M", std::nullopt},  // no AviSynth+ starts in less than 16M
           {"99999999999T", std::nullopt},
       }) {
    EXPECT_EQ(parseMemorySize(c.text), c.bytes) << c.text;
  }
  EXPECT_EQ(describeMemorySize(2ull << 30), "2G");
  EXPECT_EQ(describeMemorySize(1536ull << 20), "1536M");
  EXPECT_EQ(describeMemorySize(1000), "1000B");
  EXPECT_TRUE(saysOutOfMemory("Could not allocate video frame. Out of memory."));
  EXPECT_TRUE(saysOutOfMemory("std::bad_alloc"));
  EXPECT_FALSE(saysOutOfMemory("Script error: There is no function named 'Memory'"));
}

TEST(MemorySizeTest, TheDefaultBoundIsAQuarterOfThePhysicalMemory) {
  const std::uint64_t bound = defaultMemoryBound();
  EXPECT_GT(bound, 0u);
  EXPECT_EQ(bound % 1024, 0u);
}

class SandboxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(CLIPQUILL_AVISYNTH_LIBRARY).empty()) {
      GTEST_SKIP() << "built without CLIPQUILL_AVISYNTH_LIBRARY";
    }
  }
  std::string script(const std::string& name, const std::string& text) {
    writeFile(clips.path() + "/" + name, text);
    return clips.path() + "/" + name;
  }
  CheckerOptions options() { return {CLIPQUILL_AVISYNTH_LIBRARY, 10s, "", 0, {}, {clips.path()}}; }
  TempDir clips;
};

TEST_F(SandboxTest, WritesOnlyBeneathTheClipsFolder) {
  const char* home = std::getenv("HOME");
  ASSERT_NE(home, nullptr);
  std::random_device random;
  const std::string intruder =
      std::string(home) + "/clipquill-sandbox-test-" + std::to_string(random()) + ".txt";
  ScriptChecker checker(options());
  ASSERT_TRUE(checker.available());
  if (!checker.unconfined().empty()) GTEST_SKIP() << checker.unconfined();

  const ScriptCheck intruding = checker.check(script(
      "home.avs", "BlankClip()\r\nWriteFileStart(\"" + intruder + "\", \"\"\" \"x\" \"\"\")\r\n"));
  const bool written = std::filesystem::exists(intruder);
  std::filesystem::remove(intruder);
  EXPECT_FALSE(written);
  EXPECT_EQ(intruding.status, CheckStatus::Failed);
  EXPECT_EQ(intruding.line, 2);
  EXPECT_NE(intruding.message.find("cannot be opened"), std::string::npos) << intruding.message;

  const std::string beside = clips.path() + "/note.txt";
  const ScriptCheck besideClips = checker.check(script(
      "beside.avs", "BlankClip()\r\nWriteFileStart(\"" + beside + "\", \"\"\" \"x\" \"\"\")\r\n"));
  EXPECT_TRUE(besideClips.good()) << besideClips.message;
  EXPECT_TRUE(std::filesystem::exists(beside));
}

TEST_F(SandboxTest, APluginCannotOpenASocket) {
  ScriptChecker checker(options());
  ASSERT_TRUE(checker.available());
  if (!checker.unconfined().empty()) GTEST_SKIP() << checker.unconfined();
  const ScriptCheck result =
      checker.check(script("socket.avs", std::string("LoadPlugin(\"") + CLIPQUILL_SOCKET_PLUGIN +
                                             "\")\r\nBlankClip().OpenSocket()\r\n"));
  EXPECT_EQ(result.status, CheckStatus::Failed);
  EXPECT_EQ(result.line, 2);
  EXPECT_EQ(result.message.rfind("OpenSocket: no socket: ", 0), 0u) << result.message;
}

// A plugin that crashes AviSynth+ as it loads is named once; the check goes
// on without the plugin folders, and the scripts that need no plugin pass.
TEST_F(SandboxTest, APluginThatCrashesAsItLoadsIsNamedAndLeftOut) {
  CheckerOptions o = options();
  const std::string folder = std::filesystem::path(CLIPQUILL_CRASH_PLUGIN).parent_path().string();
  o.pluginFolders = {folder};
  ScriptChecker checker(o);
  std::string version;
  ASSERT_TRUE(checker.available(&version)) << version;
  EXPECT_EQ(checker.passedOver(), std::string("The plugin ") + CLIPQUILL_CRASH_PLUGIN +
                                      " crashed AviSynth+ as it was loaded: checking without "
                                      "the plugin folders");
  for (const char* name : {"a.avs", "b.avs"}) {
    const ScriptCheck result = checker.check(script(name, "BlankClip()\r\n"));
    EXPECT_TRUE(result.good()) << name << ": " << result.message;
  }
  EXPECT_EQ(checker.passedOver().find('\n'), std::string::npos) << "said once";
}

// A sanitized helper keeps no memory bound: the sanitizer reserves
// terabytes of address space up front.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

TEST_F(SandboxTest, AClipTooBigForTheBoundIsOutOfMemoryAndTheNextScriptChecked) {
  if (kSanitized) GTEST_SKIP() << "a sanitized helper has no memory bound";
  CheckerOptions bounded = options();
  bounded.memoryLimit = 256u << 20;
  bounded.timeLimit = 5s;
  ScriptChecker checker(bounded);
  const std::vector<std::string> scripts = {
      script("big.avs",
             "# 512 MB a frame\r\nBlankClip(width=8192, height=8192, "
             "pixel_type=\"RGB64\")\r\n"),
      script("next.avs", "BlankClip()\r\n")};
  std::vector<ScriptCheck> results(2);
  const auto start = std::chrono::steady_clock::now();
  checker.checkAll(scripts, [&](std::size_t i, ScriptCheck c) { results[i] = std::move(c); });
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(results[0].status, CheckStatus::Failed);
  EXPECT_EQ(results[0].line, 2);
  EXPECT_EQ(results[0].message.rfind("out of memory", 0), 0u) << results[0].message;
  EXPECT_TRUE(results[1].good()) << results[1].message;
}

TEST_F(SandboxTest, Ffms2sIndexBesideTheClipIsStillWritten) {
  if (const std::string why = testing::realClipsMissing(); !why.empty()) GTEST_SKIP() << why;
  testing::copyClips(clips.path(), {"clip.mp4"});
  CheckerOptions withPlugins = options();
  withPlugins.pluginFolders = {testing::kFfms2Plugins};
  ScriptChecker checker(withPlugins);
  const ScriptCheck result = checker.check(testing::writeRunScript(
      clips.path(), "s.avs", {"FFVideoSource(\"<P><F>\")"}, {"clip.mp4"}, false));
  EXPECT_TRUE(result.good()) << result.message;
  EXPECT_TRUE(std::filesystem::exists(clips.path() + "/clip.mp4.ffindex"));
}

}  // namespace
}  // namespace clipquill
