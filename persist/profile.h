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
//   what stands between the "[" and the first "]". Of sections with the same
//   name only the first counts: the others and their keys are never read.
// - A line starting with ";" is a comment. Any other line holding "=" and not
//   starting with "[" is a key: its name is what stands before the first "=",
//   its value what stands after it. A line without "=" is a key without a
//   value: it is listed, reads as missing, and a write gives it its value in
//   place. A line with nothing before its "=" is no key, nor is any line
//   before the first section header.
// - A value whose first and last characters are the same quote (" or ') and
//   that is at least two characters long reads without those two quotes.
// - Of keys with the same name in a section, the first gives the value, while
//   the key list shows every copy in file order.
// - Values are read whole and key lists have no limit.
//
// Writing keeps every line it does not change byte for byte, line end
// included. A changed or new line ends in CR LF.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace clipquill {

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

  // Replaces the value of the key's first copy in place; else adds the key
  // after the section's last key line (or its header); else adds the section,
  // then the key, at the end of the file. The names must read back as
  // themselves: no CR, LF, nor any leading or trailing character that reading
  // trims; the section without "]"; the key not empty, without "=", not
  // starting with ";" or "[". The value must hold no CR or LF. In a UTF-16
  // file, bytes that are not UTF-8 are taken as Latin-1 characters.
  void set(std::string_view section, std::string_view key, std::string_view value);

  // The file's bytes.
  std::string bytes() const;

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  enum class End : unsigned char { None, Lf, CrLf, Cr };
  enum class Kind : unsigned char { Other, Header, Key };

  struct Line {
    std::string text;  // without its line end
    End end = End::None;
    Kind kind = Kind::Other;
    // Key lines: where the name stands (trimmed) and where the "=" is (kNone
    // for a bare name).
    std::size_t nameBegin = 0;
    std::size_t nameEnd = 0;
    std::size_t equals = 0;
    // The next line of the file: lines are added by linking, never by moving
    // the lines behind them, so that many adds cost no more than a few.
    std::size_t next = kNone;
  };

  struct Section {
    std::string name;
    std::size_t lastLine = kNone;       // its last key line, or its header when it has none
    std::vector<std::size_t> keyLines;  // file order, duplicates too
    std::unordered_map<std::string, std::size_t> firstKey;  // folded name -> first copy
  };

  const Section* find(std::string_view section) const;
  std::size_t addLine(std::size_t after, Line line);
  std::string_view keyName(const Line& line) const;

  std::string bom_;
  bool utf16_ = false;
  std::string oddByte_;  // a UTF-16 file's last byte when its length is odd
  std::vector<Line> lines_;
  std::size_t head_ = kNone;
  std::size_t tail_ = kNone;
  std::vector<Section> sections_;
  std::unordered_map<std::string, std::size_t> sectionIndex_;  // folded name -> section
};

}  // namespace clipquill
