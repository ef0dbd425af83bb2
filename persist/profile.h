// SPDX-License-Identifier: GPL-3.0-or-later
// A profile (INI) file as the Windows profile functions read and write it,
// kept line by line so that a write changes only the lines it must.
// Our own: no Debian INI library (inih, iniparser, GKeyFile) keeps unchanged lines byte for byte.
//
// Reading:
// - A file that starts with the UTF-16LE byte-order mark (FF FE, what a
//   Windows editor saves as "Unicode") is UTF-16LE throughout, and is written
//   back so; its text is held as UTF-8 (a lone surrogate as its three-byte
//   form, so that every line reads and writes back unchanged).
// - Lines end at LF, CR LF or a lone CR. A UTF-8 byte-order mark at the very
//   start is skipped (Windows would take it for part of the first line and
//   miss the first section).
// - Blanks, tabs, vertical tabs, form feeds, CRs and Ctrl-Z (a DOS end-of-file
//   mark) around a line, a section name, a key name and a value are ignored;
//   section and key names compare without regard to ASCII case.
// - A line starting with "[" that holds a "]" is a section header; its name is
//   what stands between the "[" and the last "]" ("[Inner]Bracket]" names
//   "Inner]Bracket"). Of sections with the same name only the first counts:
//   the others and their keys are never read.
// - A line starting with ";" is a comment. Any other line holding "=" and not
//   starting with "[" is a key: its name is what stands before the first "=",
//   which may be nothing ("=avi" is a key with an empty name), its value what
//   stands after it. No line before the first section header is a key.
// - A line without "=" (a bare word) is no key: it is not listed and reads as
//   missing, but a write of its name, while no key has that name, gives it
//   its value in place.
// - A value whose first and last characters are the same quote (" or ') and
//   that is at least two characters long reads without those two quotes.
// - Of keys with the same name in a section, the first gives the value, while
//   the key list shows every copy in file order.
// - Values are read whole and key lists have no limit.
//
// Writing keeps every line it does not change byte for byte, line end
// included. A changed or new line ends in CR LF.
//
// A file of a million keys is an ordinary case (a filter list grows with
// every save): the document holds the file's text once, with a small record
// per line and an open-addressing index, and a reader that wants only a few
// sections scans the text without building a document at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clipquill {

// A section header or a key, as one pass over a file meets them.
struct ProfileItem {
  bool header = false;     // a section header, else a key
  std::string_view name;   // trimmed
  std::string_view value;  // a key's value as reading gives it
};

// Calls visit for each section header and each key of a profile file, in
// file order, by the reading rules above; bare words, comments and the lines
// before the first header are passed over. Which copies count (the first
// section of a name, the first key of a name in it) is the caller's rule to
// apply, as ProfileDocument applies it.
void scanProfile(std::string_view bytes, const std::function<void(const ProfileItem&)>& visit);

// Appends a key's line as ProfileDocument::set writes a new one: the key, "=",
// the value (in double quotes when reading would alter it) and CR LF. For a
// writer that makes a whole new file without a document.
void appendProfileKeyLine(std::string& out, std::string_view key, std::string_view value);

// Whether two section or key names are the same: ASCII case aside.
bool sameProfileName(std::string_view a, std::string_view b);

class ProfileDocument {
 public:
  // Never fails: whatever is no section header or key is kept and not read.
  static ProfileDocument parse(std::string_view bytes);

  // The value of the first copy of key in the first section named section;
  // nothing when either is missing.
  std::optional<std::string> value(std::string_view section, std::string_view key) const;
  // Every key name of the section, duplicates included, in file order.
  std::vector<std::string> keys(std::string_view section) const;
  // The names of the sections that count (first copies), in file order.
  std::vector<std::string> sections() const;

  // Replaces the value of the key's first copy in place; else gives the
  // first bare word of its name that value in place; else adds the key
  // after the section's last key line (or its header); else adds the section,
  // then the key, at the end of the file. The names must read back as
  // themselves: no CR, LF, nor any leading or trailing character that reading
  // trims; the key not empty, without "=", not starting with ";" or "[". The value must hold no CR
  // or LF. In a UTF-16 file, bytes that are not UTF-8 are taken as Latin-1 characters.
  void set(std::string_view section, std::string_view key, std::string_view value);

  // The file's bytes.
  std::string bytes() const;

 private:
  static constexpr std::uint32_t kNone = UINT32_MAX;
  // Spreads one name's keys of different sections over the index.
  static constexpr std::uint32_t kSectionMix = 0x9E3779B9u;

  enum class End : unsigned char { None, Lf, CrLf, Cr };
  enum class Kind : unsigned char { Other, Header, Key, Bare };

  struct Line {
    std::size_t begin = 0;  // its text in text_, without its line end
    std::size_t length = 0;
    // The next line of the file: lines are added by linking, never by moving
    // the lines behind them, so that many adds cost no more than a few.
    std::uint32_t next = kNone;
    // Within the text: a header's or key's name (trimmed), and a key's "=".
    std::uint32_t nameBegin = 0;
    std::uint32_t nameEnd = 0;
    std::uint32_t equals = 0;
    End end = End::None;
    Kind kind = Kind::Other;
  };

  struct Section {
    std::uint32_t header;
    std::uint32_t lastLine;  // its last key or bare word, or its header when it has none
  };

  // One slot of the key index: a name in a section, its first line (a key or
  // a bare word, which a write takes over) and its first key (which reads).
  struct KeySlot {
    std::uint32_t section = kNone;  // kNone: the slot is free
    std::uint32_t hash = 0;
    std::uint32_t first = kNone;
    std::uint32_t firstKey = kNone;
  };

  std::string_view text(const Line& line) const {
    return std::string_view(text_).substr(line.begin, line.length);
  }
  std::string_view name(const Line& line) const {
    return text(line).substr(line.nameBegin, line.nameEnd - line.nameBegin);
  }
  std::uint32_t findSection(std::string_view name, std::uint32_t hash) const;
  void indexSection(std::uint32_t section, std::uint32_t hash);
  // The slot of the name in the section: its own, or the free one it would take.
  KeySlot& keySlot(std::uint32_t section, std::string_view name, std::uint32_t hash);
  std::size_t probeKey(std::uint32_t section, std::string_view name, std::uint32_t hash) const;
  const KeySlot* findKey(std::uint32_t section, std::string_view name) const;
  void growKeys();
  std::uint32_t addLine(std::uint32_t after, std::string text, Kind kind, std::size_t nameEnd,
                        std::size_t equals);
  void noteKeyLine(std::uint32_t section, std::uint32_t index);

  std::string bom_;
  bool utf16_ = false;
  std::string oddByte_;  // a UTF-16 file's last byte when its length is odd
  // The file's text (UTF-8 for a UTF-16 file), then the text of the lines
  // changed or added since: a changed line's old text stays unused.
  std::string text_;
  std::vector<Line> lines_;
  std::uint32_t head_ = kNone;
  std::uint32_t tail_ = kNone;
  std::vector<Section> sections_;
  std::vector<std::uint32_t> sectionSlots_;  // section + 1, 0 when free
  std::vector<KeySlot> keySlots_;
  std::size_t keyCount_ = 0;
};

}  // namespace clipquill
