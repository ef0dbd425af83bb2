// SPDX-License-Identifier: GPL-3.0-or-later
// Where this user's own files of the program live on Windows: "Clipquill" in
// the roaming application data folder, which follows the user from machine
// to machine. The environment's HOME and XDG_CONFIG_HOME, which a Unix shell
// may hand down, mean nothing here.
#include "core/windows_api.h"

#include <knownfolders.h>
#include <shlobj.h>

#include "core/win32_file.h"
#include "persist/folder_registry.h"
#include "persist/path_rules.h"
#include "persist/user_settings.h"

namespace clipquill {

namespace {

// "" when the system cannot tell (a service account without a profile).
std::string roamingAppDataFolder() {
  PWSTR wide = nullptr;
  std::string folder;
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &wide)))
    folder = win32::narrow(wide);
  ::CoTaskMemFree(wide);
  return folder;
}

}  // namespace

std::optional<UserConfigPlace> systemUserConfigPlace() {
  return userConfigPlaceIn(roamingAppDataFolder(), kWindowsSeparators);
}

std::string userConfigFolder() {
  const std::optional<UserConfigPlace> place = systemUserConfigPlace();
  return place ? withTrailingSeparator(place->folder, kWindowsSeparators) : std::string();
}

// The option flags are kept in the registry itself.
std::string defaultRegistryRoot() {
  return {};
}

}  // namespace clipquill
