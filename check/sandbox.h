// SPDX-License-Identifier: GPL-3.0-or-later
// The bounds the checking helper puts on itself before it loads AviSynth+.
// A template may come from anyone, and evaluating its scripts runs code
// (LoadPlugin, Import, WriteFile...): the helper may write only beneath the
// folders of the clips it checks (source plugins keep their index files
// beside the clip) and a private temporary folder, opens no network
// sockets, and has a memory bound, so that a script that needs too much is
// told "out of memory" instead of taking the machine's memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clipquill {

struct SandboxRules {
  std::vector<std::string> writableFolders;  // the clips' folders, the private temporary one
  std::uint64_t memoryBytes = 0;             // 0: no bound
};

// What the helper could bound; `unconfined` says in words what it could not
// (empty when every bound holds), for the user to read once.
struct SandboxState {
  bool files = false;
  bool network = false;
  bool memory = false;
  std::string unconfined;
};

// Bounds this process, for good, as far as the system allows. Folders that
// do not exist are left out.
SandboxState enterSandbox(const SandboxRules& rules);

// A fresh private folder for a helper's temporary files, named from
// `prefix`, below the system's temporary folder; "" where the sandbox has no
// use for one or it cannot be made.
std::string makeTemporaryFolder(const std::string& prefix);
// Makes `folder` the temporary folder of this process and what it starts.
void setTemporaryFolder(const std::string& folder);

// The default memory bound: a quarter of the physical memory; 0 where the
// system does not tell.
std::uint64_t defaultMemoryBound();

// "512M", "2G", "1.5G", "4096K" or a number of bytes (binary units, K, M, G,
// T, an optional trailing B, any case); nullopt when it is none of these or
// below 16 MiB, which no AviSynth+ runs in.
std::optional<std::uint64_t> parseMemorySize(std::string_view text);

// A bound in the words above: "2G", "1536M".
std::string describeMemorySize(std::uint64_t bytes);

// AviSynth's and the C++ library's ways of saying an allocation failed.
bool saysOutOfMemory(std::string_view message);

}  // namespace clipquill
