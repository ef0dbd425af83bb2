// SPDX-License-Identifier: GPL-3.0-or-later
// Which of the installed font families the window takes, where the system's
// own names may name none (Wine installs a few fonts of its own, and a family
// the toolkit assumes that is missing falls back to a serif everywhere).
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace clipquill {

struct FontFamily {
  std::string name;
  bool fixedPitch = false;
};

// Whether two family names name one family: ASCII case aside, as the
// system compares them.
bool sameFamilyName(std::string_view a, std::string_view b);

// The installed family of that name, as the system spells it (names compare
// without regard to ASCII case); nothing when none is installed.
std::optional<std::string> installedFamily(std::string_view name,
                                           std::span<const FontFamily> installed);

// The window's family: the system's own when it is installed, else the
// first of fallbacks that is; nothing when none is (the toolkit's choice).
std::optional<std::string> interfaceFamily(std::string_view systemName,
                                           std::span<const std::string_view> fallbacks,
                                           std::span<const FontFamily> installed);

// The editor's family: the first of preferred that is installed, else the
// first installed family of fixed pitch; nothing when there is none at all.
std::optional<std::string> monospacedFamily(std::span<const std::string_view> preferred,
                                            std::span<const FontFamily> installed);

// The point size of a font the system gives by its height in pixels (a
// negative height is the characters' own, as the system's font records hold
// it) at dpi dots per inch, rounded; nothing for a height of 0 (the system's
// default) or a dpi of 0.
std::optional<int> pointSizeOfHeight(int height, int dpi);

}  // namespace clipquill
