// SPDX-License-Identifier: GPL-3.0-or-later
#include "persist/check_settings.h"

#include <cstdint>

namespace clipquill {
namespace {

constexpr std::string_view kValueLibrary = "AviSynthLibrary";
constexpr std::string_view kValueTimeLimit = "CheckTimeLimit";
// A day: beyond any script worth waiting for, and far from overflow.
constexpr std::uint32_t kMaxTimeLimit = 86400;

std::string programKey(std::string_view appTitle) {
  return "Software\\" + std::string(appTitle);
}

}  // namespace

CheckSettings readCheckSettings(RegistryStore& store, std::string_view appTitle) {
  CheckSettings settings;
  const auto key = store.openOrCreate(programKey(appTitle));
  if (!key) return settings;
  if (auto v = key->query(kValueLibrary); v && v->type == RegistryValueType::String) {
    // Read from REG_SZ on Windows, the text may end with its NUL.
    settings.avisynthLibrary = v->data.substr(0, v->data.find('\0'));
  }
  if (auto v = key->query(kValueTimeLimit);
      v && v->type == RegistryValueType::Dword && v->data.size() == 4) {
    std::uint32_t seconds = 0;
    for (int i = 3; i >= 0; --i)
      seconds = seconds << 8 | static_cast<unsigned char>(v->data[i]);
    if (seconds >= 1 && seconds <= kMaxTimeLimit) settings.timeLimitSeconds = seconds;
  }
  return settings;
}

bool writeCheckSettings(RegistryStore& store, std::string_view appTitle,
                        const CheckSettings& settings) {
  const auto key = store.openOrCreate(programKey(appTitle));
  if (!key) return false;
  const bool library = key->setString(kValueLibrary, settings.avisynthLibrary);
  const bool limit = key->setDword(kValueTimeLimit, settings.timeLimitSeconds);
  return library && limit;
}

}  // namespace clipquill
