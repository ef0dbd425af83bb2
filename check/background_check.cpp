// SPDX-License-Identifier: GPL-3.0-or-later
#include "check/background_check.h"

namespace clipquill {

BackgroundCheck::BackgroundCheck(CheckerOptions options, std::vector<std::string> paths,
                                 Report report)
    : checker_(std::move(options)) {
  thread_ = std::thread([this, paths = std::move(paths), report = std::move(report)] {
    checker_.checkAll(paths, [&](std::size_t i, ScriptCheck result) {
      if (!stopping_) report(i, result);
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
