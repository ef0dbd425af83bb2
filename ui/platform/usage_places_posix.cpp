// SPDX-License-Identifier: GPL-3.0-or-later
// The usage text's places on Linux and other POSIX systems: home folders,
// the XDG config folder and the installed tree.
#include "ui/platform/usage_text.h"

namespace clipquill {

namespace {

constexpr UsagePlace kPlaces[] = {
    {"CAPS", "/home/me/caps"},
    {"SEPARATOR", "/"},
    {"TYPED", "/tm"},
    {"DRIVES", "the root \"/\", your home folder and the mounted disks and shares"},
    {"SETTINGS", "\"$XDG_CONFIG_HOME/Clipquill/settings\" (\"~/.config/Clipquill/settings\")"},
    {"DEFAULT_FOLDERS",
     "your own folder, \"~/.config/Clipquill\" (or \"Clipquill\" in the folder XDG_CONFIG_HOME "
     "names, when it is set); the folder the program is in; the installed one, "
     "\"/usr/share/clipquill\" for the Debian package"},
    {"FLAGS_STORE",
     "On Linux they are kept in your own folder \"$XDG_CONFIG_HOME/Clipquill/registry\" "
     "(\"~/.config/Clipquill/registry\" when XDG_CONFIG_HOME is not set): the template "
     "\"Hall.qtpl\" keeps them in the files \"Software/Clipquill/Hall/LoadInis\" and "
     "\".../SaveInis\", each holding \"dword:00000001\" (on) or \"dword:00000000\" (off)."},
};

}  // namespace

std::span<const UsagePlace> systemUsagePlaces() {
  return kPlaces;
}

}  // namespace clipquill
