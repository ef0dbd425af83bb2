// SPDX-License-Identifier: GPL-3.0-or-later
// The options of the check of written scripts with AviSynth+: which
// libavisynth.so to load (none named: the one the dynamic loader finds) and
// how long one script may take. Program-wide, in the option store's
// program key beside the templates' keys.
#pragma once

#include <string>
#include <string_view>

#include "persist/registry_store.h"

namespace clipquill {

struct CheckSettings {
  std::string avisynthLibrary;     // empty: where the dynamic loader looks
  unsigned timeLimitSeconds = 10;  // per script, 1 and up
  bool operator==(const CheckSettings&) const = default;
};

// The stored settings; a value missing, of another type or out of range is
// the default. Never raises.
CheckSettings readCheckSettings(RegistryStore& store, std::string_view appTitle);

// Stores both; false when either could not be stored. Never raises.
bool writeCheckSettings(RegistryStore& store, std::string_view appTitle,
                        const CheckSettings& settings);

}  // namespace clipquill
