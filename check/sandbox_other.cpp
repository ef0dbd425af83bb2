// SPDX-License-Identifier: GPL-3.0-or-later
// Systems without Landlock and seccomp: the helper runs unconfined, and says
// so once.
#include "check/sandbox.h"

namespace clipquill {

SandboxState enterSandbox(const SandboxRules&) {
  SandboxState state;
  state.unconfined = "this system offers the check no sandbox: scripts run with your rights";
  return state;
}

std::string makeTemporaryFolder(const std::string&) {
  return "";
}

void setTemporaryFolder(const std::string&) {}

std::uint64_t defaultMemoryBound() {
  return 0;
}

}  // namespace clipquill
