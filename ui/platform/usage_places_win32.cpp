// SPDX-License-Identifier: GPL-3.0-or-later
// The usage text's places on Windows: drive letters, the roaming
// application data folder, the program folder and the registry.
#include "ui/platform/usage_text.h"

namespace clipquill {

namespace {

constexpr UsagePlace kPlaces[] = {
    {"CAPS", "C:\\Users\\me\\caps"},
    {"SEPARATOR", "\\"},
    {"TYPED", "C:\\Us"},
    {"DRIVES",
     "every drive from A: to Z: with its label, and the share a network drive is connected to"},
    {"SETTINGS", "\"%APPDATA%\\Clipquill\\settings\""},
    {"DEFAULT_FOLDERS",
     "your own folder, \"%APPDATA%\\Clipquill\"; then the folder the program is in, where the "
     "installer puts the one it comes with"},
    {"FLAGS_STORE",
     "On Windows they are kept in the registry: the template \"Hall.qtpl\" keeps them as the "
     "values \"LoadInis\" and \"SaveInis\" of the key "
     "\"HKEY_LOCAL_MACHINE\\Software\\Clipquill\\Hall\" (below HKEY_CURRENT_USER instead when "
     "you may not write the machine's part), each a DWORD of 1 (on) or 0 (off)."},
};

}  // namespace

std::span<const UsagePlace> systemUsagePlaces() {
  return kPlaces;
}

}  // namespace clipquill
