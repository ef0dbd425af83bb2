// SPDX-License-Identifier: GPL-3.0-or-later
#include "clips/natural_order.h"

#include <cstddef>

namespace clipquill {

namespace {

constexpr bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

constexpr unsigned char fold(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

constexpr int sign(bool less) {
  return less ? -1 : 1;
}

}  // namespace

int naturalCompare(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  // The first difference that only case or leading zeros make, used when
  // nothing else tells the names apart.
  int tie = 0;
  while (i < a.size() && j < b.size()) {
    if (isDigit(a[i]) && isDigit(b[j])) {
      std::size_t ai = i;
      std::size_t bj = j;
      while (ai < a.size() && a[ai] == '0')
        ++ai;
      while (bj < b.size() && b[bj] == '0')
        ++bj;
      std::size_t aEnd = ai;
      std::size_t bEnd = bj;
      while (aEnd < a.size() && isDigit(a[aEnd]))
        ++aEnd;
      while (bEnd < b.size() && isDigit(b[bEnd]))
        ++bEnd;
      // Without leading zeros the longer run is the larger number; runs of
      // one length compare digit by digit.
      if (aEnd - ai != bEnd - bj) return sign(aEnd - ai < bEnd - bj);
      for (std::size_t k = 0; k < aEnd - ai; ++k) {
        if (a[ai + k] != b[bj + k]) return sign(a[ai + k] < b[bj + k]);
      }
      if (tie == 0 && ai - i != bj - j) tie = sign(ai - i < bj - j);
      i = aEnd;
      j = bEnd;
      continue;
    }
    const unsigned char fa = fold(a[i]);
    const unsigned char fb = fold(b[j]);
    if (fa != fb) return sign(fa < fb);
    if (tie == 0 && a[i] != b[j]) {
      tie = sign(static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]));
    }
    ++i;
    ++j;
  }
  if (i < a.size() || j < b.size()) return sign(i == a.size());
  return tie;
}

void appendNaturalKey(std::string& key, std::string_view name) {
  std::size_t i = 0;
  while (i < name.size()) {
    if (!isDigit(name[i])) {
      key += static_cast<char>(fold(name[i++]));
      continue;
    }
    while (i < name.size() && name[i] == '0')
      ++i;
    const std::size_t start = i;
    while (i < name.size() && isDigit(name[i]))
      ++i;
    // A run of digits becomes "0", its length without leading zeros, then
    // those digits: numbers compare by length first, then digit by digit. The
    // "0" sorts against other characters as any digit would, and no other
    // character turns into it, so two keys meet at lengths only where both
    // names have a run. Lengths of 255 or more take a 0xFF and four bytes.
    const std::size_t length = i - start;
    key += '0';
    if (length < 0xFF) {
      key += static_cast<char>(length);
    } else {
      key += static_cast<char>(0xFF);
      for (int shift = 24; shift >= 0; shift -= 8) {
        key += static_cast<char>((length >> shift) & 0xFF);
      }
    }
    key.append(name.substr(start, length));
  }
}

}  // namespace clipquill
