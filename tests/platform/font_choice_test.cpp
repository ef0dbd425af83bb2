// SPDX-License-Identifier: GPL-3.0-or-later
// The window's fonts chosen from those installed: a family named only when
// it is there, the editor's monospaced whatever is installed.
#include "ui/platform/font_choice.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clipquill {
namespace {

TEST(FontChoice, TakesOnlyFamiliesThatAreInstalled) {
  const std::vector<FontFamily> wine = {
      {"Tahoma", false}, {"Wine Courier", true}, {"DejaVu Sans Mono", true}};
  const std::vector<FontFamily> windows = {
      {"Segoe UI", false}, {"Courier New", true}, {"Consolas", true}};
  // Wine on a Linux host: its own fonts missing, the host's lent.
  const std::vector<FontFamily> host = {
      {"C059", false}, {"DejaVu Sans", false}, {"Liberation Mono", true}};
  const std::vector<FontFamily> proportional = {{"Tahoma", false}};
  const std::vector<FontFamily> none;
  const std::string_view preferred[] = {"Consolas", "Courier New", "DejaVu Sans Mono"};
  const std::string_view fallbacks[] = {"Segoe UI", "Tahoma", "DejaVu Sans"};
  const struct {
    const char* what;
    const std::vector<FontFamily>& installed;
    const char* message;  // the system's message font
    std::optional<std::string> messageFamily;
    std::optional<std::string> interface;
    std::optional<std::string> editor;
  } rows[] = {
      {"Windows", windows, "Segoe UI", "Segoe UI", "Segoe UI", "Consolas"},
      {"Wine", wine, "Tahoma", "Tahoma", "Tahoma", "DejaVu Sans Mono"},
      {"another case", wine, "TAHOMA", "Tahoma", "Tahoma", "DejaVu Sans Mono"},
      {"a message font that is not there", wine, "MS Shell Dlg", std::nullopt, "Tahoma",
       "DejaVu Sans Mono"},
      {"Wine with the host's fonts", host, "MS Shell Dlg", std::nullopt, "DejaVu Sans",
       "Liberation Mono"},  // no preferred one: any of fixed pitch
      {"no name", windows, "", std::nullopt, "Segoe UI", "Consolas"},
      {"no monospaced at all", proportional, "Tahoma", "Tahoma", "Tahoma", std::nullopt},
      {"nothing at all", none, "Segoe UI", std::nullopt, std::nullopt, std::nullopt},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(installedFamily(row.message, row.installed), row.messageFamily) << row.what;
    EXPECT_EQ(interfaceFamily(row.message, fallbacks, row.installed), row.interface) << row.what;
    EXPECT_EQ(monospacedFamily(preferred, row.installed), row.editor) << row.what;
  }
}

TEST(FontChoice, PointSizeOfTheSystemsHeight) {
  const struct {
    int height;
    int dpi;
    std::optional<int> points;
  } rows[] = {
      {-12, 96, 9},   // Segoe UI 9 at 100%
      {-11, 96, 8},   // Tahoma 8 under Wine
      {-24, 192, 9},  // 200%
      {13, 96, 10},   // a cell height: its size all the same
      {0, 96, std::nullopt}, {-12, 0, std::nullopt},
  };
  for (const auto& row : rows)
    EXPECT_EQ(pointSizeOfHeight(row.height, row.dpi), row.points) << row.height << " " << row.dpi;
}

}  // namespace
}  // namespace clipquill
