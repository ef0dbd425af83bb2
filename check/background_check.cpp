// SPDX-License-Identifier: GPL-3.0-or-later
#include "check/background_check.h"

#include <utility>

namespace clipquill {

BackgroundCheck::BackgroundCheck(CheckerOptions options, std::vector<std::string> paths,
                                 Report report, Unconfined unconfined, Used used)
    : checker_(std::move(options)) {
  thread_ = std::thread([this, paths = std::move(paths), report = std::move(report),
                         unconfined = std::move(unconfined), used = std::move(used)] {
    bool told = false;  // the first helper's word is the one that counts
    checker_.checkAll(paths, [&](std::size_t i, ScriptCheck result) {
      if (stopping_) return;
      // Where AviSynth+ is missing nothing runs, and nothing needs bounds.
      const bool first = !std::exchange(told, true);
      if (first && unconfined && result.status != CheckStatus::Unavailable &&
          !checker_.unconfined().empty())
        unconfined(checker_.unconfined());
      if (first && used && !checker_.used().empty()) used(checker_.used(), checker_.passedOver());
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
