// SPDX-License-Identifier: GPL-3.0-or-later
// The per-user settings file, which a user may edit by hand: any bytes parse
// without harm, and what was parsed survives being written and read back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "persist/user_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const clipquill::SettingsMap values = clipquill::parseUserSettings(input);
  if (clipquill::parseUserSettings(clipquill::formatUserSettings(values)) != values) std::abort();
  return 0;
}
