// SPDX-License-Identifier: GPL-3.0-or-later
#include "persist/profile.h"

#include <utility>

#include "core/constants.h"

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

// Names compare by ASCII case only, the same in every locale.
std::string folded(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// A value that reading would alter is put in double quotes, which reading
// takes off again. Windows wrote such values bare, so that blanks around a
// value and a quoted value lost something on the way back.
std::string encoded(std::string_view value) {
  const bool altered =
      !value.empty() &&
      (isBlank(value.front()) || isBlank(value.back()) ||
       (value.size() >= 2 && isQuote(value.front()) && value.front() == value.back()));
  if (!altered) return std::string(value);
  std::string out;
  out.reserve(value.size() + 2);
  out += '"';
  out += value;
  out += '"';
  return out;
}

}  // namespace

ProfileDocument ProfileDocument::parse(std::string_view bytes) {
  ProfileDocument doc;
  std::string decoded;
  if (bytes.starts_with(kUtf16Bom)) {
    doc.utf16_ = true;
    decoded = fromUtf16(bytes.substr(kUtf16Bom.size()), doc.oddByte_);
    bytes = decoded;
  } else if (bytes.starts_with(kBom)) {
    doc.bom_ = kBom;
    bytes.remove_prefix(kBom.size());
  }
  Section* current = nullptr;  // null before the first header and in a repeated section
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    Line line;
    const std::size_t stop = bytes.find_first_of("\r\n", pos);
    if (stop == std::string_view::npos) {
      line.text = bytes.substr(pos);
      pos = bytes.size();
    } else {
      line.text = bytes.substr(pos, stop - pos);
      if (bytes[stop] == '\n') {
        line.end = End::Lf;
        pos = stop + 1;
      } else if (stop + 1 < bytes.size() && bytes[stop + 1] == '\n') {
        line.end = End::CrLf;
        pos = stop + 2;
      } else {
        line.end = End::Cr;
        pos = stop + 1;
      }
    }

    const std::string_view text = line.text;
    const auto [begin, end] = trimmed(text, 0, text.size());
    const std::size_t index = doc.lines_.size();
    if (begin < end && text[begin] == '[') {
      const std::size_t close = text.find(']', begin);
      if (close != std::string_view::npos) {
        line.kind = Kind::Header;
        const auto [nameBegin, nameEnd] = trimmed(text, begin + 1, close);
        std::string key = folded(text.substr(nameBegin, nameEnd - nameBegin));
        if (doc.sectionIndex_.contains(key)) {
          current = nullptr;
        } else {
          doc.sectionIndex_.emplace(std::move(key), doc.sections_.size());
          current = &doc.sections_.emplace_back();
          current->name = text.substr(nameBegin, nameEnd - nameBegin);
          current->lastLine = index;
        }
      }
    } else if (begin < end && text[begin] != ';' && text[begin] != '[') {
      std::size_t equals = text.find('=', begin);
      // A bare name reaches to the end of its text.
      const std::size_t nameStop = equals == std::string_view::npos ? end : equals;
      if (equals == std::string_view::npos) equals = kNone;
      if (nameStop > begin && current != nullptr) {
        const auto [nameBegin, nameEnd] = trimmed(text, begin, nameStop);
        line.kind = Kind::Key;
        line.nameBegin = nameBegin;
        line.nameEnd = nameEnd;
        line.equals = equals;
        current->keyLines.push_back(index);
        current->lastLine = index;
        current->firstKey.try_emplace(folded(text.substr(nameBegin, nameEnd - nameBegin)), index);
      }
    }
    line.next = index + 1;
    doc.lines_.push_back(std::move(line));
  }
  if (!doc.lines_.empty()) {
    doc.head_ = 0;
    doc.tail_ = doc.lines_.size() - 1;
    doc.lines_.back().next = kNone;
  }
  return doc;
}

const ProfileDocument::Section* ProfileDocument::find(std::string_view section) const {
  const auto it = sectionIndex_.find(folded(section));
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

std::string_view ProfileDocument::keyName(const Line& line) const {
  return std::string_view(line.text).substr(line.nameBegin, line.nameEnd - line.nameBegin);
}

std::optional<std::string> ProfileDocument::value(std::string_view section,
                                                  std::string_view key) const {
  const Section* sec = find(section);
  if (sec == nullptr) return std::nullopt;
  const auto it = sec->firstKey.find(folded(key));
  if (it == sec->firstKey.end()) return std::nullopt;
  const Line& line = lines_[it->second];
  if (line.equals == kNone) return std::nullopt;  // a bare name has no value
  const std::string_view text = line.text;
  auto [begin, end] = trimmed(text, line.equals + 1, text.size());
  if (end - begin >= 2 && isQuote(text[begin]) && text[begin] == text[end - 1]) {
    ++begin;
    --end;
  }
  return std::string(text.substr(begin, end - begin));
}

std::vector<std::string> ProfileDocument::keys(std::string_view section) const {
  std::vector<std::string> names;
  if (const Section* sec = find(section)) {
    names.reserve(sec->keyLines.size());
    for (const std::size_t line : sec->keyLines)
      names.emplace_back(keyName(lines_[line]));
  }
  return names;
}

std::vector<std::string> ProfileDocument::sections() const {
  std::vector<std::string> names;
  names.reserve(sections_.size());
  for (const Section& sec : sections_)
    names.push_back(sec.name);
  return names;
}

// Links line in after the line at index after, or at the end of the file when
// after is kNone. Only the last line can lack a line end; one that gets a line
// after it is given CR LF.
std::size_t ProfileDocument::addLine(std::size_t after, Line line) {
  if (after == kNone) after = tail_;
  const std::size_t index = lines_.size();
  line.end = End::CrLf;
  if (after == kNone) {
    line.next = head_;
    head_ = index;
  } else {
    if (lines_[after].end == End::None) lines_[after].end = End::CrLf;
    line.next = lines_[after].next;
    lines_[after].next = index;
  }
  if (after == tail_) tail_ = index;
  lines_.push_back(std::move(line));
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
  std::string sectionKey = folded(section);
  auto found = sectionIndex_.find(sectionKey);
  if (found == sectionIndex_.end()) {
    // A new section goes at the very end, with no blank line before it.
    Line header;
    header.kind = Kind::Header;
    header.text.reserve(section.size() + 2);
    header.text += '[';
    header.text += section;
    header.text += ']';
    Section sec;
    sec.name = section;
    sec.lastLine = addLine(kNone, std::move(header));
    found = sectionIndex_.emplace(std::move(sectionKey), sections_.size()).first;
    sections_.push_back(std::move(sec));
  }
  Section& sec = sections_[found->second];

  std::string keyKey = folded(key);
  if (const auto it = sec.firstKey.find(keyKey); it != sec.firstKey.end()) {
    // The name, the "=" and the blanks around them stay as they were written;
    // a bare name gets its "=" right behind it.
    Line& line = lines_[it->second];
    if (line.equals == kNone) {
      line.text.resize(line.nameEnd);
      line.text += '=';
      line.equals = line.nameEnd;
    }
    std::size_t keep = line.equals + 1;
    while (keep < line.text.size() && isBlank(line.text[keep]))
      ++keep;
    line.text.resize(keep);
    line.text += encoded(value);
    line.end = End::CrLf;
    return;
  }

  // A new key goes straight after the section's last key, not after the blank
  // lines and comments that follow it: those mostly part this section from the
  // next one or speak of the next one, and belong with it.
  Line line;
  line.kind = Kind::Key;
  line.text.reserve(key.size() + 1 + value.size());
  line.text += key;
  line.text += '=';
  line.text += encoded(value);
  line.nameEnd = key.size();
  line.equals = key.size();
  const std::size_t index = addLine(sec.lastLine, std::move(line));
  sec.lastLine = index;
  sec.keyLines.push_back(index);
  sec.firstKey.emplace(std::move(keyKey), index);
}

std::string ProfileDocument::bytes() const {
  std::size_t size = bom_.size();
  for (const Line& line : lines_)
    size += line.text.size() + 2;
  std::string out;
  out.reserve(size);
  out += bom_;
  for (std::size_t i = head_; i != kNone; i = lines_[i].next) {
    const Line& line = lines_[i];
    out += line.text;
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
