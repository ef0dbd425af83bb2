// SPDX-License-Identifier: GPL-3.0-or-later
// The benchmarks' short run is asked for by CLIPQUILL_BENCH_SHORT: CI sets it
// to 1, and "0" or an empty value must leave the full run a person expects.
#include <gtest/gtest.h>

#include "bench/bench_support.h"

namespace {

TEST(BenchSupport, ShortRunAskedByAnyValueButEmptyOrZero) {
  struct Case {
    const char* value;
    bool asked;
  };
  const Case cases[] = {
      {nullptr, false}, {"", false},  {"0", false}, {"1", true},
      {"yes", true},    {"00", true}, {" 0", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(clipquill::bench::shortRunAsked(c.value), c.asked)
        << "CLIPQUILL_BENCH_SHORT=" << (c.value != nullptr ? c.value : "(unset)");
  }
}

TEST(BenchSupport, CountArgumentGivenWinsOverTheDefault) {
  char program[] = "bench";
  char given[] = "25";
  char* argv[] = {program, given};
  EXPECT_EQ(clipquill::bench::countArgument(2, argv, 1, 1000, "count"), 25u);
  EXPECT_EQ(clipquill::bench::countArgument(1, argv, 1, 1000, "count"), 1000u);
}

}  // namespace
