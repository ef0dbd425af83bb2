// SPDX-License-Identifier: GPL-3.0-or-later
// The window's fonts chosen from those installed: a family named only when
// it is there, the editor's monospaced whatever is installed.
#include "ui/model/font_choice.h"

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
  const std::vector<FontFamily> proportional = {{"Tahoma", false}};
  const std::string_view preferred[] = {"Consolas", "Courier New", "DejaVu Sans Mono"};
  const struct {
    const char* what;
    const std::vector<FontFamily>& installed;
    const char* message;  // the system's message font
    std::optional<std::string> messageFamily;
    std::optional<std::string> editor;
  } rows[] = {
      {"Windows", windows, "Segoe UI", "Segoe UI", "Consolas"},
      {"Wine", wine, "Tahoma", "Tahoma", "DejaVu Sans Mono"},
      {"another case", wine, "TAHOMA", "Tahoma", "DejaVu Sans Mono"},
      {"a message font that is not there", wine, "MS Shell Dlg 2", std::nullopt,
       "DejaVu Sans Mono"},
      {"no name", windows, "", std::nullopt, "Consolas"},
      {"no monospaced at all", proportional, "Tahoma", "Tahoma", std::nullopt},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(installedFamily(row.message, row.installed), row.messageFamily) << row.what;
    EXPECT_EQ(monospacedFamily(preferred, row.installed), row.editor) << row.what;
  }
  // None of the preferred installed: any family of fixed pitch.
  const std::vector<FontFamily> other = {{"Tahoma", false}, {"Wine Courier", true}};
  EXPECT_EQ(monospacedFamily(preferred, other), "Wine Courier");
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
