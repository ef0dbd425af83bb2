// SPDX-License-Identifier: GPL-3.0-or-later
#include "persist/settings_file.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "core/constants.h"
#include "core/error.h"
#include "core/messages.h"
#include "persist/name_hash.h"
#include "persist/profile.h"

namespace clipquill {
namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

bool isHexDigit(char c) {
  return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::string extKey(std::size_t i) {
  std::string key(kKeyExtPrefix);
  key += std::to_string(i);
  return key;
}

std::string stateKey(std::size_t i) {
  return extKey(i) + std::string(kKeyStateSuffix);
}

std::string folded(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    c = foldedAscii(c);
  return out;
}

// A hash of a name that agrees with sameProfileName; never 0.
std::uint32_t nameHash(std::string_view name) {
  const std::uint32_t hash = foldedNameHash(name);
  return hash == 0 ? 1 : hash;
}

// The hashes seen, four bytes each: a million names take 8 MB.
class HashSet {
 public:
  // False when the hash was there already.
  bool insert(std::uint32_t hash) {
    if (slots_.size() < 2 * (count_ + 1)) grow();
    if (!place(slots_, hash)) return false;
    ++count_;
    return true;
  }

 private:
  static bool place(std::vector<std::uint32_t>& slots, std::uint32_t hash) {
    const std::size_t mask = slots.size() - 1;
    for (std::size_t i = slotOf(hash, mask);; i = (i + 1) & mask) {
      if (slots[i] == hash) return false;
      if (slots[i] == 0) {
        slots[i] = hash;
        return true;
      }
    }
  }
  void grow() {
    std::vector<std::uint32_t> slots(std::max<std::size_t>(64, 2 * slots_.size()), 0);
    for (const std::uint32_t hash : slots_) {
      if (hash != 0) place(slots, hash);
    }
    slots_ = std::move(slots);
  }

  std::vector<std::uint32_t> slots_;
  std::size_t count_ = 0;
};

// A new file's lines, as writing each key into an empty document would give
// them, in pieces: a big filter list never sits in memory twice.
void writeFresh(PersistFiles::Sink& sink, const TemplateSettings& settings) {
  constexpr std::size_t kPiece = 256 * 1024;
  std::string out;
  const auto header = [&](std::string_view name) {
    out.append("[").append(name).append("]").append(kLineEnd);
  };
  header(kSectionEntries);
  appendProfileKeyLine(out, kKeyClipLoc, settings.clipLoc);
  appendProfileKeyLine(out, kKeyClipName, settings.clipName);
  appendProfileKeyLine(out, kKeyScriptName, settings.scriptName);
  appendProfileKeyLine(out, kKeyScriptDest, settings.scriptDest);
  if (!settings.filters.empty()) {
    header(kSectionFilterBy);
    for (std::size_t i = 0; i < settings.filters.size(); ++i) {
      appendProfileKeyLine(out, extKey(i), settings.filters[i].text);
      if (out.size() >= kPiece) sink.put(std::exchange(out, {}));
    }
    header(kSectionFilterState);
    for (std::size_t i = 0; i < settings.filters.size(); ++i) {
      appendProfileKeyLine(out, stateKey(i),
                           settings.filters[i].state == CheckState::Checked ? "1" : "0");
      if (out.size() >= kPiece) sink.put(std::exchange(out, {}));
    }
  }
  sink.put(out);
}

enum Wanted : std::size_t { kEntries, kFilterBy, kFilterState, kOther };

// Which of the three sections the lines belong to: only the first section of
// each name counts.
class SectionTracker {
 public:
  void enter(std::string_view name) {
    static constexpr std::string_view kNames[] = {kSectionEntries, kSectionFilterBy,
                                                  kSectionFilterState};
    current_ = kOther;
    for (std::size_t i = 0; i < seen_.size(); ++i) {
      if (!sameProfileName(name, kNames[i])) continue;
      if (!seen_[i]) current_ = static_cast<Wanted>(i);
      seen_[i] = true;
    }
  }
  Wanted current() const { return current_; }

 private:
  std::array<bool, 3> seen_{};
  Wanted current_ = kOther;
};

// n for digits that read as a decimal number without leading zeros.
std::optional<std::size_t> decimal(std::string_view digits) {
  if (digits.empty() || (digits.size() > 1 && digits.front() == '0')) return std::nullopt;
  if (digits.size() > 18) return std::nullopt;  // beyond any list
  std::size_t n = 0;
  for (const char c : digits) {
    if (!isDigit(c)) return std::nullopt;
    n = n * 10 + static_cast<std::size_t>(c - '0');
  }
  return n;
}

// i for a name that reads as "Ext" + i + suffix (i in decimal, without
// leading zeros), whatever its case.
std::optional<std::size_t> extPosition(std::string_view name, std::string_view suffix) {
  if (name.size() < kKeyExtPrefix.size() + 1 + suffix.size() ||
      !sameProfileName(name.substr(0, kKeyExtPrefix.size()), kKeyExtPrefix) ||
      !sameProfileName(name.substr(name.size() - suffix.size()), suffix)) {
    return std::nullopt;
  }
  return decimal(
      name.substr(kKeyExtPrefix.size(), name.size() - kKeyExtPrefix.size() - suffix.size()));
}

// Which names of a section repeat an earlier one, without a probe at a
// random place for each: a section of the names a save writes, "Ext" + i,
// is told apart by i in a bit set that fills in order; only other names go
// to the hash set. The two kinds never meet: a name that reads as "Ext" + i
// equals no name but those that read as "Ext" + i too.
class RepeatFinder {
 public:
  // Numbers below this are kept as bits (2 MB at most); larger ones by name.
  static constexpr std::size_t kMaxNumbered = std::size_t{1} << 24;

  // Notes the name; false when an equal one was noted before.
  bool note(std::string_view name) {
    if (const std::optional<std::size_t> n = numbered(name)) {
      if (*n >= seen_.size()) seen_.resize(std::max(*n + 1, 2 * seen_.size()));
      if (seen_[*n]) {
        repeatedNumbers_.insert(*n);
        return false;
      }
      seen_[*n] = true;
      return true;
    }
    const std::uint32_t hash = nameHash(name);
    if (hashes_.insert(hash)) return true;
    repeatedHashes_.insert(hash);
    return false;
  }
  // After every name was noted: whether the name may stand more than once
  // (names hashed alike are told apart by the caller).
  bool mayRepeat(std::string_view name) const {
    if (repeatedNumbers_.empty() && repeatedHashes_.empty()) return false;
    if (const std::optional<std::size_t> n = numbered(name)) return repeatedNumbers_.contains(*n);
    return repeatedHashes_.contains(nameHash(name));
  }
  // The memory that only noting needs.
  void doneNoting() {
    std::vector<bool>().swap(seen_);
    hashes_ = HashSet();
  }

 private:
  static std::optional<std::size_t> numbered(std::string_view name) {
    const std::optional<std::size_t> n = extPosition(name, "");
    return n && *n < kMaxNumbered ? n : std::nullopt;
  }

  std::vector<bool> seen_;
  HashSet hashes_;
  std::unordered_set<std::size_t> repeatedNumbers_;
  std::unordered_set<std::uint32_t> repeatedHashes_;
};

}  // namespace

// A number too large for any integer type is still an integer other than
// zero, and so true.
bool parseProfileBoolean(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ')
    ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const std::string_view rest = text.substr(i);
  std::string_view digits = rest;
  bool (*valid)(char) = isDigit;
  if (rest.starts_with('$')) {
    digits = rest.substr(1);
    valid = isHexDigit;
  } else if (rest.starts_with("0x") || rest.starts_with("0X")) {
    digits = rest.substr(2);
    valid = isHexDigit;
  }
  if (digits.empty()) return false;
  bool nonZero = false;
  for (const char c : digits) {
    if (!valid(c)) return false;
    nonZero = nonZero || c != '0';
  }
  return nonZero;
}

std::optional<TemplateSettings> readSettings(PersistFiles& files, const std::string& iniPath) {
  if (!files.isFile(iniPath)) return std::nullopt;
  std::optional<std::string> bytes;
  try {
    bytes = files.read(iniPath);
  } catch (const Error&) {
    return TemplateSettings{};
  }
  if (!bytes) return std::nullopt;  // gone since it was looked for
  return parseSettings(*bytes);
}

// Two passes over the text, no document: a file of a million filter entries
// costs little more than its bytes and the entries themselves. The first
// pass reads the fields, counts the entries and notes which key names
// repeat; the second makes the entries and reads their check marks. An
// entry's text is the value of the first key of its name, as a look-up by
// that name gives it: names are compared for certain only where they may
// repeat.
TemplateSettings parseSettings(std::string_view bytes) {
  TemplateSettings settings;
  std::string* const fields[] = {&settings.clipLoc, &settings.clipName, &settings.scriptName,
                                 &settings.scriptDest};
  constexpr std::string_view kFieldKeys[] = {kKeyClipLoc, kKeyClipName, kKeyScriptName,
                                             kKeyScriptDest};
  std::array<bool, 4> fieldRead{};
  std::size_t count = 0;
  RepeatFinder repeats;
  {
    SectionTracker section;
    scanProfile(bytes, [&](const ProfileItem& item) {
      if (item.header) {
        section.enter(item.name);
      } else if (section.current() == kEntries) {
        for (std::size_t i = 0; i < fieldRead.size(); ++i) {
          if (!fieldRead[i] && sameProfileName(item.name, kFieldKeys[i])) {
            *fields[i] = item.value;
            fieldRead[i] = true;
          }
        }
      } else if (section.current() == kFilterBy) {
        ++count;
        repeats.note(item.name);
      }
    });
  }
  repeats.doneNoting();
  if (count == 0) return settings;

  settings.filters.reserve(count);
  std::vector<signed char> checked(count, -1);               // -1: no mark read yet
  std::unordered_map<std::string, std::size_t> firstOfName;  // of the names hashed alike
  SectionTracker section;
  scanProfile(bytes, [&](const ProfileItem& item) {
    if (item.header) {
      section.enter(item.name);
    } else if (section.current() == kFilterState) {
      // Only "Ext" + position + "State" is ever looked up.
      if (const std::optional<std::size_t> i = extPosition(item.name, kKeyStateSuffix);
          i && *i < count) {
        if (checked[*i] < 0) checked[*i] = parseProfileBoolean(item.value) ? 1 : 0;
      }
    } else if (section.current() == kFilterBy) {
      const std::size_t i = settings.filters.size();
      if (repeats.mayRepeat(item.name)) {
        const auto [first, isFirst] = firstOfName.try_emplace(folded(item.name), i);
        if (!isFirst) {
          settings.filters.push_back({settings.filters[first->second].text, CheckState::Unchecked});
          return;
        }
      }
      settings.filters.push_back({std::string(item.value), CheckState::Unchecked});
    }
  });
  for (std::size_t i = 0; i < count; ++i) {
    if (checked[i] > 0) settings.filters[i].state = CheckState::Checked;
  }
  return settings;
}

void writeSettings(PersistFiles& files, UserPort& user, const std::string& iniPath,
                   const std::string& templatePath, const TemplateSettings& settings) {
  const auto unableToWrite = [&] { return Error::withMessage(msg::unableToWrite(iniPath)); };
  // A line end inside a value would end its line and let the rest pose as
  // keys of its own; such a value cannot be stored, so nothing is written.
  const auto holdsLineEnd = [](std::string_view value) {
    return value.find_first_of("\r\n") != std::string_view::npos;
  };
  bool unstorable = holdsLineEnd(settings.clipLoc) || holdsLineEnd(settings.clipName) ||
                    holdsLineEnd(settings.scriptName) || holdsLineEnd(settings.scriptDest);
  for (const FilterEntry& entry : settings.filters)
    unstorable = unstorable || holdsLineEnd(entry.text);
  if (unstorable) throw unableToWrite();

  bool update = false;
  if (files.isFile(iniPath)) {
    // The template's own file (a template named "x.ini") is never asked
    // about: a fresh file would throw away the template text just written.
    update = iniPath == templatePath ||
             user.messageBox(MessageKind::Warning, Buttons::OkCancel,
                             msg::settingsOverwriteQuestion(iniPath)) != Answer::Ok;
  }
  if (!update) {
    try {
      files.writeWith(iniPath, [&](PersistFiles::Sink& sink) { writeFresh(sink, settings); });
    } catch (const Error&) {
      throw unableToWrite();
    }
    return;
  }
  ProfileDocument doc;
  try {
    if (const std::optional<std::string> bytes = files.read(iniPath)) {
      doc = ProfileDocument::parse(*bytes);
    }
  } catch (const Error&) {
    throw unableToWrite();
  }

  doc.set(kSectionEntries, kKeyClipLoc, settings.clipLoc);
  doc.set(kSectionEntries, kKeyClipName, settings.clipName);
  doc.set(kSectionEntries, kKeyScriptName, settings.scriptName);
  doc.set(kSectionEntries, kKeyScriptDest, settings.scriptDest);
  for (std::size_t i = 0; i < settings.filters.size(); ++i) {
    doc.set(kSectionFilterBy, extKey(i), settings.filters[i].text);
    doc.set(kSectionFilterState, stateKey(i),
            settings.filters[i].state == CheckState::Checked ? "1" : "0");
  }

  try {
    files.write(iniPath, doc.bytes());
  } catch (const Error&) {
    throw unableToWrite();
  }
}

}  // namespace clipquill
