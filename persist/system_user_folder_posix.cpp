// SPDX-License-Identifier: GPL-3.0-or-later
// Where this user's own files of the program live on a POSIX system: the
// XDG base directory rules, read from the environment.
#include <cstdlib>

#include "persist/folder_registry.h"
#include "persist/path_rules.h"
#include "persist/user_settings.h"

namespace clipquill {

std::optional<UserConfigPlace> systemUserConfigPlace() {
  return userConfigPlace(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

std::string userConfigFolder() {
  return userConfigFolderFor(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

std::string defaultRegistryRoot() {
  const std::string folder = userConfigFolder();
  return folder.empty() ? folder : folder + "registry";
}

}  // namespace clipquill
