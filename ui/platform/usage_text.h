// SPDX-License-Identifier: GPL-3.0-or-later
// The usage window's text as this system's user reads it: the text is one
// for every system, and its examples of paths, folders and files are this
// system's own, so that a Windows user is not shown "/home/me" nor a Linux
// user "C:\". Each "{{NAME}}" in the text stands for the place of that name.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace clipquill {

struct UsagePlace {
  std::string_view name;  // as the text writes it between "{{" and "}}"
  std::string_view text;  // what it stands for on this system
};

// text with each "{{NAME}}" of places replaced by its text. A name that
// places does not hold is left as it stands.
std::string fillUsagePlaces(std::string_view text, std::span<const UsagePlace> places);

// This system's places (usage_places_posix.cpp, usage_places_win32.cpp).
std::span<const UsagePlace> systemUsagePlaces();

}  // namespace clipquill
