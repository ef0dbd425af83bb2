// SPDX-License-Identifier: GPL-3.0-or-later
// What the program keeps for its user rather than for a template: the recent
// templates, the window's place, the keyboard scheme, and whatever else a
// part of the window wants to remember. One small file in the user's config
// folder, read at start and written, whole and atomically, at each change.
//
// The file holds one "key=value" a line. Keys are letters, digits, ".", "_"
// and "-"; in values "\" is written "\\", a line feed "\n" and a carriage
// return "\r", so that any path survives. Lines that are not of this form
// (a comment, a blank, a hand-edited mistake) are skipped, not fatal.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/paths.h"
#include "persist/persist_files.h"
#include "persist/user_keys.h"

namespace clipquill {

using SettingsMap = std::map<std::string, std::string, std::less<>>;

SettingsMap parseUserSettings(std::string_view bytes);
std::string formatUserSettings(const SettingsMap& values);
bool isSettingsKey(std::string_view key);
// Each key of kRenamedUserKeys moved to its new name, unless that is taken.
void adoptRenamedKeys(SettingsMap& values);

// Where the settings live, and the folders under which the program may make
// the ones missing on the way there. It never makes the home folder, nor a
// config folder the user named outside it: a missing home is a sign of a
// system account or a broken setup, not a place to fill.
struct UserConfigPlace {
  std::string folder;              // ".../Clipquill", without a trailing separator
  std::vector<std::string> roots;  // existing folders to build below, in order
};

// "$XDG_CONFIG_HOME/Clipquill" when that is an absolute path, else
// "$HOME/.config/Clipquill"; folders are made below the config folder when it
// exists, else below home. Nothing when there is neither.
std::optional<UserConfigPlace> userConfigPlace(const char* xdgConfigHome, const char* home);
// "Clipquill" in a per-user application data folder (on Windows the roaming
// one), made below that folder only. Nothing when the folder is not an
// absolute path.
std::optional<UserConfigPlace> userConfigPlaceIn(std::string_view appDataFolder,
                                                 const PathSeparators& seps = kNativeSeparators);
// This system's place: the XDG rules from the environment, or on Windows the
// roaming application data folder.
std::optional<UserConfigPlace> systemUserConfigPlace();

// The name a key is kept under: per scale, "name.scale2", "name.scale1.5";
// at scale 1 (or none), and for a key of the user, the plain name.
std::string userKeyName(std::string_view name, KeyScope scope, double scale);

class UserSettings {
 public:
  // The file's name in the config folder.
  static constexpr std::string_view kFileName = "settings";

  // Reads the file, if there is one. No place: nothing is read or written,
  // and every value is its fallback.
  UserSettings(PersistFiles& files, std::optional<UserConfigPlace> place);

  // None of these raises: settings are a convenience, and a file that cannot
  // be read or written leaves the program working on what it has in memory.
  std::optional<std::string> value(std::string_view key) const;
  bool flag(std::string_view key, bool fallback) const;
  // A list is kept as "key.1", "key.2", ... in order.
  std::vector<std::string> list(std::string_view key) const;

  // The keys of the table (user_keys.h), each by its type, with its default;
  // a key kept per scale at the screen scale given.
  bool get(const FlagKey& key, double scale = 1) const;
  std::optional<std::string> get(const TextKey& key, double scale = 1) const;
  std::vector<std::string> get(const ListKey& key, double scale = 1) const;
  bool set(const FlagKey& key, bool on, double scale = 1);
  bool set(const TextKey& key, std::string_view text, double scale = 1);
  bool set(const ListKey& key, const std::vector<std::string>& items, double scale = 1);

  // Each change is written at once, over what the file holds now, so that
  // two windows open at the same time lose only each other's same key.
  // false when the file could not be written; the change still holds for
  // this run.
  bool setValue(std::string_view key, std::string_view value);
  bool setFlag(std::string_view key, bool on);
  bool setList(std::string_view key, const std::vector<std::string>& items);
  bool remove(std::string_view key);

  // The file's path, with the platform's separator, or "" without a place.
  std::string path() const;

 private:
  bool change(const std::function<void(SettingsMap&)>& edit);
  void reload();
  bool makeFolder();

  PersistFiles& files_;
  std::optional<UserConfigPlace> place_;
  SettingsMap values_;
};

}  // namespace clipquill
