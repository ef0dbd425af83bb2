// SPDX-License-Identifier: GPL-3.0-or-later
#include "check/background_check.h"

namespace clipquill {

BackgroundCheck::BackgroundCheck(CheckerOptions options, std::vector<std::string> paths,
                                 Report report)
    : checker_(std::move(options)) {
  thread_ = std::thread([this, paths = std::move(paths), report = std::move(report)] {
    for (std::size_t i = 0; i < paths.size(); ++i) {
      ScriptCheck result = checker_.check(paths[i]);
      if (stopping_) return;
      report(i, result);
    }
    if (!stopping_) report(paths.size(), ScriptCheck{});
  });
}

BackgroundCheck::~BackgroundCheck() {
  stopping_ = true;
  checker_.abort();
  thread_.join();
}

}  // namespace clipquill
