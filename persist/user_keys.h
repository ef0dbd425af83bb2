// SPDX-License-Identifier: GPL-3.0-or-later
// Every key the program keeps in the user's settings, declared once and in
// one style, so that a part of the window that remembers something adds a
// row here rather than a literal of its own.
#pragma once

#include <string_view>

namespace clipquill {

inline constexpr std::string_view kRecentTemplatesKey = "RecentTemplates";  // a list
inline constexpr std::string_view kStandardKeysKey = "StandardKeys";        // a flag
inline constexpr std::string_view kWindowPlaceKey = "WindowPlace";          // "x y width height"
inline constexpr std::string_view kWindowMaximisedKey = "WindowMaximised";  // a flag
// The picture pane's width in the window, in logical pixels.
inline constexpr std::string_view kPictureWidthKey = "PictureWidth";
inline constexpr std::string_view kPreviewShownKey = "PreviewShown";    // a flag
inline constexpr std::string_view kNameToLastDotKey = "NameToLastDot";  // a flag

// A key an earlier version kept under another name. Its value is read under
// the new name while the new one is absent; the next write keeps only the
// new name, so that the user's choice outlives the rename.
struct RenamedUserKey {
  std::string_view before;
  std::string_view now;
};

inline constexpr RenamedUserKey kRenamedUserKeys[] = {
    {"preview.shown", kPreviewShownKey},
};

}  // namespace clipquill
