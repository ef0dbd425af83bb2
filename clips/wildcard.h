// SPDX-License-Identifier: GPL-3.0-or-later
// The wild cards of the clip list's file mask.
//
// A pattern is matched against a whole file name: "*" stands for any run of
// characters, an empty one included; "?" for exactly one character; every
// other character for itself, without regard to case. A final ".*" also
// matches at the end of a name that has no period there, so "*.*" takes every
// name and "clip*.*" takes "clip" as well as "clip.avi". Likewise a final "."
// stands for the end of a name without a period, as on Windows: "*." takes
// the names with no extension ("clip", not "clip.avi"), and "clip*." takes
// "clip1" but not "clip1.avi".
//
// Names are bytes. A character is one UTF-8 sequence where the text holds a
// valid one, otherwise a single byte, in the name and in the pattern alike:
// "?" stands for "é" as it does for "e", and a name that is not UTF-8 still
// matches byte for byte. Case is folded for the ASCII letters only.
//
// fnmatch(3) does not fit: it gives "[" and "\" meanings of their own, and
// both may stand literally in a file name here; nor does it know the final
// ".*". The matcher below backtracks to the last "*" only, so a pattern costs
// at most its length times the name's, never exponential time.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace clipquill {

class WildcardPattern {
 public:
  explicit WildcardPattern(std::string_view pattern);
  bool matches(std::string_view name) const;
  // Where the "*" of a pattern "head*tail" stands, for one of ASCII
  // characters with no other wild card and no final ".*" or ".", as a filter
  // entry's pattern mostly is. Such a pattern matches exactly the names at
  // least as long as head and tail together that begin with head and end
  // with tail, case aside.
  static std::optional<std::size_t> simpleStar(std::string_view pattern);

 private:
  // One pattern in its matching form.
  struct Form {
    explicit Form(std::string_view pattern);
    bool matches(std::string_view name) const;

    std::string folded;  // ASCII letters in lower case
    // Where the only "*" stands, for a pattern of ASCII characters with one
    // "*" and no "?", as every mask built from a prefix and an extension is:
    // comparing its two ends is then all there is to do.
    std::size_t star = std::string::npos;
  };

  Form whole_;
  // For a pattern ending in ".*", the part before it: it matches a name with
  // no period at its end. For a pattern ending in ".", the part before that
  // ".": it matches a name that holds no period at all.
  std::optional<Form> stem_;
  bool stemWithoutPeriod_ = false;
};

// A mask: patterns separated by ";", each used as it stands (an empty one
// matches no file).
// Patterns of the "head*tail" form are looked up by their ends rather than
// tried one by one, so that a name costs the same against a hundred thousand
// extensions as against four.
class ClipMaskMatcher {
 public:
  explicit ClipMaskMatcher(std::string_view mask);
  // How many of the patterns match name. The clip list lists a name once per
  // matching pattern, duplicates included.
  std::size_t matchCount(std::string_view name) const;

 private:
  // The "head*tail" patterns of one head: their tails, sorted, by length.
  // Heads and tails are views into folded_.
  struct Head {
    std::string_view head;
    std::vector<std::pair<std::size_t, std::vector<std::string_view>>> tails;
  };
  std::string folded_;  // the mask, ASCII letters in lower case
  std::vector<Head> heads_;
  std::vector<WildcardPattern> others_;
};

}  // namespace clipquill
