// SPDX-License-Identifier: GPL-3.0-or-later
// On Windows the check is not there yet: it must say so, with its reason, for
// every script, so that the command line ends as when AviSynth+ is missing.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "check/avisynth_library.h"
#include "check/check_report.h"
#include "check/script_checker.h"

namespace clipquill {
namespace {

constexpr const char* kWhy = "checking with AviSynth+ is not available on Windows yet";

TEST(ScriptCheckerWin32Test, SaysWhyTheCheckIsUnavailable) {
  ScriptChecker checker(CheckerOptions{});
  std::string detail;
  EXPECT_FALSE(checker.available(&detail));
  EXPECT_EQ(detail, kWhy);

  const std::vector<std::string> paths{"a.avs", "b.avs"};
  std::vector<std::size_t> told;
  checker.checkAll(paths, [&](std::size_t index, ScriptCheck check) {
    told.push_back(index);
    EXPECT_EQ(check.status, CheckStatus::Unavailable);
    EXPECT_EQ(check.message, kWhy);
  });
  EXPECT_EQ(told, (std::vector<std::size_t>{0, 1}));

  std::ostringstream err;
  const CheckReport report = checkAndReport(checker, paths, paths, err, "clipquill-cli");
  EXPECT_TRUE(report.unavailable);
  EXPECT_NE(err.str().find(kWhy), std::string::npos) << err.str();

  std::string why;
  EXPECT_EQ(AvisynthLibrary::load("", why), nullptr);
  EXPECT_EQ(why, kWhy);
}

}  // namespace
}  // namespace clipquill
