// SPDX-License-Identifier: GPL-3.0-or-later
// What AviSynth+ itself says of the clip each script gives, read by the
// helper: the odd clips a batch meets (audio alone, no frames, 16-bit planar
// RGB) and scripts that give no clip at all.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "check/script_checker.h"
#include "support/temp_dir.h"

#ifndef CLIPQUILL_AVISYNTH_LIBRARY
#define CLIPQUILL_AVISYNTH_LIBRARY ""
#endif

namespace clipquill {
namespace {

using namespace std::chrono_literals;

struct PropertiesCase {
  const char* name;
  std::string script;
  std::optional<ClipInfo> clip;  // none: the check fails
};

void PrintTo(const PropertiesCase& c, std::ostream* out) {
  *out << c.name;
}

class ClipPropertiesTest : public ::testing::TestWithParam<PropertiesCase> {
 protected:
  void SetUp() override {
    if (std::string(CLIPQUILL_AVISYNTH_LIBRARY).empty()) {
      GTEST_SKIP() << "built without CLIPQUILL_AVISYNTH_LIBRARY";
    }
  }
  testing::TempDir dir;
};

TEST_P(ClipPropertiesTest, AreAvisynthsOwn) {
  const PropertiesCase& c = GetParam();
  testing::writeFile(dir.path() + "/s.avs", c.script + "\r\n");
  ScriptChecker checker({CLIPQUILL_AVISYNTH_LIBRARY, 5s, ""});
  const ScriptCheck result = checker.check(dir.path() + "/s.avs");
  EXPECT_EQ(result.good(), c.clip.has_value()) << result.message;
  EXPECT_EQ(result.clip ? std::optional<ClipInfo>(*result.clip) : std::nullopt, c.clip);
}

ClipInfo video(int width, int height, unsigned num, unsigned den, int frames, const char* type) {
  ClipInfo info;
  info.video = true;
  info.width = width;
  info.height = height;
  info.fpsNumerator = num;
  info.fpsDenominator = den;
  info.frameCount = frames;
  info.pixelType = type;
  return info;
}

ClipInfo withAudio(ClipInfo info, int rate, int channels, const char* type, std::int64_t count) {
  info.audio = true;
  info.sampleRate = rate;
  info.channels = channels;
  info.sampleType = type;
  info.sampleCount = count;
  return info;
}

INSTANTIATE_TEST_SUITE_P(
    Clips, ClipPropertiesTest,
    ::testing::Values(
        PropertiesCase{
            "Hd",
            "BlankClip(length=48, width=1920, height=1080, fps=24000, "
            "fps_denominator=1001, pixel_type=\"YV12\", audio_rate=48000, "
            "channels=2, sample_type=\"float\")",
            withAudio(video(1920, 1080, 24000, 1001, 48, "YV12"), 48000, 2, "float", 96096)},
        PropertiesCase{"NoAudio", "BlankClip(length=10, width=64, height=48).KillAudio()",
                       video(64, 48, 24, 1, 10, "RGB32")},
        PropertiesCase{"AudioAlone", "BlankClip(length=48, audio_rate=44100).KillVideo()",
                       withAudio(ClipInfo{}, 44100, 1, "int16", 88200)},
        PropertiesCase{"NoFrames", "BlankClip(length=0, width=64, height=48).KillAudio()",
                       video(64, 48, 24, 1, 0, "RGB32")},
        PropertiesCase{"PlanarRgb16",
                       "BlankClip(length=2, width=64, height=48, pixel_type=\"RGBP16\")."
                       "KillAudio()",
                       video(64, 48, 24, 1, 2, "RGBP16")},
        PropertiesCase{"AString", "\"a string\"", std::nullopt},
        PropertiesCase{"AnInt", "42", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace clipquill
