// SPDX-License-Identifier: GPL-3.0-or-later
// The window's picture, rendered off its thread: the latest request wins,
// what was overtaken is never told, and going away does not wait out a
// script that hangs.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <vector>

#include "check/frame_preview.h"

#ifndef CLIPQUILL_AVISYNTH_LIBRARY
#define CLIPQUILL_AVISYNTH_LIBRARY ""
#endif

namespace clipquill {
namespace {

using namespace std::chrono_literals;

class FramePreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(CLIPQUILL_AVISYNTH_LIBRARY).empty()) {
      GTEST_SKIP() << "built without CLIPQUILL_AVISYNTH_LIBRARY";
    }
  }
  FramePreview::Deliver collect() {
    return [this](FramePreview::Result r) {
      std::lock_guard lock(mutex);
      told.push_back(std::move(r));
      changed.notify_all();
    };
  }
  bool waitFor(std::uint64_t request) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, 20s,
                            [&] { return !told.empty() && told.back().request == request; });
  }
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<FramePreview::Result> told;
};

TEST_F(FramePreviewTest, TheLatestRequestWins) {
  FramePreview preview({CLIPQUILL_AVISYNTH_LIBRARY, 10s, ""}, collect());
  std::uint64_t last = 0;
  // As a user types: each keystroke a new script, a different colour.
  for (int blue = 0; blue <= 250; blue += 10) {
    char color[8];
    std::snprintf(color, sizeof color, "%06x", blue);
    last = preview.request(
        std::string("BlankClip(length=10, width=32, height=16, color=$") + color + ")\r\n", 3);
  }
  ASSERT_TRUE(waitFor(last));
  std::lock_guard lock(mutex);
  for (std::size_t i = 1; i < told.size(); ++i)
    EXPECT_LT(told[i - 1].request, told[i].request);
  const FramePreview::Result& shown = told.back();
  ASSERT_TRUE(shown.check.good()) << shown.check.message;
  ASSERT_TRUE(shown.check.picture && shown.check.picture->ok());
  EXPECT_EQ(shown.check.picture->frame, 3);
  EXPECT_EQ(shown.check.picture->bgra[0], 250);  // blue of the last script
  EXPECT_EQ(shown.check.clip->width, 32);
}

TEST_F(FramePreviewTest, ErrorsAndFramesPastTheEndAreTold) {
  FramePreview preview({CLIPQUILL_AVISYNTH_LIBRARY, 10s, ""}, collect());
  ASSERT_TRUE(waitFor(preview.request("BlankClip()\r\nNoSuchFilter()\r\n", 0)));
  {
    std::lock_guard lock(mutex);
    EXPECT_EQ(told.back().check.status, CheckStatus::Failed);
    EXPECT_EQ(told.back().check.line, 2);
  }
  ASSERT_TRUE(waitFor(preview.request("BlankClip(length=5)\r\n", 5)));
  std::lock_guard lock(mutex);
  ASSERT_TRUE(told.back().check.picture);
  EXPECT_EQ(told.back().check.picture->error, "past the end: the clip has 5 frames (0 to 4)");
}

TEST_F(FramePreviewTest, GoingAwayDoesNotWaitOutAHangingScript) {
  const auto start = std::chrono::steady_clock::now();
  {
    FramePreview preview({CLIPQUILL_AVISYNTH_LIBRARY, 30s, ""}, collect());
    preview.request("while (true) {\r\n}\r\n", 0);
    std::this_thread::sleep_for(300ms);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  std::lock_guard lock(mutex);
  EXPECT_TRUE(told.empty());
}

}  // namespace
}  // namespace clipquill
