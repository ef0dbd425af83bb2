// SPDX-License-Identifier: GPL-3.0-or-later
// The clip mask's wild cards against a matcher that is slow but plainly right:
// a table over every pair of pattern and name positions, which tries every way
// a "*" can be taken rather than backtracking to the last one only. The two
// must agree on every pattern and name, whatever bytes they hold.
//
// The input is a pattern, a 0 byte and a name; the pattern also serves as a
// mask, split at ";". A second 0 byte after the name starts a third string,
// used only for the natural order, whose comparison must be a total order on
// bytes for the clip list's sort to be sound.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "clips/natural_order.h"
#include "clips/wildcard.h"

namespace {

// The table costs the pattern's length times the name's.
constexpr std::size_t kMaxInput = 4096;

char fold(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The length of the character at s[i]: a well-formed UTF-8 sequence (RFC 3629:
// shortest form, no surrogates, nothing past U+10FFFF) as a whole, else 1.
// Decoded here rather than read off a table of lead and second bytes, so that
// a slip in either shows as a disagreement.
std::size_t charLength(std::string_view s, std::size_t i) {
  const auto lead = static_cast<unsigned char>(s[i]);
  std::size_t length = 0;
  char32_t code = 0;
  char32_t least = 0;
  if (lead >= 0xC0 && lead < 0xE0) {
    length = 2;
    code = lead & 0x1F;
    least = 0x80;
  } else if (lead >= 0xE0 && lead < 0xF0) {
    length = 3;
    code = lead & 0x0F;
    least = 0x800;
  } else if (lead >= 0xF0 && lead < 0xF8) {
    length = 4;
    code = lead & 0x07;
    least = 0x10000;
  } else {
    return 1;
  }
  if (s.size() - i < length) return 1;
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(s[i + k]);
    if ((next & 0xC0) != 0x80) return 1;
    code = code << 6 | (next & 0x3F);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 1;
  return length;
}

// Whether the whole of pattern matches the whole of name, without the final
// ".*" and "." rules. reach[n] says whether the pattern so far can take exactly the
// first n bytes of name; a "*" extends that a character at a time, and any
// other character of the pattern stands for one whole character of the name.
bool tableMatches(std::string_view pattern, std::string_view name) {
  const std::size_t size = name.size();
  std::vector<char> reach(size + 1, 0);
  std::vector<char> next(size + 1, 0);
  reach[0] = 1;
  for (std::size_t p = 0; p < pattern.size();) {
    const char c = pattern[p];
    const std::size_t width = c == '*' || c == '?' ? 1 : charLength(pattern, p);
    std::fill(next.begin(), next.end(), 0);
    for (std::size_t n = 0; n <= size; ++n) {
      if (reach[n] == 0) continue;
      if (c == '*') {
        next[n] = 1;
        if (n < size) reach[n + charLength(name, n)] = 1;  // later in this same pass
      } else if (n < size && c == '?') {
        next[n + charLength(name, n)] = 1;
      } else if (n < size && charLength(name, n) == width) {
        bool same = true;
        for (std::size_t k = 0; k < width; ++k)
          same = same && fold(pattern[p + k]) == fold(name[n + k]);
        if (same) next[n + width] = 1;
      }
    }
    reach.swap(next);
    p += width;
  }
  return reach[size] != 0;
}

bool referenceMatches(std::string_view pattern, std::string_view name) {
  if (tableMatches(pattern, name)) return true;
  if (pattern.ends_with('.') && name.find('.') == std::string_view::npos) {
    return tableMatches(pattern.substr(0, pattern.size() - 1), name);
  }
  return pattern.ends_with(".*") && tableMatches(pattern.substr(0, pattern.size() - 2), name);
}

std::size_t referenceMatchCount(std::string_view mask, std::string_view name) {
  std::size_t count = 0;
  for (;;) {
    const std::size_t semi = mask.find(';');
    count += referenceMatches(mask.substr(0, semi), name);
    if (semi == std::string_view::npos) return count;
    mask.remove_prefix(semi + 1);
  }
}

int sign(int v) {
  return (v > 0) - (v < 0);
}

void checkNaturalPair(std::string_view a, std::string_view b) {
  const int ab = sign(clipquill::naturalCompare(a, b));
  if (ab != -sign(clipquill::naturalCompare(b, a))) std::abort();
  if ((ab == 0) != (a == b)) std::abort();
  // The clip list sorts by keys first: they may only agree or tie.
  std::string keyA;
  std::string keyB;
  clipquill::appendNaturalKey(keyA, a);
  clipquill::appendNaturalKey(keyB, b);
  const int byKey = sign(keyA.compare(keyB));
  if (byKey != 0 && byKey != ab) std::abort();
}

// Whenever x < y and y < z, also x < z, for every order of the three.
void checkNaturalTriple(std::string_view a, std::string_view b, std::string_view c) {
  const std::array<std::string_view, 3> s = {a, b, c};
  for (std::size_t x = 0; x < 3; ++x) {
    for (std::size_t y = 0; y < 3; ++y) {
      const std::size_t z = 3 - x - y;
      if (x == y || z == x || z == y) continue;
      if (clipquill::naturalLess(s[x], s[y]) && clipquill::naturalLess(s[y], s[z]) &&
          !clipquill::naturalLess(s[x], s[z])) {
        std::abort();
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxInput) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\0');
  const std::string_view pattern = input.substr(0, split);
  std::string_view name = split == std::string_view::npos ? "" : input.substr(split + 1);
  const std::size_t second = name.find('\0');
  const bool hasThird = second != std::string_view::npos;
  const std::string_view third = hasThird ? name.substr(second + 1) : "";
  name = name.substr(0, second);

  if (clipquill::WildcardPattern(pattern).matches(name) != referenceMatches(pattern, name)) {
    std::abort();
  }
  if (clipquill::ClipMaskMatcher(pattern).matchCount(name) != referenceMatchCount(pattern, name)) {
    std::abort();
  }

  checkNaturalPair(pattern, name);
  checkNaturalPair(name, name);
  if (hasThird) {
    checkNaturalPair(name, third);
    checkNaturalPair(pattern, third);
    checkNaturalTriple(pattern, name, third);
  }
  return 0;
}
