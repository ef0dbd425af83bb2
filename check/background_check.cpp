// SPDX-License-Identifier: GPL-3.0-or-later
#include "check/background_check.h"

#include <utility>

namespace clipquill {

BackgroundCheck::BackgroundCheck(CheckerOptions options, std::vector<std::string> paths,
                                 Report report, Unconfined unconfined)
    : checker_(std::move(options)) {
  thread_ = std::thread([this, paths = std::move(paths), report = std::move(report),
                         unconfined = std::move(unconfined)] {
    bool told = false;  // the first helper's word is the one that counts
    checker_.checkAll(paths, [&](std::size_t i, ScriptCheck result) {
      if (stopping_) return;
      // Where AviSynth+ is missing nothing runs, and nothing needs bounds.
      if (!std::exchange(told, true) && unconfined && result.status != CheckStatus::Unavailable &&
          !checker_.unconfined().empty())
        unconfined(checker_.unconfined());
      report(i, result);
    });
    if (!stopping_) report(paths.size(), ScriptCheck{});
  });
}

BackgroundCheck::~BackgroundCheck() {
  stopping_ = true;
  checker_.abort();
  thread_.join();
}

}  // namespace clipquill
