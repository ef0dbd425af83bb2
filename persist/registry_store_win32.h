// SPDX-License-Identifier: GPL-3.0-or-later
// The registry store on Windows, with the two hives it works in given, so
// that the tests can hand it keys of their own in place of the real ones.
#pragma once

#include <memory>

#include "persist/registry_store.h"

namespace clipquill {

// machineRoot and userRoot are open registry keys (HKEY) standing for
// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER; they must outlive the store and
// its keys.
std::unique_ptr<RegistryStore> makeWin32RegistryStore(void* machineRoot, void* userRoot);

}  // namespace clipquill
