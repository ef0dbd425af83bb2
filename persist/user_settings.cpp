// SPDX-License-Identifier: GPL-3.0-or-later
#include "persist/user_settings.h"

#include <cmath>

#include <utility>

#include "core/constants.h"
#include "core/error.h"
#include "core/paths.h"

namespace clipquill {

namespace {

constexpr std::string_view kHeader =
    "# Clipquill's own settings for this user: one key=value a line.\n";

// A root keeps its own separator ("/", "C:\").
std::string withoutTrailingSeparators(std::string path,
                                      const PathSeparators& seps = kPosixSeparators) {
  const auto isSeparator = [&](char c) { return c != ':' && seps.all.find(c) != seps.all.npos; };
  while (path.size() > 1 && isSeparator(path.back()) && !(path.size() == 3 && path[1] == ':'))
    path.pop_back();
  return path;
}

std::string escaped(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (const char c : value) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// A lone or unknown escape keeps its backslash: a hand-edited Windows path
// reads as it was typed.
std::string unescaped(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) {
      const char next = value[i + 1];
      if (next == '\\' || next == 'n' || next == 'r') {
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
        ++i;
        continue;
      }
    }
    out += value[i];
  }
  return out;
}

std::string listKey(std::string_view key, std::size_t position) {
  return std::string(key) + "." + std::to_string(position);
}

}  // namespace

bool isSettingsKey(std::string_view key) {
  if (key.empty()) return false;
  for (const char c : key) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '.' || c == '_' || c == '-';
    if (!ok) return false;
  }
  return true;
}

SettingsMap parseUserSettings(std::string_view bytes) {
  SettingsMap values;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || !isSettingsKey(line.substr(0, equals))) continue;
    values.insert_or_assign(std::string(line.substr(0, equals)),
                            unescaped(line.substr(equals + 1)));
  }
  return values;
}

std::string formatUserSettings(const SettingsMap& values) {
  std::string out(kHeader);
  for (const auto& [key, value] : values)
    out += key + "=" + escaped(value) + "\n";
  return out;
}

std::optional<UserConfigPlace> userConfigPlace(const char* xdgConfigHome, const char* home) {
  const std::string app(kAppTitle);
  const bool hasHome = home != nullptr && home[0] == '/';
  // The XDG rules count only an absolute XDG_CONFIG_HOME.
  if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/') {
    const std::string config = withoutTrailingSeparators(xdgConfigHome);
    UserConfigPlace place{config == "/" ? "/" + app : config + "/" + app, {config}};
    if (hasHome) place.roots.push_back(withoutTrailingSeparators(home));
    return place;
  }
  if (!hasHome) return std::nullopt;
  const std::string base = withoutTrailingSeparators(home);
  return UserConfigPlace{(base == "/" ? "" : base) + "/.config/" + app, {base}};
}

std::optional<UserConfigPlace> userConfigPlaceIn(std::string_view appDataFolder,
                                                 const PathSeparators& seps) {
  const std::string base = withoutTrailingSeparators(std::string(appDataFolder), seps);
  if (!isAbsolutePath(base, seps)) return std::nullopt;
  return UserConfigPlace{withTrailingSeparator(base, seps) + std::string(kAppTitle), {base}};
}

void adoptRenamedKeys(SettingsMap& values) {
  for (const RenamedUserKey& renamed : kRenamedUserKeys) {
    const auto before = values.find(renamed.before);
    if (before == values.end()) continue;
    values.try_emplace(std::string(renamed.now), std::move(before->second));
    values.erase(before);
  }
}

UserSettings::UserSettings(PersistFiles& files, std::optional<UserConfigPlace> place)
    : files_(files), place_(std::move(place)) {
  reload();
}

std::string UserSettings::path() const {
  if (!place_) return "";
  return place_->folder + kNativeSeparators.primary + std::string(kFileName);
}

void UserSettings::reload() {
  if (!place_) return;
  try {
    if (const std::optional<std::string> bytes = files_.read(path())) {
      values_ = parseUserSettings(*bytes);
      adoptRenamedKeys(values_);
    }
  } catch (const Error&) {
    // An unreadable file: what this run has stays.
  }
}

std::optional<std::string> UserSettings::value(std::string_view key) const {
  const auto it = values_.find(key);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

std::string userKeyName(std::string_view name, KeyScope scope, double scale) {
  // Hundredths are as fine as scales are set: 1.5 is ".scale1.5", 2 is
  // ".scale2" (the settings' keys take letters, digits and ".").
  const long hundredths = std::lround(scale * 100);
  if (scope == KeyScope::User || hundredths == 100 || hundredths <= 0) return std::string(name);
  std::string text = std::to_string(hundredths / 100);
  if (hundredths % 100 != 0) {
    text += '.';
    text += static_cast<char>('0' + hundredths % 100 / 10);
    if (hundredths % 10 != 0) text += static_cast<char>('0' + hundredths % 10);
  }
  return std::string(name) + ".scale" + text;
}

bool UserSettings::get(const FlagKey& key, double scale) const {
  return flag(userKeyName(key.name, key.scope, scale), key.fallback);
}

std::optional<std::string> UserSettings::get(const TextKey& key, double scale) const {
  return value(userKeyName(key.name, key.scope, scale));
}

std::vector<std::string> UserSettings::get(const ListKey& key, double scale) const {
  return list(userKeyName(key.name, key.scope, scale));
}

bool UserSettings::set(const FlagKey& key, bool on, double scale) {
  return setFlag(userKeyName(key.name, key.scope, scale), on);
}

bool UserSettings::set(const TextKey& key, std::string_view text, double scale) {
  return setValue(userKeyName(key.name, key.scope, scale), text);
}

bool UserSettings::set(const ListKey& key, const std::vector<std::string>& items, double scale) {
  return setList(userKeyName(key.name, key.scope, scale), items);
}

bool UserSettings::flag(std::string_view key, bool fallback) const {
  const std::optional<std::string> text = value(key);
  if (text == "1") return true;
  if (text == "0") return false;
  return fallback;
}

std::vector<std::string> UserSettings::list(std::string_view key) const {
  std::vector<std::string> items;
  for (std::size_t i = 1;; ++i) {
    std::optional<std::string> item = value(listKey(key, i));
    if (!item) return items;
    items.push_back(std::move(*item));
  }
}

bool UserSettings::setValue(std::string_view key, std::string_view text) {
  if (!isSettingsKey(key)) return false;
  return change([&](SettingsMap& values) { values.insert_or_assign(std::string(key), text); });
}

bool UserSettings::setFlag(std::string_view key, bool on) {
  return setValue(key, on ? "1" : "0");
}

bool UserSettings::setList(std::string_view key, const std::vector<std::string>& items) {
  if (!isSettingsKey(key)) return false;
  return change([&](SettingsMap& values) {
    for (std::size_t i = 1; values.erase(listKey(key, i)) > 0; ++i) {
    }
    for (std::size_t i = 0; i < items.size(); ++i)
      values.insert_or_assign(listKey(key, i + 1), items[i]);
  });
}

bool UserSettings::remove(std::string_view key) {
  return change([&](SettingsMap& values) {
    if (const auto it = values.find(key); it != values.end()) values.erase(it);
  });
}

bool UserSettings::change(const std::function<void(SettingsMap&)>& edit) {
  reload();
  edit(values_);
  if (!place_ || !makeFolder()) return false;
  try {
    files_.write(path(), formatUserSettings(values_));
    return true;
  } catch (const Error&) {
    return false;
  }
}

// The folders between the first root that exists and the settings folder.
// A root itself is never made: making the folder just below a missing root
// fails, and the next root is tried.
bool UserSettings::makeFolder() {
  const std::string& folder = place_->folder;
  const PathSeparators& seps = kNativeSeparators;
  for (const std::string& root : place_->roots) {
    const std::string prefix = withTrailingSeparator(root, seps);
    if (!folder.starts_with(prefix)) continue;
    try {
      for (std::size_t slash = folder.find_first_of(seps.all, prefix.size());;
           slash = folder.find_first_of(seps.all, slash + 1)) {
        files_.makeFolder(folder.substr(0, slash));
        if (slash == std::string::npos) return true;
      }
    } catch (const Error&) {
    }
  }
  return false;
}

}  // namespace clipquill
