// SPDX-License-Identifier: GPL-3.0-or-later
// The profile reader and writer on any bytes. An unchanged document writes
// back the bytes it was read from; a set value reads back exactly, in memory
// and after a round through the bytes, while every other key keeps its value
// and every section its key list.
//
// The input is the file's bytes; when it holds three 0 bytes, the last three
// 0-separated pieces are the section, key and value to set, made fit to be
// written first (see ProfileDocument::set). An input starting FF FE is a
// UTF-16LE file: its 0 bytes split it just the same, and the pieces are made
// UTF-8 (a byte that is not becomes its Latin-1 character), as such a file
// holds its text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "persist/profile.h"

namespace {

using clipquill::ProfileDocument;

constexpr std::size_t kMaxInput = 1 << 16;

void check(bool ok) {
  if (!ok) std::abort();
}

std::string without(std::string_view text, std::string_view bytes) {
  std::string out;
  for (const char c : text) {
    if (bytes.find(c) == std::string_view::npos) out += c;
  }
  return out;
}

// What reading trims around names and values.
constexpr std::string_view kTrimmed = " \t\v\f\r\x1A";

std::string trimmed(std::string text) {
  const std::size_t begin = text.find_first_not_of(kTrimmed);
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(kTrimmed) - begin + 1);
}

// The length of a well-formed UTF-8 sequence at s[i], or 0. A surrogate's
// form counts as not well formed: set joins two of them into one character.
std::size_t utf8Length(std::string_view s, std::size_t i) {
  const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
  const unsigned char lead = at(0);
  if (lead < 0x80) return 1;
  const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
  if (length == 0 || s.size() - i < length) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((at(k) & 0xC0) != 0x80) return 0;
  }
  if ((lead == 0xE0 && at(1) < 0xA0) || (lead == 0xF0 && at(1) < 0x90) ||
      (lead == 0xED && at(1) > 0x9F) || (lead == 0xF4 && at(1) > 0x8F)) {
    return 0;
  }
  return length;
}

std::string asUtf8(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    if (const std::size_t length = utf8Length(s, i)) {
      out.append(s.substr(i, length));
      i += length;
    } else {
      const auto byte = static_cast<unsigned char>(s[i++]);
      out += static_cast<char>(0xC0 | byte >> 6);
      out += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return out;
}

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

// Every section's key list and the value of each key.
struct Snapshot {
  std::vector<std::string> sections;
  std::vector<std::vector<std::string>> keys;
  std::vector<std::vector<std::optional<std::string>>> values;
};

Snapshot snapshot(const ProfileDocument& doc) {
  Snapshot s;
  s.sections = doc.sections();
  for (const std::string& section : s.sections) {
    s.keys.push_back(doc.keys(section));
    auto& values = s.values.emplace_back();
    for (const std::string& key : s.keys.back())
      values.push_back(doc.value(section, key));
  }
  return s;
}

// What set(section, key, value) may change, and nothing else changed.
void checkSet(const Snapshot& before, const ProfileDocument& after, const std::string& section,
              const std::string& key, const std::string& value) {
  check(after.value(section, key) == value);
  bool sectionFound = false;
  for (std::size_t s = 0; s < before.sections.size(); ++s) {
    const bool target = sameName(before.sections[s], section);
    sectionFound = sectionFound || target;
    std::vector<std::string> keys = after.keys(before.sections[s]);
    bool keyFound = false;
    for (std::size_t k = 0; k < before.keys[s].size(); ++k) {
      const bool hit = target && sameName(before.keys[s][k], key);
      keyFound = keyFound || hit;
      if (!hit) check(after.value(before.sections[s], before.keys[s][k]) == before.values[s][k]);
    }
    if (target && !keyFound) {
      // A new key, at the end; or a bare word of its name, given its value in place.
      const auto it = std::find_if(keys.begin(), keys.end(),
                                   [&](const std::string& k) { return sameName(k, key); });
      check(it != keys.end());
      keys.erase(it);
    }
    check(keys == before.keys[s]);
  }
  std::vector<std::string> sections = after.sections();
  if (!sectionFound) {
    check(!sections.empty() && sections.back() == section);
    check(after.keys(section) == std::vector<std::string>{key});
    sections.pop_back();
  }
  check(sections == before.sections);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxInput) return 0;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> pieces;
  for (int i = 0; i < 3; ++i) {
    const std::size_t zero = input.rfind('\0');
    if (zero == std::string_view::npos) break;
    pieces.push_back(input.substr(zero + 1));
    input = input.substr(0, zero);
  }

  ProfileDocument doc = ProfileDocument::parse(input);
  const std::string bytes = doc.bytes();
  check(bytes == input);
  const Snapshot before = snapshot(doc);
  if (pieces.size() < 3) return 0;

  const bool utf16 = input.starts_with("\xFF\xFE");
  const auto fit = [&](std::string_view piece, std::string_view refused) {
    const std::string text = without(piece, refused);
    return utf16 ? asUtf8(text) : text;
  };
  const std::string section = trimmed(fit(pieces[2], "\r\n]"));
  std::string key = trimmed(fit(pieces[1], "\r\n="));
  if (key.empty() || key[0] == ';' || key[0] == '[') key.insert(0, "k");
  const std::string value = fit(pieces[0], "\r\n");

  doc.set(section, key, value);
  checkSet(before, doc, section, key, value);
  const std::string written = doc.bytes();
  const ProfileDocument back = ProfileDocument::parse(written);
  checkSet(before, back, section, key, value);
  check(back.bytes() == written);

  // Setting the same again changes nothing.
  doc.set(section, key, value);
  check(doc.bytes() == written);
  return 0;
}
