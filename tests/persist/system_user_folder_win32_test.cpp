// SPDX-License-Identifier: GPL-3.0-or-later
// Where the user's own files of the program live on Windows: the roaming
// application data folder, whatever a Unix shell handed down.
#include "core/windows_api.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/win32_file.h"
#include "persist/folder_registry.h"
#include "persist/path_rules.h"
#include "persist/user_settings.h"

namespace clipquill {
namespace {

// The system's own word for the folder, asked another way.
std::string appDataFromEnvironment() {
  wchar_t value[32768];
  const DWORD n = ::GetEnvironmentVariableW(L"APPDATA", value, 32768);
  return n > 0 && n < 32768 ? win32::narrow(std::wstring_view(value, n)) : std::string();
}

TEST(Win32UserFolder, IsClipquillInTheRoamingApplicationDataFolder) {
  const std::string appData = appDataFromEnvironment();
  if (appData.empty()) GTEST_SKIP() << "no APPDATA to compare with";
  // What a Unix shell may hand down to a Windows program is no place here.
  ::_putenv_s("XDG_CONFIG_HOME", "/cfg");
  const std::optional<UserConfigPlace> place = systemUserConfigPlace();
  ::_putenv_s("XDG_CONFIG_HOME", "");
  ASSERT_TRUE(place);
  EXPECT_EQ(place->folder, appData + "\\Clipquill");
  EXPECT_EQ(place->roots, std::vector<std::string>{appData});
  // "Save as Default Template" saves into the same folder.
  EXPECT_EQ(userConfigFolder(), appData + "\\Clipquill\\");
  EXPECT_EQ(UserSettings(*makeSystemPersistFiles(), place).path(),
            appData + "\\Clipquill\\settings");
  EXPECT_EQ(defaultRegistryRoot(), "");
}

}  // namespace
}  // namespace clipquill
