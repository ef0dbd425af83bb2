// SPDX-License-Identifier: GPL-3.0-or-later
#include "persist/settings_file.h"

#include <cstddef>

#include "core/constants.h"
#include "core/error.h"
#include "core/messages.h"
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

  const ProfileDocument doc = ProfileDocument::parse(*bytes);
  const auto text = [&](std::string_view section, std::string_view key) {
    return doc.value(section, key).value_or("");
  };
  TemplateSettings settings;
  settings.clipLoc = text(kSectionEntries, kKeyClipLoc);
  settings.clipName = text(kSectionEntries, kKeyClipName);
  settings.scriptName = text(kSectionEntries, kKeyScriptName);
  settings.scriptDest = text(kSectionEntries, kKeyScriptDest);
  const std::vector<std::string> names = doc.keys(kSectionFilterBy);
  settings.filters.reserve(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    // The check mark goes by position, not by the name of the entry's key.
    const bool checked = parseProfileBoolean(text(kSectionFilterState, stateKey(i)));
    settings.filters.push_back(
        {text(kSectionFilterBy, names[i]), checked ? CheckState::Checked : CheckState::Unchecked});
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
  ProfileDocument doc;
  if (update) {
    try {
      if (const std::optional<std::string> bytes = files.read(iniPath)) {
        doc = ProfileDocument::parse(*bytes);
      }
    } catch (const Error&) {
      throw unableToWrite();
    }
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
