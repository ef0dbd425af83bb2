// SPDX-License-Identifier: GPL-3.0-or-later
// The check's tests start their own program as the checking helper, as the
// command line does.
#include <gtest/gtest.h>

#include "check/script_checker.h"

int main(int argc, char** argv) {
  clipquill::runCheckHelperIfAsked(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
