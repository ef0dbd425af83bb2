// The profile reader and writer on any bytes. An unchanged document writes
// back the bytes it was read from; a set value reads back exactly, in memory
// and after a round through the bytes, while every other key keeps its value
// and every section its key list.
//
// The input is the file's bytes; when it holds three 0 bytes, the last three
// 0-separated pieces are the section, key and value to set, made fit to be
// written first (see ProfileDocument::set).
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

std::string trimmed(std::string text) {
  const std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
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
      check(!keys.empty() && keys.back() == key);
      keys.pop_back();
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

  const std::string section = trimmed(without(pieces[2], "\r\n]"));
  std::string key = trimmed(without(pieces[1], "\r\n="));
  if (key.empty() || key[0] == ';' || key[0] == '[') key.insert(0, "k");
  const std::string value = without(pieces[0], "\r\n");

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
