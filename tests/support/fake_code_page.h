// SPDX-License-Identifier: GPL-3.0-or-later
// Code pages as Windows sets them, for tests that run anywhere: Western
// (Latin-1's letters, as 1252 holds them) and Cyrillic (1251's letters).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/script_encoding.h"
#include "core/wide_text.h"

namespace clipquill::testing {

class FakeCodePage final : public CodePage {
 public:
  explicit FakeCodePage(unsigned number) : number_(number) {}
  unsigned number() const override { return number_; }
  std::optional<std::string> fromUtf8(std::string_view text) const override {
    if (number_ == kUtf8) return std::string(text);
    const std::optional<std::u16string> units = utf16FromUtf8(text);
    if (!units) return std::nullopt;
    std::string bytes;
    for (const char16_t unit : *units) {
      const std::optional<unsigned char> byte = byteOf(unit);
      if (!byte) return std::nullopt;
      bytes += static_cast<char>(*byte);
    }
    return bytes;
  }

 private:
  std::optional<unsigned char> byteOf(char16_t unit) const {
    if (unit < 0x80) return static_cast<unsigned char>(unit);
    if (number_ == 1252 && unit >= 0xA0 && unit <= 0xFF) return static_cast<unsigned char>(unit);
    if (number_ == 1251 && unit >= 0x410 && unit <= 0x44F)
      return static_cast<unsigned char>(unit - 0x410 + 0xC0);
    if (number_ == 1251 && unit == 0x401) return 0xA8;  // Ё
    if (number_ == 1251 && unit == 0x451) return 0xB8;  // ё
    return std::nullopt;
  }
  unsigned number_;
};

}  // namespace clipquill::testing
