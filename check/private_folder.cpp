// SPDX-License-Identifier: GPL-3.0-or-later
#include "check/private_folder.h"

namespace clipquill {

std::optional<unsigned long> privateFolderOwner(std::string_view name, std::string_view prefix) {
  if (!name.starts_with(prefix)) return std::nullopt;
  name.remove_prefix(prefix.size());
  const std::size_t dash = name.find('-');
  // mkdtemp's six characters after the dash.
  if (dash == 0 || dash == std::string_view::npos || name.size() - dash - 1 != 6)
    return std::nullopt;
  unsigned long pid = 0;
  for (char c : name.substr(0, dash)) {
    if (c < '0' || c > '9' || pid > 0xffffffffUL / 10) return std::nullopt;
    pid = pid * 10 + static_cast<unsigned long>(c - '0');
  }
  if (pid == 0) return std::nullopt;
  return pid;
}

}  // namespace clipquill
