// SPDX-License-Identifier: GPL-3.0-or-later
#include "clips/wildcard.h"

#include <algorithm>
#include <unordered_map>

#include "core/wide_text.h"

namespace clipquill {

namespace {

constexpr char fold(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool isAscii(char c) {
  return static_cast<unsigned char>(c) < 0x80;
}

// The length in bytes of the character at text[i]: a valid UTF-8 sequence as
// a whole, anything else (a stray byte, an overlong or cut-off sequence) alone.
std::size_t multiByteLength(std::string_view text, std::size_t i) {
  return std::max<std::size_t>(1, utf8SequenceAt(text, i));
}

inline std::size_t charLength(std::string_view text, std::size_t i) {
  return isAscii(text[i]) ? 1 : multiByteLength(text, i);
}

// Whether the pattern's character at p (not a wild card) stands for the
// name's at n; returns its length in the name, 0 if it does not.
inline std::size_t literalMatch(std::string_view pattern, std::size_t p, std::string_view name,
                                std::size_t n) {
  if (isAscii(pattern[p])) return pattern[p] == fold(name[n]) ? 1 : 0;
  const std::size_t length = multiByteLength(pattern, p);
  if (multiByteLength(name, n) != length) return 0;
  return pattern.compare(p, length, name, n, length) == 0 ? length : 0;
}

bool endsMatch(std::string_view head, std::string_view name) {
  return std::equal(head.begin(), head.end(), name.begin(),
                    [](char h, char c) { return h == fold(c); });
}

}  // namespace

WildcardPattern::Form::Form(std::string_view pattern) : folded(pattern) {
  std::transform(folded.begin(), folded.end(), folded.begin(), fold);
  const bool simple = std::all_of(folded.begin(), folded.end(), isAscii) &&
                      std::count(folded.begin(), folded.end(), '*') == 1 &&
                      folded.find('?') == std::string::npos;
  if (simple) star = folded.find('*');
}

// A character is matched whole, never a part of one, so the name is always
// taken up to a character's end. On a mismatch the last "*" takes one more
// character and matching resumes behind it; earlier stars never need to take
// more. Every step moves forward in the name or the pattern, so the work is
// bounded by the product of their lengths.
bool WildcardPattern::Form::matches(std::string_view name) const {
  const std::string_view pattern = folded;
  if (star != std::string::npos) {
    // ASCII bytes are characters of their own in any name, so comparing
    // bytes at both ends cannot split a character.
    const std::string_view head = pattern.substr(0, star);
    const std::string_view tail = pattern.substr(star + 1);
    return name.size() >= head.size() + tail.size() && endsMatch(head, name) &&
           endsMatch(tail, name.substr(name.size() - tail.size()));
  }
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starP = std::string_view::npos;  // pattern position after the last "*"
  std::size_t starN = 0;                       // how far the name was taken by then
  for (;;) {
    if (p < pattern.size()) {
      if (pattern[p] == '*') {
        starP = ++p;
        starN = n;
        if (p == pattern.size()) return true;  // a final "*" takes the rest
        continue;
      }
      if (n < name.size()) {
        if (pattern[p] == '?') {
          ++p;
          n += charLength(name, n);
          continue;
        }
        if (const std::size_t length = literalMatch(pattern, p, name, n)) {
          p += charLength(pattern, p);
          n += length;
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

WildcardPattern::WildcardPattern(std::string_view pattern) : whole_(pattern) {
  if (pattern.ends_with(".*")) {
    stem_.emplace(pattern.substr(0, pattern.size() - 2));
  } else if (pattern.ends_with('.')) {
    stem_.emplace(pattern.substr(0, pattern.size() - 1));
    stemWithoutPeriod_ = true;
  }
}

bool WildcardPattern::matches(std::string_view name) const {
  if (stemWithoutPeriod_) {
    if (name.find('.') == std::string_view::npos && stem_->matches(name)) return true;
  } else if (stem_) {
    if (stem_->matches(name)) return true;
    // Whatever the whole pattern matches, a stem that ends in "*" matches too.
    if (stem_->folded.ends_with('*')) return false;
  }
  return whole_.matches(name);
}

std::optional<std::size_t> WildcardPattern::simpleStar(std::string_view pattern) {
  // As Form marks its one-star case, less the patterns that have a stem.
  const std::size_t star = pattern.find('*');
  if (star == std::string_view::npos || pattern.find('*', star + 1) != std::string_view::npos ||
      pattern.find('?') != std::string_view::npos || pattern.ends_with('.') ||
      pattern.ends_with(".*") || !std::all_of(pattern.begin(), pattern.end(), isAscii)) {
    return std::nullopt;
  }
  return star;
}

ClipMaskMatcher::ClipMaskMatcher(std::string_view mask) : folded_(mask) {
  std::transform(folded_.begin(), folded_.end(), folded_.begin(), fold);
  std::unordered_map<std::string_view, std::size_t> headIndex;  // head -> heads_
  for (std::size_t begin = 0;;) {
    const std::size_t semi = std::min(mask.find(';', begin), mask.size());
    const std::string_view pattern = mask.substr(begin, semi - begin);
    if (const std::optional<std::size_t> star = WildcardPattern::simpleStar(pattern)) {
      const std::string_view folded = std::string_view(folded_).substr(begin, semi - begin);
      const std::string_view head = folded.substr(0, *star);
      const std::string_view tail = folded.substr(*star + 1);
      const auto [it, added] = headIndex.try_emplace(head, heads_.size());
      if (added) heads_.push_back({head, {}});
      auto& tails = heads_[it->second].tails;
      auto byLength = std::find_if(tails.begin(), tails.end(),
                                   [&](const auto& t) { return t.first == tail.size(); });
      if (byLength == tails.end()) byLength = tails.insert(tails.end(), {tail.size(), {}});
      byLength->second.push_back(tail);
    } else {
      others_.emplace_back(pattern);
    }
    if (semi == mask.size()) break;
    begin = semi + 1;
  }
  for (Head& head : heads_) {
    for (auto& [length, tails] : head.tails)
      std::sort(tails.begin(), tails.end());
  }
}

std::size_t ClipMaskMatcher::matchCount(std::string_view name) const {
  std::size_t count = 0;
  std::string tail;
  for (const Head& head : heads_) {
    if (name.size() < head.head.size() || !endsMatch(head.head, name)) continue;
    for (const auto& [length, tails] : head.tails) {
      if (name.size() < head.head.size() + length) continue;
      tail.assign(name.substr(name.size() - length));
      std::transform(tail.begin(), tail.end(), tail.begin(), fold);
      const auto [first, last] =
          std::equal_range(tails.begin(), tails.end(), std::string_view(tail));
      count += static_cast<std::size_t>(last - first);
    }
  }
  for (const WildcardPattern& pattern : others_)
    count += pattern.matches(name);
  return count;
}

}  // namespace clipquill
