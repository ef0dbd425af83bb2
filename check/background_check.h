// SPDX-License-Identifier: GPL-3.0-or-later
// A run's scripts checked on a thread of its own, so that the window answers
// while AviSynth+ works (a script may take its whole time limit).
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "check/script_checker.h"

namespace clipquill {

class BackgroundCheck {
 public:
  // Told of each script's result in order, then of the end (`index` equal to
  // the number of scripts, the check empty), on the check's own thread: a
  // window hands them over to its own. No report begins once destruction
  // began.
  using Report = std::function<void(std::size_t index, const ScriptCheck& check)>;
  // Told, on the check's thread and before the first result, what the
  // helper's sandbox could not bound (ScriptChecker::unconfined), when it
  // could not bound everything and AviSynth+ was there to run scripts.
  using Unconfined = std::function<void(const std::string& why)>;

  // Told, on the check's thread and before the first result, which
  // AviSynth+ the helper loaded and from where (ScriptChecker::used), and a
  // place passed over on the way (ScriptChecker::passedOver), when it loaded.
  using Used = std::function<void(const std::string& used, const std::string& passedOver)>;

  BackgroundCheck(CheckerOptions options, std::vector<std::string> paths, Report report,
                  Unconfined unconfined = {}, Used used = {});
  // Stops at once: the helper is ended, the thread joined.
  ~BackgroundCheck();
  BackgroundCheck(const BackgroundCheck&) = delete;
  BackgroundCheck& operator=(const BackgroundCheck&) = delete;

 private:
  ScriptChecker checker_;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace clipquill
