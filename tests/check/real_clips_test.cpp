// SPDX-License-Identifier: GPL-3.0-or-later
// Scripts over real video clips, opened by FFMS2's AviSynth+ plugin (built
// from the vendored source by scripts/ffms2.sh, loaded from the build
// folder): every script of a run passes, and what the check says of each
// clip is what ffprobe says of it.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "check/script_checker.h"
#include "real_clips.h"

namespace clipquill {
namespace {

using namespace std::chrono_literals;
using testing::TempDir;
using Lines = std::vector<std::string>;

const Lines kVideo = {"FFVideoSource(\"<P><F>\")"};
const Lines kVideoAndAudio = {"AudioDub(FFVideoSource(\"<P><F>\"), FFAudioSource(\"<P><F>\"))"};

class RealClipsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = testing::realClipsMissing(); !why.empty()) GTEST_SKIP() << why;
  }
  ScriptChecker checker() {
    // FFMS2 writes its index beside the clip: the clips' folder is writable.
    return ScriptChecker(
        {CLIPQUILL_AVISYNTH_LIBRARY, 30s, "", 0, {testing::kFfms2Plugins}, {dir.path()}});
  }
  TempDir dir;
};

struct ClipCase {
  const char* clip;
  const Lines* templ;
};

TEST_F(RealClipsTest, EachClipsPropertiesAreWhatFfprobeSays) {
  const std::vector<ClipCase> cases = {{"clip one.mkv", &kVideoAndAudio},
                                       {"clip.mp4", &kVideoAndAudio},
                                       {"clip.avi", &kVideoAndAudio},
                                       {"clîp ☃.mkv", &kVideo}};
  std::vector<std::string> scripts;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    testing::copyClips(dir.path(), {cases[i].clip});
    scripts.push_back(testing::writeRunScript(dir.path(), "s" + std::to_string(i) + ".avs",
                                              *cases[i].templ, {cases[i].clip}, false));
  }
  ScriptChecker check = checker();
  std::vector<ScriptCheck> results(cases.size());
  check.checkAll(scripts, [&](std::size_t i, ScriptCheck c) { results[i] = std::move(c); });
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].clip);
    ASSERT_TRUE(results[i].good()) << results[i].message;
    ASSERT_TRUE(results[i].clip);
    ClipInfo got = *results[i].clip;
    const ClipInfo probed = testing::probeClip(dir.path() + "/" + cases[i].clip);
    // ffprobe has no words for AviSynth's types: those are checked apart.
    EXPECT_EQ(got.pixelType, "YV12");
    EXPECT_EQ(got.sampleType.empty(), !got.audio);
    got.pixelType.clear();
    got.sampleType.clear();
    got.sampleCount = 0;
    EXPECT_EQ(got, probed);
  }
}

TEST_F(RealClipsTest, AJoinedScriptPassesWithEveryClip) {
  const Lines clips = {"clip one.mkv", "clîp ☃.mkv"};
  testing::copyClips(dir.path(), clips);
  // FFVideoSource takes one clip: the joined line calls a function of two.
  const Lines templ = {"function Joined(string a, string b) {",
                       "  return FFVideoSource(a) ++ FFVideoSource(b)", "}", "Joined(\"<P><F>\")"};
  ScriptChecker check = checker();
  const ScriptCheck joined =
      check.check(testing::writeRunScript(dir.path(), "joined.avs", templ, clips, true));
  ASSERT_TRUE(joined.good()) << joined.message;
  EXPECT_EQ(joined.clip->frameCount, 96);
}

TEST_F(RealClipsTest, AClipThatIsNotVideoFailsWithFfms2sWordsAtItsLine) {
  testing::copyClips(dir.path(), {"not video.mkv"});
  ScriptChecker check = checker();
  const ScriptCheck result = check.check(testing::writeRunScript(
      dir.path(), "s.avs", {"# a clip", "FFVideoSource(\"<P><F>\")"}, {"not video.mkv"}, false));
  EXPECT_EQ(result.status, CheckStatus::Failed);
  EXPECT_EQ(result.line, 2);
  EXPECT_EQ(result.message.rfind("FFVideoSource: Can't open '", 0), 0u) << result.message;
  EXPECT_FALSE(result.clip);
}

}  // namespace
}  // namespace clipquill
