// SPDX-License-Identifier: GPL-3.0-or-later
// The check with AviSynth+ on Windows, for now: the helper process that keeps
// a script's loops and crashes away from the program is written for POSIX
// (a socket pair, posix_spawn, signals), so the check says it is unavailable
// and why, as it does where AviSynth+ is missing: the window marks nothing
// and --check ends with the usage status.
#include <utility>

#include "check/script_checker.h"

namespace clipquill {

namespace {

constexpr const char* kWhy = "checking with AviSynth+ is not available on Windows yet";

}  // namespace

void runCheckHelperIfAsked(int, char**) {}

ScriptChecker::ScriptChecker(CheckerOptions options) : options_(std::move(options)) {
  available_ = false;
  detail_ = kWhy;
}

ScriptChecker::~ScriptChecker() = default;

void ScriptChecker::abort() {
  aborted_ = true;
}

bool ScriptChecker::available(std::string* detail) {
  if (detail != nullptr) *detail = detail_;
  return false;
}

ScriptCheck ScriptChecker::check(const std::string& path) {
  ScriptCheck result{CheckStatus::Unavailable, "the check was stopped", 0, 0};
  checkAll(std::span(&path, 1), [&](std::size_t, ScriptCheck check) { result = std::move(check); });
  return result;
}

void ScriptChecker::checkAll(std::span<const std::string> paths, const Report& report) {
  for (std::size_t i = 0; i < paths.size() && !aborted_; ++i) {
    report(i, {CheckStatus::Unavailable, detail_, 0, 0});
  }
}

}  // namespace clipquill
