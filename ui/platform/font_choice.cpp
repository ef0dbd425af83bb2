// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/platform/font_choice.h"

#include <algorithm>
#include <cstdlib>

namespace clipquill {

namespace {

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool sameFamilyName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return lower(x) == lower(y); });
}

std::optional<std::string> installedFamily(std::string_view name,
                                           std::span<const FontFamily> installed) {
  if (name.empty()) return std::nullopt;
  for (const FontFamily& family : installed) {
    if (sameFamilyName(family.name, name)) return family.name;
  }
  return std::nullopt;
}

std::optional<std::string> interfaceFamily(std::string_view systemName,
                                           std::span<const std::string_view> fallbacks,
                                           std::span<const FontFamily> installed) {
  if (auto found = installedFamily(systemName, installed)) return found;
  for (const std::string_view name : fallbacks) {
    if (auto found = installedFamily(name, installed)) return found;
  }
  return std::nullopt;
}

std::optional<std::string> monospacedFamily(std::span<const std::string_view> preferred,
                                            std::span<const FontFamily> installed) {
  for (const std::string_view name : preferred) {
    if (auto found = installedFamily(name, installed)) return found;
  }
  for (const FontFamily& family : installed) {
    if (family.fixedPitch) return family.name;
  }
  return std::nullopt;
}

std::optional<int> pointSizeOfHeight(int height, int dpi) {
  if (height == 0 || dpi <= 0) return std::nullopt;
  const long pixels = std::labs(static_cast<long>(height));
  return static_cast<int>((pixels * 72 + dpi / 2) / dpi);
}

}  // namespace clipquill
