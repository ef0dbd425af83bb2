#include "clips/wildcard.h"

namespace clipquill {

namespace {

constexpr char fold(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool isContinuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

// The length in bytes of the character at name[i]: a valid UTF-8 sequence as a
// whole, anything else (a stray byte, an overlong or cut-off sequence) alone.
std::size_t charLength(std::string_view name, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(name[i + k]); };
  const unsigned char lead = byte(0);
  std::size_t length = 1;
  unsigned char low = 0x80;   // bounds of the second byte, which rule out
  unsigned char high = 0xBF;  // overlong forms and surrogates
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 1;
  }
  if (i + length > name.size() || byte(1) < low || byte(1) > high) return 1;
  for (std::size_t k = 2; k < length; ++k) {
    if (!isContinuation(byte(k))) return 1;
  }
  return length;
}

// pattern is already folded. On a mismatch the last "*" takes one more
// character and matching resumes behind it. Earlier stars never need to take
// more, and every step moves forward in the name or in the pattern, so the
// work is bounded by the product of their lengths.
bool matchFolded(std::string_view pattern, std::string_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starP = std::string_view::npos;  // pattern position after the last "*"
  std::size_t starN = 0;                       // how far the name was taken by then
  for (;;) {
    if (p < pattern.size()) {
      const char c = pattern[p];
      if (c == '*') {
        starP = ++p;
        starN = n;
        if (p == pattern.size()) return true;  // a final "*" takes the rest
        continue;
      }
      if (n < name.size()) {
        if (c == '?') {
          ++p;
          n += charLength(name, n);
          continue;
        }
        if (c == fold(name[n])) {
          ++p;
          ++n;
          continue;
        }
      }
    } else if (n == name.size()) {
      return true;
    }
    if (starP == std::string_view::npos || starN == name.size()) return false;
    p = starP;
    starN += charLength(name, starN);
    n = starN;
  }
}

}  // namespace

WildcardPattern::WildcardPattern(std::string_view pattern) : folded_(pattern) {
  for (char& c : folded_)
    c = fold(c);
  finalDotStar_ = folded_.ends_with(".*");
}

bool WildcardPattern::matches(std::string_view name) const {
  if (matchFolded(folded_, name)) return true;
  // The ".*" at the end of a name without a period there.
  return finalDotStar_ &&
         matchFolded(std::string_view(folded_).substr(0, folded_.size() - 2), name);
}

ClipMaskMatcher::ClipMaskMatcher(std::string_view mask) {
  for (;;) {
    const std::size_t semi = mask.find(';');
    patterns_.emplace_back(mask.substr(0, semi));
    if (semi == std::string_view::npos) break;
    mask.remove_prefix(semi + 1);
  }
}

std::size_t ClipMaskMatcher::matchCount(std::string_view name) const {
  std::size_t count = 0;
  for (const WildcardPattern& pattern : patterns_)
    count += pattern.matches(name);
  return count;
}

}  // namespace clipquill
