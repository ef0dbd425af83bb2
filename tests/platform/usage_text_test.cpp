// SPDX-License-Identifier: GPL-3.0-or-later
// The usage window's text with this system's places: every place filled, and
// none of the other system's paths shown.
#include "ui/platform/usage_text.h"

#include <gtest/gtest.h>

#include <string>

#include "resources/embedded.h"

namespace clipquill {
namespace {

TEST(UsageText, FillsTheNamedPlacesAndLeavesTheRest) {
  const UsagePlace places[] = {{"CAPS", "/c"}, {"SEP", "/"}};
  const struct {
    const char* text;
    const char* filled;
  } rows[] = {
      {"in {{CAPS}}{{SEP}}a.avi", "in /c/a.avi"},
      {"{{CAPS}}{{CAPS}}", "/c/c"},
      {"{{OTHER}} and {{CAPS}}", "{{OTHER}} and /c"},  // unknown: kept
      {"{{CAPS", "{{CAPS"},                            // never closed
      {"}} {{SEP}} {", "}} / {"},
      {"", ""},
  };
  for (const auto& row : rows)
    EXPECT_EQ(fillUsagePlaces(row.text, places), row.filled) << row.text;
}

TEST(UsageText, EveryPlaceIsThisSystemsOwn) {
  const std::string_view embedded = resources::usageText();
  const std::string text = fillUsagePlaces(embedded, systemUsagePlaces());
  EXPECT_EQ(text.find("{{"), std::string::npos) << text.substr(text.find("{{"), 40);
  for (const UsagePlace& place : systemUsagePlaces()) {
    EXPECT_NE(embedded.find("{{" + std::string(place.name) + "}}"), std::string::npos)
        << place.name << " is used nowhere";
  }
#if defined(_WIN32)
  const char* const foreign[] = {"/home", "~/", "XDG_CONFIG_HOME", "/usr/", "Linux", "\"/\""};
#else
  const char* const foreign[] = {"C:\\", "%APPDATA%", "HKEY_", "\"\\\""};
#endif
  for (const char* path : foreign)
    EXPECT_EQ(text.find(path), std::string::npos) << path;
}

}  // namespace
}  // namespace clipquill
