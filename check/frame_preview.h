// SPDX-License-Identifier: GPL-3.0-or-later
// The window's picture of a script: the script's text rendered, frame and
// properties, on a thread of its own through the checking helper, so that
// typing, selecting clips or dragging the frame slider never waits for
// AviSynth+. The latest request wins: one asked for while another renders
// waits for it, and those overtaken meanwhile are never rendered; a result
// overtaken by a newer request is dropped rather than delivered.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "check/script_checker.h"

namespace clipquill {

class FramePreview {
 public:
  struct Result {
    std::uint64_t request = 0;  // the number request() gave
    ScriptCheck check;          // with the picture of the frame asked for
    std::string avisynth;       // the AviSynth+ used (ScriptChecker::used); empty: none
  };
  // Told each result, on the preview's own thread.
  using Deliver = std::function<void(Result)>;

  FramePreview(CheckerOptions options, Deliver deliver);
  ~FramePreview();  // ends the helper; no result is told after
  FramePreview(const FramePreview&) = delete;
  FramePreview& operator=(const FramePreview&) = delete;

  // Asks for frame `frame` of a script of `text`; its number, which the
  // result carries. Returns at once.
  std::uint64_t request(std::string text, int frame);

  // The number of the latest request: a result with a lower one is stale.
  std::uint64_t latest() const;

 private:
  void run();

  CheckerOptions options_;
  Deliver deliver_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<std::pair<std::string, int>> pending_;
  std::uint64_t latest_ = 0;
  bool stopping_ = false;
  std::string folder_;                // where the script's text is written for AviSynth+ to import
  ScriptChecker* checker_ = nullptr;  // the thread's, while it lives
  std::thread thread_;
};

}  // namespace clipquill
