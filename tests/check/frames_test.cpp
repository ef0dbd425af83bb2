// SPDX-License-Identifier: GPL-3.0-or-later
// Frames rendered by the checking helper: converted to RGB by AviSynth+
// itself with the matrix the clip carries (Rec.601 when none), pixel for
// pixel what ffmpeg's own decode and conversion give; and the frames that
// cannot be shown, each with a clear reason.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "check/frame_picture.h"
#include "check/script_checker.h"
#include "real_clips.h"

namespace clipquill {
namespace {

using namespace std::chrono_literals;
using testing::TempDir;

TEST(FramePictureTest, ItsHeaderCrossesTheWireWhole) {
  const FramePicture picture{7, 1920, 1080, {}, ""};
  EXPECT_EQ(decodeFrameHeader(encodeFrameHeader(picture)), picture);
  const FramePicture refused{9, 0, 0, {}, "past the end"};
  EXPECT_EQ(decodeFrameHeader(encodeFrameHeader(refused)), refused);
  const std::string bytes = encodeFrameHeader(picture);
  EXPECT_EQ(decodeFrameHeader(bytes.substr(0, bytes.size() - 1)), std::nullopt);
  EXPECT_EQ(decodeFrameHeader(bytes + "x"), std::nullopt);
  EXPECT_EQ(decodeFrameHeader(bytes.substr(0, 3)), std::nullopt);
  // A size no frame has is a broken peer, not 8 exabytes to read.
  EXPECT_EQ(decodeFrameHeader(encodeFrameHeader({0, 1 << 20, 1 << 20, {}, ""})), std::nullopt);
  EXPECT_EQ(decodeFrameHeader(encodeFrameHeader({0, 0, 5, {}, ""})), std::nullopt);
}

TEST(FramePictureTest, OutOfRangeInWords) {
  EXPECT_EQ(frameOutOfRange(0, 48), "");
  EXPECT_EQ(frameOutOfRange(47, 48), "");
  EXPECT_EQ(frameOutOfRange(48, 48), "past the end: the clip has 48 frames (0 to 47)");
  EXPECT_EQ(frameOutOfRange(3, 1), "past the end: the clip has 1 frame (0)");
  EXPECT_EQ(frameOutOfRange(-1, 1), "past the end: the clip has 1 frame (0)");
  EXPECT_EQ(frameOutOfRange(0, 0), "the clip has no frames");
}

class FramesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(CLIPQUILL_AVISYNTH_LIBRARY).empty()) {
      GTEST_SKIP() << "built without CLIPQUILL_AVISYNTH_LIBRARY";
    }
  }
  ScriptCheck render(const std::string& text, int frame) {
    testing::writeFile(dir.path() + "/s.avs", text + "\r\n");
    ScriptChecker checker(
        {CLIPQUILL_AVISYNTH_LIBRARY, 30s, "", 0, {testing::kFfms2Plugins}, {dir.path()}});
    return checker.render(dir.path() + "/s.avs", frame);
  }
  TempDir dir;
};

TEST_F(FramesTest, AreFfmpegsOwnDecodeWithTheClipsMatrix) {
  if (const std::string why = testing::realClipsMissing(); !why.empty()) GTEST_SKIP() << why;
  struct Case {
    const char* clip;
    const char* matrix;
  };
  for (const Case& c : {Case{"clip 444.mkv", "bt601"}, Case{"clip 709.mkv", "bt709"}}) {
    SCOPED_TRACE(c.clip);
    testing::copyClips(dir.path(), {c.clip});
    const ScriptCheck result = render("FFVideoSource(\"" + dir.path() + "/" + c.clip + "\")", 30);
    ASSERT_TRUE(result.good()) << result.message;
    ASSERT_TRUE(result.picture && result.picture->ok()) << result.picture->error;
    EXPECT_EQ(result.picture->width, 320);
    EXPECT_EQ(result.picture->height, 240);
    const std::string ours = testing::rgbOf(*result.picture);
    const std::string theirs = testing::ffmpegFrame(dir.path() + "/" + c.clip, 30, c.matrix);
    EXPECT_EQ(testing::channelsOff(ours, theirs, 2), 0u);
    // The neighbouring frame differs (its counter does): the frame is frame 30.
    EXPECT_GT(testing::channelsOff(
                  ours, testing::ffmpegFrame(dir.path() + "/" + c.clip, 31, c.matrix), 2),
              0u);
  }
}

TEST_F(FramesTest, ThoseThatCannotBeShownSayWhy) {
  struct Case {
    const char* script;
    int frame;
    bool good;  // the check itself
    std::string error;
  };
  for (const Case& c : std::vector<Case>{
           {"BlankClip(length=48)", 48, true, "past the end: the clip has 48 frames (0 to 47)"},
           {"BlankClip(length=0)", 0, true, "the clip has no frames"},
           {"BlankClip(length=48).KillVideo()", 0, true, "the clip has no picture (audio alone)"},
           {"\"a string\"", 0, false, ""},
           {"42", 0, false, ""},
       }) {
    SCOPED_TRACE(c.script);
    const ScriptCheck result = render(c.script, c.frame);
    EXPECT_EQ(result.good(), c.good) << result.message;
    if (!c.good) {
      EXPECT_FALSE(result.picture);
      continue;
    }
    ASSERT_TRUE(result.picture);
    EXPECT_EQ(result.picture->error, c.error);
    EXPECT_TRUE(result.picture->bgra.empty());
  }
}

// 16-bit and planar RGB go through AviSynth's own conversion to 8 bits.
TEST_F(FramesTest, DeepAndPlanarRgbAreShownThroughAvisynthsConversion) {
  for (const char* type : {"RGBP16", "RGB64", "RGBP", "YUV420P10"}) {
    SCOPED_TRACE(type);
    const ScriptCheck result = render(std::string("BlankClip(length=2, width=64, height=48, "
                                                  "color=$FF8000, pixel_type=\"") +
                                          type + "\")",
                                      1);
    ASSERT_TRUE(result.good()) << result.message;
    ASSERT_TRUE(result.picture && result.picture->ok()) << result.picture->error;
    ASSERT_EQ(result.picture->bgra.size(), 64u * 48 * 4);
    // Orange, give or take the round trip through YUV.
    EXPECT_NEAR(result.picture->bgra[2], 255, 3);
    EXPECT_NEAR(result.picture->bgra[1], 128, 3);
    EXPECT_NEAR(result.picture->bgra[0], 0, 3);
  }
}

}  // namespace
}  // namespace clipquill
