// SPDX-License-Identifier: GPL-3.0-or-later
#include "persist/profile.h"

#include <algorithm>
#include <utility>

#include "core/constants.h"
#include "persist/name_hash.h"

namespace clipquill {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Bom = "\xFF\xFE";

// What reading trims around names and values, as the Windows profile
// functions do: a value followed by a DOS end-of-file mark still reads whole.
bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\x1A';
}

void appendUtf8(std::string& out, char32_t code) {
  const auto byte = [&](char32_t b) { out += static_cast<char>(b); };
  if (code < 0x80) {
    byte(code);
  } else if (code < 0x800) {
    byte(0xC0 | code >> 6);
    byte(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    byte(0xE0 | code >> 12);
    byte(0x80 | (code >> 6 & 0x3F));
    byte(0x80 | (code & 0x3F));
  } else {
    byte(0xF0 | code >> 18);
    byte(0x80 | (code >> 12 & 0x3F));
    byte(0x80 | (code >> 6 & 0x3F));
    byte(0x80 | (code & 0x3F));
  }
}

// The code point of the UTF-8 sequence at text[i] and its length; a lone
// surrogate's three-byte form counts, anything else not well formed is
// nothing (length 0).
std::pair<char32_t, std::size_t> decodeUtf8(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return {lead, 1};
  std::size_t length = 0;
  char32_t code = 0;
  char32_t least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
    least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
    least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
    least = 0x10000;
  } else {
    return {0, 0};
  }
  if (text.size() - i < length) return {0, 0};
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(k) & 0xC0) != 0x80) return {0, 0};
    code = code << 6 | (byte(k) & 0x3F);
  }
  if (code < least || code > 0x10FFFF) return {0, 0};
  return {code, length};
}

// A UTF-16LE file's text (after its byte-order mark) as UTF-8; an odd last
// byte is left over in oddByte.
std::string fromUtf16(std::string_view bytes, std::string& oddByte) {
  const auto unit = [&](std::size_t i) {
    return static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                 static_cast<unsigned char>(bytes[i + 1]) << 8);
  };
  std::string text;
  text.reserve(bytes.size());
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    const char16_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
      const char16_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        appendUtf8(text, 0x10000 + ((char32_t{u} - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    appendUtf8(text, u);
  }
  oddByte = bytes.substr(i);
  return text;
}

// The reverse of fromUtf16. A byte that starts no UTF-8 sequence is taken as
// the Latin-1 character it would be.
void appendUtf16(std::string& out, std::string_view text) {
  const auto unit = [&](char32_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8 & 0xFF);
  };
  for (std::size_t i = 0; i < text.size();) {
    auto [code, length] = decodeUtf8(text, i);
    if (length == 0) {
      code = static_cast<unsigned char>(text[i]);
      length = 1;
    }
    i += length;
    if (code >= 0x10000) {
      unit(0xD800 + ((code - 0x10000) >> 10));
      unit(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      unit(code);
    }
  }
}

// Text as a UTF-16 file will hold it, so that memory and file agree: bytes
// that are not UTF-8 become the Latin-1 characters they would be written as,
// and a surrogate pair written as two sequences becomes its one character.
std::string storableInUtf16(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto [code, length] = decodeUtf8(text, i);
    if (code >= 0xD800 && code <= 0xDBFF && i + length < text.size()) {
      const auto [low, lowLength] = decodeUtf8(text, i + length);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        appendUtf8(out, 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
        i += length + lowLength;
        continue;
      }
    }
    if (length == 0) {
      appendUtf8(out, static_cast<unsigned char>(text[i]));
      ++i;
    } else {
      out.append(text.substr(i, length));
      i += length;
    }
  }
  return out;
}

bool isQuote(char c) {
  return c == '"' || c == '\'';
}

// [begin, end) of text with blanks and tabs taken off both sides.
std::pair<std::size_t, std::size_t> trimmed(std::string_view text, std::size_t begin,
                                            std::size_t end) {
  while (begin < end && isBlank(text[begin]))
    ++begin;
  while (end > begin && isBlank(text[end - 1]))
    --end;
  return {begin, end};
}

// A value that reading would alter is put in double quotes, which reading
// takes off again. Windows wrote such values bare, so that blanks around a
// value and a quoted value lost something on the way back.
void appendEncoded(std::string& out, std::string_view value) {
  const bool altered =
      !value.empty() &&
      (isBlank(value.front()) || isBlank(value.back()) ||
       (value.size() >= 2 && isQuote(value.front()) && value.front() == value.back()));
  if (altered) out += '"';
  out += value;
  if (altered) out += '"';
}

// What a line is, by the reading rules: where a header's or key's name stands
// (trimmed), and a key's "=" (npos for a bare word).
enum class Shape : unsigned char { Other, Header, Key, Bare };
struct LineShape {
  Shape shape = Shape::Other;
  std::size_t nameBegin = 0;
  std::size_t nameEnd = 0;
  std::size_t equals = std::string_view::npos;
};

LineShape shapeOf(std::string_view text) {
  LineShape out;
  const auto [begin, end] = trimmed(text, 0, text.size());
  if (begin == end || text[begin] == ';') return out;
  if (text[begin] == '[') {
    const std::size_t close = text.rfind(']');
    if (close == std::string_view::npos || close < begin) return out;
    const auto [nameBegin, nameEnd] = trimmed(text, begin + 1, close);
    return {Shape::Header, nameBegin, nameEnd};
  }
  const std::size_t equals = text.find('=', begin);
  const auto [nameBegin, nameEnd] =
      trimmed(text, begin, equals == std::string_view::npos ? end : equals);
  return {equals == std::string_view::npos ? Shape::Bare : Shape::Key, nameBegin, nameEnd, equals};
}

// A key's value: what follows its "=", trimmed, one pair of quotes taken off.
std::string_view valueOf(std::string_view text, std::size_t equals) {
  auto [begin, end] = trimmed(text, equals + 1, text.size());
  if (end - begin >= 2 && isQuote(text[begin]) && text[begin] == text[end - 1]) {
    ++begin;
    --end;
  }
  return text.substr(begin, end - begin);
}

enum class LineEnd : unsigned char { None, Lf, CrLf, Cr };

// The line that starts at pos: its text, its end, and where the next begins.
struct RawLine {
  std::string_view text;
  LineEnd end = LineEnd::None;
  std::size_t next = 0;
};

RawLine lineAt(std::string_view bytes, std::size_t pos) {
  // A plain loop: find_first_of tries each of the two bytes in turn at every
  // position, which costs a file of a million lines most of its reading.
  std::size_t stop = pos;
  while (stop < bytes.size() && bytes[stop] != '\r' && bytes[stop] != '\n')
    ++stop;
  if (stop == bytes.size()) return {bytes.substr(pos), LineEnd::None, bytes.size()};
  const std::string_view text = bytes.substr(pos, stop - pos);
  if (bytes[stop] == '\n') return {text, LineEnd::Lf, stop + 1};
  if (stop + 1 < bytes.size() && bytes[stop + 1] == '\n') return {text, LineEnd::CrLf, stop + 2};
  return {text, LineEnd::Cr, stop + 1};
}

// The text to read: a UTF-16 file as UTF-8 (in decoded), without a UTF-8
// byte-order mark.
std::string_view textOf(std::string_view bytes, std::string& decoded, bool& utf16,
                        std::string& oddByte) {
  utf16 = bytes.starts_with(kUtf16Bom);
  if (utf16) {
    decoded = fromUtf16(bytes.substr(kUtf16Bom.size()), oddByte);
    return decoded;
  }
  if (bytes.starts_with(kBom)) bytes.remove_prefix(kBom.size());
  return bytes;
}

}  // namespace

void appendProfileKeyLine(std::string& out, std::string_view key, std::string_view value) {
  out.append(key).append("=");
  appendEncoded(out, value);
  out += kLineEnd;
}

bool sameProfileName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return foldedAscii(x) == foldedAscii(y);
         });
}

void scanProfile(std::string_view bytes, const std::function<void(const ProfileItem&)>& visit) {
  std::string decoded;
  std::string oddByte;
  bool utf16 = false;
  const std::string_view text = textOf(bytes, decoded, utf16, oddByte);
  bool inSection = false;
  for (std::size_t pos = 0; pos < text.size();) {
    const RawLine line = lineAt(text, pos);
    pos = line.next;
    const LineShape shape = shapeOf(line.text);
    const std::string_view name =
        line.text.substr(shape.nameBegin, shape.nameEnd - shape.nameBegin);
    if (shape.shape == Shape::Header) {
      inSection = true;
      visit({true, name, {}});
    } else if (shape.shape == Shape::Key && inSection) {
      visit({false, name, valueOf(line.text, shape.equals)});
    }
  }
}

ProfileDocument ProfileDocument::parse(std::string_view bytes) {
  ProfileDocument doc;
  std::string decoded;
  const std::string_view text = textOf(bytes, decoded, doc.utf16_, doc.oddByte_);
  if (!doc.utf16_ && text.size() != bytes.size()) doc.bom_ = kBom;
  doc.text_ = text;
  std::string().swap(decoded);

  std::uint32_t current = kNone;  // none before the first header and in a repeated section
  for (std::size_t pos = 0; pos < doc.text_.size();) {
    const RawLine raw = lineAt(doc.text_, pos);
    const auto index = static_cast<std::uint32_t>(doc.lines_.size());
    Line& line = doc.lines_.emplace_back();
    line.begin = pos;
    line.length = raw.text.size();
    static_assert(static_cast<int>(End::Cr) == static_cast<int>(LineEnd::Cr));
    line.end = static_cast<End>(raw.end);
    line.next = index + 1;
    pos = raw.next;

    const LineShape shape = shapeOf(raw.text);
    // Offsets within a line are kept in 32 bits: a line of 4 GiB is kept, unread.
    if (shape.shape == Shape::Other || raw.text.size() >= kNone) continue;
    line.nameBegin = static_cast<std::uint32_t>(shape.nameBegin);
    line.nameEnd = static_cast<std::uint32_t>(shape.nameEnd);
    const std::string_view name = raw.text.substr(shape.nameBegin, shape.nameEnd - shape.nameBegin);
    const std::uint32_t hash = foldedNameHash(name);
    if (shape.shape == Shape::Header) {
      line.kind = Kind::Header;
      if (doc.findSection(name, hash) != kNone) {
        current = kNone;
      } else {
        current = static_cast<std::uint32_t>(doc.sections_.size());
        doc.sections_.push_back({index, index});
        doc.indexSection(current, hash);
      }
      continue;
    }
    if (current == kNone) continue;
    const bool key = shape.shape == Shape::Key;
    line.kind = key ? Kind::Key : Kind::Bare;
    line.equals = key ? static_cast<std::uint32_t>(shape.equals) : kNone;
    KeySlot& slot = doc.keySlot(current, name, hash);
    if (slot.section == kNone) {
      slot = {current, hash, index, kNone};
      ++doc.keyCount_;
    }
    if (key && slot.firstKey == kNone) slot.firstKey = index;
    doc.sections_[current].lastLine = index;
    if (doc.keyCount_ * 4 >= doc.keySlots_.size() * 3) doc.growKeys();
  }
  if (!doc.lines_.empty()) {
    doc.head_ = 0;
    doc.tail_ = static_cast<std::uint32_t>(doc.lines_.size() - 1);
    doc.lines_.back().next = kNone;
  }
  return doc;
}

std::uint32_t ProfileDocument::findSection(std::string_view name, std::uint32_t hash) const {
  if (sectionSlots_.empty()) return kNone;
  const std::size_t mask = sectionSlots_.size() - 1;
  for (std::size_t i = slotOf(hash, mask);; i = (i + 1) & mask) {
    const std::uint32_t slot = sectionSlots_[i];
    if (slot == 0) return kNone;
    if (sameProfileName(this->name(lines_[sections_[slot - 1].header]), name)) return slot - 1;
  }
}

void ProfileDocument::indexSection(std::uint32_t section, std::uint32_t hash) {
  if (sections_.size() * 4 >= sectionSlots_.size() * 3) {
    // Grown by rehashing every section's name: sections are few next to keys.
    std::vector<std::uint32_t> slots(std::max<std::size_t>(16, sectionSlots_.size() * 2), 0);
    const std::size_t mask = slots.size() - 1;
    for (std::uint32_t s = 0; s < sections_.size(); ++s) {
      if (s == section) continue;
      std::size_t i = slotOf(foldedNameHash(name(lines_[sections_[s].header])), mask);
      while (slots[i] != 0)
        i = (i + 1) & mask;
      slots[i] = s + 1;
    }
    sectionSlots_ = std::move(slots);
  }
  const std::size_t mask = sectionSlots_.size() - 1;
  std::size_t i = slotOf(hash, mask);
  while (sectionSlots_[i] != 0)
    i = (i + 1) & mask;
  sectionSlots_[i] = section + 1;
}

std::size_t ProfileDocument::probeKey(std::uint32_t section, std::string_view name,
                                      std::uint32_t hash) const {
  const std::size_t mask = keySlots_.size() - 1;
  for (std::size_t i = slotOf(hash ^ section * kSectionMix, mask);; i = (i + 1) & mask) {
    const KeySlot& slot = keySlots_[i];
    if (slot.section == kNone) return i;
    if (slot.section == section && slot.hash == hash &&
        sameProfileName(this->name(lines_[slot.first]), name)) {
      return i;
    }
  }
}

ProfileDocument::KeySlot& ProfileDocument::keySlot(std::uint32_t section, std::string_view name,
                                                   std::uint32_t hash) {
  if (keySlots_.empty()) keySlots_.resize(16);
  return keySlots_[probeKey(section, name, hash)];
}

const ProfileDocument::KeySlot* ProfileDocument::findKey(std::uint32_t section,
                                                         std::string_view name) const {
  if (keySlots_.empty()) return nullptr;
  const KeySlot& slot = keySlots_[probeKey(section, name, foldedNameHash(name))];
  return slot.section == kNone ? nullptr : &slot;
}

void ProfileDocument::growKeys() {
  std::vector<KeySlot> old(std::max<std::size_t>(16, keySlots_.size() * 2));
  old.swap(keySlots_);
  const std::size_t mask = keySlots_.size() - 1;
  for (const KeySlot& slot : old) {
    if (slot.section == kNone) continue;
    std::size_t i = slotOf(slot.hash ^ slot.section * kSectionMix, mask);
    while (keySlots_[i].section != kNone)
      i = (i + 1) & mask;
    keySlots_[i] = slot;
  }
}

std::optional<std::string> ProfileDocument::value(std::string_view section,
                                                  std::string_view key) const {
  const std::uint32_t sec = findSection(section, foldedNameHash(section));
  if (sec == kNone) return std::nullopt;
  const KeySlot* slot = findKey(sec, key);
  if (slot == nullptr || slot->firstKey == kNone) return std::nullopt;
  const Line& line = lines_[slot->firstKey];
  return std::string(valueOf(text(line), line.equals));
}

std::vector<std::string> ProfileDocument::keys(std::string_view section) const {
  std::vector<std::string> names;
  const std::uint32_t sec = findSection(section, foldedNameHash(section));
  if (sec == kNone) return names;
  // A section's lines run from its header to the next header of any kind.
  for (std::uint32_t i = lines_[sections_[sec].header].next;
       i != kNone && lines_[i].kind != Kind::Header; i = lines_[i].next) {
    if (lines_[i].kind == Kind::Key) names.emplace_back(name(lines_[i]));
  }
  return names;
}

std::vector<std::string> ProfileDocument::sections() const {
  std::vector<std::string> names;
  names.reserve(sections_.size());
  for (const Section& sec : sections_)
    names.emplace_back(name(lines_[sec.header]));
  return names;
}

// Links a new line in after the line at index after, or at the end of the
// file when after is kNone. Only the last line can lack a line end; one that
// gets a line after it is given CR LF.
std::uint32_t ProfileDocument::addLine(std::uint32_t after, std::string text, Kind kind,
                                       std::size_t nameEnd, std::size_t equals) {
  if (after == kNone) after = tail_;
  const auto index = static_cast<std::uint32_t>(lines_.size());
  Line line;
  line.begin = text_.size();
  line.length = text.size();
  line.kind = kind;
  line.nameBegin = kind == Kind::Header ? 1 : 0;
  line.nameEnd = static_cast<std::uint32_t>(nameEnd);
  line.equals = static_cast<std::uint32_t>(equals);
  line.end = End::CrLf;
  text_ += text;
  if (after == kNone) {
    line.next = head_;
    head_ = index;
  } else {
    if (lines_[after].end == End::None) lines_[after].end = End::CrLf;
    line.next = lines_[after].next;
    lines_[after].next = index;
  }
  if (after == tail_) tail_ = index;
  lines_.push_back(line);
  return index;
}

void ProfileDocument::set(std::string_view section, std::string_view key, std::string_view value) {
  if (utf16_) {
    const std::string s = storableInUtf16(section);
    const std::string k = storableInUtf16(key);
    const std::string v = storableInUtf16(value);
    utf16_ = false;  // the strings are fit now
    set(s, k, v);
    utf16_ = true;
    return;
  }
  const std::uint32_t sectionHash = foldedNameHash(section);
  std::uint32_t sec = findSection(section, sectionHash);
  if (sec == kNone) {
    // A new section goes at the very end, with no blank line before it.
    std::string header;
    header.reserve(section.size() + 2);
    header.append("[").append(section).append("]");
    const std::uint32_t line =
        addLine(kNone, std::move(header), Kind::Header, section.size() + 1, 0);
    sec = static_cast<std::uint32_t>(sections_.size());
    sections_.push_back({line, line});
    indexSection(sec, sectionHash);
  }

  const std::uint32_t keyHash = foldedNameHash(key);
  if (keyCount_ * 4 + 4 >= keySlots_.size() * 3) growKeys();
  KeySlot& slot = keySlot(sec, key, keyHash);
  if (slot.section != kNone) {
    // The name, the "=" and the blanks around them stay as they were written.
    // Only a name that has no key yet takes a bare word's line, which gets
    // its "=" right behind the name: a key list never grows by a write of a
    // key it lists.
    Line& line = lines_[slot.firstKey != kNone ? slot.firstKey : slot.first];
    std::size_t keep = line.nameEnd;
    if (line.kind == Kind::Key) {
      const std::string_view old = text(line);
      keep = line.equals + 1;
      while (keep < old.size() && isBlank(old[keep]))
        ++keep;
    }
    const std::size_t begin = text_.size();
    text_.reserve(begin + keep + 3 + value.size());
    // Taken after the room was made, so the copy reads from where it writes.
    text_.append(text(line).substr(0, keep));
    if (line.kind == Kind::Bare) {
      line.equals = line.nameEnd;
      text_ += '=';
    }
    appendEncoded(text_, value);
    line.begin = begin;
    line.length = text_.size() - begin;
    line.kind = Kind::Key;
    line.end = End::CrLf;
    if (slot.firstKey == kNone) slot.firstKey = slot.first;
    return;
  }

  // A new key goes straight after the section's last key, not after the blank
  // lines and comments that follow it: those mostly part this section from the
  // next one or speak of the next one, and belong with it.
  std::string text;
  text.reserve(key.size() + 3 + value.size());
  text.append(key).append("=");
  appendEncoded(text, value);
  const std::uint32_t index =
      addLine(sections_[sec].lastLine, std::move(text), Kind::Key, key.size(), key.size());
  sections_[sec].lastLine = index;
  slot = {sec, keyHash, index, index};
  ++keyCount_;
}

std::string ProfileDocument::bytes() const {
  std::size_t size = bom_.size();
  for (const Line& line : lines_)
    size += line.length + 2;
  std::string out;
  out.reserve(size);
  out += bom_;
  for (std::uint32_t i = head_; i != kNone; i = lines_[i].next) {
    const Line& line = lines_[i];
    out += text(line);
    switch (line.end) {
      case End::None:
        break;
      case End::Lf:
        out += '\n';
        break;
      case End::CrLf:
        out += kLineEnd;
        break;
      case End::Cr:
        out += '\r';
        break;
    }
  }
  if (utf16_) {
    std::string wide(kUtf16Bom);
    wide.reserve(kUtf16Bom.size() + 2 * out.size() + oddByte_.size());
    appendUtf16(wide, out);
    wide += oddByte_;
    return wide;
  }
  return out;
}

}  // namespace clipquill
