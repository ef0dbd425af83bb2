// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/platform/shown_bytes.h"

namespace clipquill {

namespace {

// The length of the valid UTF-8 sequence at the start of bytes, or 0.
std::size_t validSequence(std::string_view bytes) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = at(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the second byte's range
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // past U+10FFFF
  } else {
    return 0;
  }
  if (bytes.size() < length || at(1) < low || at(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if ((at(i) & 0xC0) != 0x80) return 0;
  }
  return length;
}

}  // namespace

std::string withInvalidUtf8Escaped(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  shown.reserve(bytes.size());
  while (!bytes.empty()) {
    if (const std::size_t length = validSequence(bytes); length != 0) {
      shown.append(bytes.substr(0, length));
      bytes.remove_prefix(length);
      continue;
    }
    const auto byte = static_cast<unsigned char>(bytes.front());
    shown += "\\x";
    shown += kHex[byte >> 4];
    shown += kHex[byte & 0x0F];
    bytes.remove_prefix(1);
  }
  return shown;
}

}  // namespace clipquill
