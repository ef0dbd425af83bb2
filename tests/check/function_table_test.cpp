// SPDX-License-Identifier: GPL-3.0-or-later
// The function table as the real AviSynth+ and FFMS2 of the build give it,
// through the sandboxed helper: the core's own functions, the plugin's under
// both its names, and a plugin folder that crashes AviSynth+ left out.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "check/check_report.h"
#include "check/script_checker.h"
#include "real_clips.h"

namespace clipquill {
namespace {

using namespace std::chrono_literals;

const AvsFunction* find(const std::vector<AvsFunction>& table, const std::string& name) {
  const auto it = std::find_if(table.begin(), table.end(),
                               [&](const AvsFunction& f) { return f.name == name; });
  return it == table.end() ? nullptr : &*it;
}

class FunctionTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(CLIPQUILL_AVISYNTH_LIBRARY).empty()) GTEST_SKIP() << "no AviSynth+";
  }
  CheckerOptions options(std::vector<std::string> plugins) {
    CheckerOptions o;
    o.library = CLIPQUILL_AVISYNTH_LIBRARY;
    o.timeLimit = 30s;
    o.pluginFolders = std::move(plugins);
    return o;
  }
};

// BlankClip's overloads as AviSynth+ 3.7.5 declares them; AviSynth+ keeps
// one string per name, the last declared.
const char* const kBlankClipDeclared[] = {
    "[]c*[length]i[width]i[height]i[pixel_type]s[fps]f[fps_denominator]i[audio_rate]i[stereo]b["
    "sixteen_bit]b[color]i[color_yuv]i[clip]c",
    "[]c*[length]i[width]i[height]i[pixel_type]s[fps]f[fps_denominator]i[audio_rate]i[channels]"
    "i[sample_type]s[color]i[color_yuv]i[clip]c",
    "[]c*[length]i[width]i[height]i[pixel_type]s[fps]f[fps_denominator]i[audio_rate]i[stereo]b["
    "sixteen_bit]b[color]i[color_yuv]i[clip]c[colors]f+",
    "[]c*[length]i[width]i[height]i[pixel_type]s[fps]f[fps_denominator]i[audio_rate]i[channels]"
    "i[sample_type]s[color]i[color_yuv]i[clip]c[colors]f+",
};

constexpr const char* kFfVideoSource =
    "[source]s[track]i[cache]b[cachefile]s[fpsnum]i[fpsden]i[threads]i[timecodes]s[seekmode]i["
    "rffmode]i[width]i[height]i[resizer]s[colorspace]s[varprefix]s";

TEST_F(FunctionTableTest, HoldsTheCoresAndFfms2sFunctionsAsTheyDeclareThem) {
  if (testing::kFfms2Plugins.empty()) GTEST_SKIP() << "no FFMS2";
  ScriptChecker checker(options({testing::kFfms2Plugins}));
  std::string why;
  const auto table = checker.functions(&why);
  ASSERT_TRUE(table) << why;

  const AvsFunction* blank = find(*table, "BlankClip");
  ASSERT_NE(blank, nullptr);
  EXPECT_EQ(blank->source, "internal");
  EXPECT_NE(
      std::find(std::begin(kBlankClipDeclared), std::end(kBlankClipDeclared), blank->signature),
      std::end(kBlankClipDeclared))
      << blank->signature;
  ASSERT_TRUE(blank->params);
  EXPECT_EQ(blank->params->at(0), (AvsParam{"", AvsType::Clip, true, true}));
  EXPECT_EQ(blank->params->at(2), (AvsParam{"width", AvsType::Int, true, false}));

  const std::string plugin = testing::kFfms2Plugins + "/libffms2.so";
  for (const char* name : {"FFVideoSource", "libffms2_FFVideoSource"}) {
    const AvsFunction* ff = find(*table, name);
    ASSERT_NE(ff, nullptr) << name;
    EXPECT_EQ(std::filesystem::path(ff->source), std::filesystem::path(plugin)) << name;
    EXPECT_EQ(ff->signature, kFfVideoSource);
    ASSERT_TRUE(ff->params);
    ASSERT_EQ(ff->params->size(), 15u);
    EXPECT_EQ(ff->params->front(), (AvsParam{"source", AvsType::String, true, false}));
  }
  // Each line once: AviSynth+ lists a name per overload, with one string.
  for (const AvsFunction& f : *table) {
    EXPECT_EQ(std::count_if(table->begin(), table->end(),
                            [&](const AvsFunction& g) {
                              return g.name == f.name && g.source == f.source &&
                                     g.signature == f.signature;
                            }),
              1)
        << f.name;
  }
}

TEST(FunctionJsonLine, NamesEachParameterAndNullForAMalformedString) {
  const struct {
    AvsFunction function;
    const char* line;
  } cases[] = {
      {{"Trim", "internal", "c[first]i*", parseAvsParams("c[first]i*")},
       R"({"name":"Trim","source":"internal","signature":"c[first]i*","params":[)"
       R"({"name":"","type":"clip","optional":false,"repeated":false},)"
       R"({"name":"first","type":"int","optional":true,"repeated":true}]})"},
      {{"Bad", "/p/x.so", "c[", std::nullopt},
       R"({"name":"Bad","source":"/p/x.so","signature":"c[","params":null})"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(functionJsonLine(c.function), c.line);
  }
}

TEST_F(FunctionTableTest, APluginFolderThatCrashesAviSynthIsLeftOutAndNamed) {
  const std::string folder = std::filesystem::path(CLIPQUILL_CRASH_PLUGIN).parent_path().string();
  ScriptChecker checker(options({folder}));
  std::string why;
  const auto table = checker.functions(&why);
  ASSERT_TRUE(table) << why;
  EXPECT_NE(find(*table, "BlankClip"), nullptr);
  EXPECT_NE(checker.passedOver().find(CLIPQUILL_CRASH_PLUGIN), std::string::npos)
      << checker.passedOver();
}

TEST_F(FunctionTableTest, NoAviSynthIsNoTableWithTheReason) {
  CheckerOptions o = options({});
  o.library = "/nonexistent/libavisynth.so";
  ScriptChecker checker(o);
  std::string why;
  EXPECT_FALSE(checker.functions(&why));
  EXPECT_NE(why.find("/nonexistent/libavisynth.so"), std::string::npos) << why;
}

}  // namespace
}  // namespace clipquill
