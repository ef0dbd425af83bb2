// SPDX-License-Identifier: GPL-3.0-or-later
// The clip's properties across the helper's wire and as the JSON line that
// --info prints: every field survives, a broken record is refused, and a
// failure or a clip without picture reads as null where jq looks.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "check/check_report.h"
#include "check/clip_info.h"

namespace clipquill {
namespace {

ClipInfo hdClip() {
  return ClipInfo{true, 1920, 1080, 24000, 1001, 48, "YV12", true, 48000, 6, "float", 96096};
}

TEST(ClipInfoTest, CrossesTheWireWhole) {
  ClipInfo audioOnly;
  audioOnly.audio = true;
  audioOnly.sampleRate = 44100;
  audioOnly.channels = 1;
  audioOnly.sampleType = "int16";
  audioOnly.sampleCount = 1LL << 40;  // past 32 bits: hours of audio
  for (const ClipInfo& info : {hdClip(), audioOnly, ClipInfo{}}) {
    const std::string bytes = encodeClipInfo(info);
    EXPECT_EQ(decodeClipInfo(bytes), info);
    // Cut short or with bytes to spare: a broken peer, not a clip.
    EXPECT_EQ(decodeClipInfo(bytes.substr(0, bytes.size() - 1)), std::nullopt);
    EXPECT_EQ(decodeClipInfo(bytes + "x"), std::nullopt);
  }
}

TEST(ClipInfoTest, DurationFromThePictureElseTheAudio) {
  EXPECT_DOUBLE_EQ(hdClip().durationSeconds(), 48 * 1001 / 24000.0);
  ClipInfo audioOnly;
  audioOnly.audio = true;
  audioOnly.sampleRate = 48000;
  audioOnly.sampleCount = 24000;
  EXPECT_DOUBLE_EQ(audioOnly.durationSeconds(), 0.5);
  ClipInfo noRate = hdClip();
  noRate.fpsNumerator = 0;
  noRate.audio = false;
  EXPECT_DOUBLE_EQ(noRate.durationSeconds(), 0);
}

TEST(ClipInfoTest, InWords) {
  ClipInfo audioOnly;
  audioOnly.audio = true;
  audioOnly.sampleRate = 48000;
  audioOnly.channels = 1;
  audioOnly.sampleType = "int16";
  audioOnly.sampleCount = 24000;
  ClipInfo still = hdClip();
  still.fpsNumerator = 25;
  still.fpsDenominator = 1;
  still.frameCount = 1;
  still.audio = false;
  EXPECT_EQ(describeClip(hdClip()),
            "1920x1080, 24000/1001 fps, 48 frames (2.002 s), YV12; audio 48000 Hz, 6 channels, "
            "float");
  EXPECT_EQ(describeClip(audioOnly), "no picture; audio 48000 Hz, 1 channel, int16 (0.500 s)");
  EXPECT_EQ(describeClip(still), "1920x1080, 25 fps, 1 frame (0.040 s), YV12; no audio");
}

TEST(ClipInfoTest, SampleTypesInWords) {
  EXPECT_EQ(sampleTypeName(1), "int8");
  EXPECT_EQ(sampleTypeName(2), "int16");
  EXPECT_EQ(sampleTypeName(4), "int24");
  EXPECT_EQ(sampleTypeName(8), "int32");
  EXPECT_EQ(sampleTypeName(16), "float");
  EXPECT_EQ(sampleTypeName(3), "");
}

TEST(ClipInfoJsonTest, AGoodScriptWithItsProperties) {
  ScriptCheck good;
  good.clip = std::make_shared<const ClipInfo>(hdClip());
  const std::string line = clipInfoJsonLine("/s/a b.avs", good);
  EXPECT_EQ(line.find('\n'), std::string::npos);
  const auto json = nlohmann::json::parse(line);
  EXPECT_EQ(json["path"], "/s/a b.avs");
  EXPECT_EQ(json["ok"], true);
  EXPECT_TRUE(json["error"].is_null());
  EXPECT_EQ(json["video"]["width"], 1920);
  EXPECT_EQ(json["video"]["fps_num"], 24000);
  EXPECT_EQ(json["video"]["fps_den"], 1001);
  EXPECT_EQ(json["video"]["frames"], 48);
  EXPECT_EQ(json["video"]["pixel_type"], "YV12");
  EXPECT_EQ(json["audio"]["channels"], 6);
  EXPECT_EQ(json["audio"]["sample_type"], "float");
  EXPECT_DOUBLE_EQ(json["duration"].get<double>(), 2.002);
}

TEST(ClipInfoJsonTest, FailuresAndOddNamesStayValidJson) {
  ScriptCheck failed{CheckStatus::Failed, "Script error: \"x\"\tthere", 3, 7};
  // A name in no encoding at all, and a line end in it.
  const auto json = nlohmann::json::parse(clipInfoJsonLine("/s/\xff\n.avs", failed));
  EXPECT_EQ(json["ok"], false);
  EXPECT_EQ(json["error"]["message"], "Script error: \"x\"\tthere");
  EXPECT_EQ(json["error"]["line"], 3);
  EXPECT_EQ(json["error"]["column"], 7);
  EXPECT_TRUE(json["video"].is_null());
  EXPECT_TRUE(json["audio"].is_null());
  EXPECT_TRUE(json["duration"].is_null());
}

}  // namespace
}  // namespace clipquill
