// SPDX-License-Identifier: GPL-3.0-or-later
// A checking helper that bounds nothing and says so, as the helper says it on
// a system without Landlock: the window's and the model's tests start it to
// see what the user is told then, on any machine.
#include "check/script_checker.h"

namespace {

clipquill::SandboxState bindNothing(const clipquill::SandboxRules&) {
  clipquill::SandboxState state;
  state.unconfined =
      "the check runs unconfined: no Landlock in this kernel: scripts may write anywhere you may";
  return state;
}

}  // namespace

int main(int argc, char** argv) {
  clipquill::runCheckHelperIfAsked(argc, argv, bindNothing);
  return 2;  // started as anything but the helper
}
