// SPDX-License-Identifier: GPL-3.0-or-later
// Systems without Landlock and seccomp: the helper keeps only the bounds its
// system's own process handling gives it (on Windows its job object bounds
// its memory and ends it with the checker), and the check says nothing more.
#include "check/sandbox.h"

namespace clipquill {

SandboxState enterSandbox(const SandboxRules&) {
  return SandboxState{};
}

std::string makeTemporaryFolder(const std::string&) {
  return "";
}

void setTemporaryFolder(const std::string&) {}

std::uint64_t defaultMemoryBound() {
  return 0;
}

}  // namespace clipquill
