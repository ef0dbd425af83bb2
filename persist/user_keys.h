// SPDX-License-Identifier: GPL-3.0-or-later
// Every key the program keeps in the user's settings, with its type, its
// scope and its default, declared once: a part of the window that remembers
// something adds a row here, and reads and writes it only through
// UserSettings' calls for its type, which know its default and scope.
#pragma once

#include <string_view>

namespace clipquill {

enum class KeyType { Flag, Text, List };

// Whose the value is: the user's, or the user's on screens of one scale (a
// window's place and its panes' sizes in pixels mean another thing at
// another scale). Scale 1 keeps the plain key.
enum class KeyScope { User, PerScale };

// A flag, "1" or "0"; absent or unreadable, its default.
struct FlagKey {
  std::string_view name;
  KeyScope scope;
  bool fallback;
};
// A text; absent, nothing (its reader's rule then decides).
struct TextKey {
  std::string_view name;
  KeyScope scope;
};
// A list, kept as "name.1", "name.2", ... in order; absent, empty.
struct ListKey {
  std::string_view name;
  KeyScope scope;
};

inline constexpr ListKey kRecentTemplatesKey{"RecentTemplates", KeyScope::User};
inline constexpr FlagKey kStandardKeysKey{"StandardKeys", KeyScope::User, false};
inline constexpr TextKey kWindowPlaceKey{"WindowPlace", KeyScope::PerScale};  // "x y width height"
inline constexpr FlagKey kWindowMaximisedKey{"WindowMaximised", KeyScope::PerScale, false};
// The picture pane's width in the window, in logical pixels.
inline constexpr TextKey kPictureWidthKey{"PictureWidth", KeyScope::PerScale};
inline constexpr FlagKey kPreviewShownKey{"PreviewShown", KeyScope::User, true};
inline constexpr FlagKey kNameToLastDotKey{"NameToLastDot", KeyScope::User, false};

// One row of the table: a key of any type, its default as the file writes it
// ("" for none).
struct UserKeyRow {
  std::string_view name;
  KeyType type;
  KeyScope scope;
  std::string_view fallback;
};

constexpr UserKeyRow userKeyRow(const FlagKey& key) {
  return {key.name, KeyType::Flag, key.scope, key.fallback ? "1" : "0"};
}
constexpr UserKeyRow userKeyRow(const TextKey& key) {
  return {key.name, KeyType::Text, key.scope, ""};
}
constexpr UserKeyRow userKeyRow(const ListKey& key) {
  return {key.name, KeyType::List, key.scope, ""};
}

// Every key, in one table.
inline constexpr UserKeyRow kUserKeys[] = {
    userKeyRow(kRecentTemplatesKey), userKeyRow(kStandardKeysKey), userKeyRow(kWindowPlaceKey),
    userKeyRow(kWindowMaximisedKey), userKeyRow(kPictureWidthKey), userKeyRow(kPreviewShownKey),
    userKeyRow(kNameToLastDotKey),
};

// A key an earlier version kept under another name. Its value is read under
// the new name while the new one is absent; the next write keeps only the
// new name, so that the user's choice outlives the rename.
struct RenamedUserKey {
  std::string_view before;
  std::string_view now;
};

inline constexpr RenamedUserKey kRenamedUserKeys[] = {
    {"preview.shown", kPreviewShownKey.name},
};

}  // namespace clipquill
