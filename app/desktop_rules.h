// SPDX-License-Identifier: GPL-3.0-or-later
// The window's manners on a desktop, as rules without a toolkit: the list of
// recent templates, where the window opens, what a drop means, which keys
// run which command, and when a finished run is worth a notification. The
// Qt window only measures the screen and the clock and applies the answers.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "clips/folders.h"
#include "persist/user_keys.h"  // the keys these rules keep

namespace clipquill {

// --- Recent templates -------------------------------------------------------

inline constexpr std::size_t kRecentTemplates = 8;

// path put first, any earlier mention of it taken out, the list cut to max.
std::vector<std::string> withRecent(std::vector<std::string> list, const std::string& path,
                                    std::size_t max = kRecentTemplates);

// --- The window's place -----------------------------------------------------

struct WindowRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const WindowRect&) const = default;
};

// The decorations a window manager puts around the window's own area.
struct FrameMargins {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// The window's own area (without its frame) for a window that is to open
// inside area, the screen's available area. The saved place, if any, else
// the preferred size centred. Whatever was saved or preferred, the frame
// ends up inside area: the size shrinks to fit (never below the window's
// minimum) and the place moves in; where even the minimum does not fit, the
// title bar and the left edge stay on the screen.
WindowRect placeWindow(std::optional<WindowRect> saved, const WindowRect& area, int preferredWidth,
                       int preferredHeight, int minimumWidth, int minimumHeight,
                       const FrameMargins& frame = {});

// "x y width height", as the user settings keep it. Nothing for text that
// is not four numbers with a positive size.
std::optional<WindowRect> parseWindowRect(std::string_view text);
std::string formatWindowRect(const WindowRect& rect);

// --- The window's size with the preview -------------------------------------

// The least share of the screen's available area, in percent of each side,
// that a first window showing the preview and its picture takes: the drawn
// size was laid out before they were there and leaves them too little.
inline constexpr int kFairShareWidthPercent = 75;
inline constexpr int kFairShareHeightPercent = 85;

// One side of a first window's own area (its frame left out) with the
// preview shown: what its panes want for their figures, at least the fair
// share of the area's side and the drawn length, never past the area less
// the frame's two margins on that side.
int firstWindowLength(int wanted, int drawn, int areaLength, int percent, int marginBefore = 0,
                      int marginAfter = 0);

// The picture pane's width where the window's splitter shares total between
// the drawn layout and the picture: the width the user kept, else the width
// wanted, raised to two fifths of total. The drawn layout keeps its least
// width, at which its texts are whole; the picture gets no less than 0.
int pictureWidth(std::optional<int> kept, int wanted, int total, int leftLeast);

// The picture's width as the settings keep it (kPictureWidthKey): a positive
// number, nothing for anything else.
std::optional<int> parsePaneWidth(std::string_view text);

// --- Drops ------------------------------------------------------------------

// Where something was dropped.
enum class DropTarget { SourceField, DestinationField, ClipList, Elsewhere };

struct DropDecision {
  enum Action { Refuse, SetSource, SetDestination, SelectClips, LoadTemplate };
  Action action = Refuse;
  std::string path;                // the folder to set, or the template to load
  std::vector<std::string> clips;  // SelectClips: the names, in path's folder
  bool operator==(const DropDecision&) const = default;
};

struct DroppedPath {
  std::string path;
  PathKind kind;
};

// A folder on either folder field sets it; files of one folder on the clip
// list set the source folder and select them (a folder there sets it too);
// one template file (".qtpl") anywhere else, a field included, loads it.
// Anything else is refused, so the pointer shows that it will not land.
DropDecision decideDrop(DropTarget target, const std::vector<DroppedPath>& paths);
// What the window says when some dropped clips are not in the list; "" when
// every one was selected.
std::string dropNote(std::size_t dropped, std::size_t selected);

// --- Keys -------------------------------------------------------------------

// The specified keys, or the desktop's own (Ctrl+Q, Ctrl+O, editing keys
// left to the fields, the two option flags without a key).
enum class KeyScheme { Specified, Desktop };

enum class Command {
  LoadTemplate,
  SaveTemplate,
  EditFilters,
  Exit,
  LoadInis,
  SaveInis,
  Using,
  About,
  CreateScripts,
};

// The keys of command in the portable notation ("Ctrl+L", "F1"); the menu
// shows the first. Empty: no key.
std::vector<std::string> commandKeys(KeyScheme scheme, Command command);
// Whether the window's keys come before the keys a field claims for editing.
inline bool keysBeforeEditing(KeyScheme scheme) {
  return scheme == KeyScheme::Specified;
}
// What the window says when an option flips: "Save Template .ini's: off".
std::string optionNote(std::string_view caption, bool on);

// --- The end of a long run ----------------------------------------------------

inline constexpr std::chrono::milliseconds kNotifyAfter{10'000};

// A run that took long and ended while the user looked elsewhere.
inline bool worthNotifying(std::chrono::milliseconds took, bool windowActive,
                           std::chrono::milliseconds after = kNotifyAfter) {
  return took > after && !windowActive;
}

struct RunNotice {
  std::string summary;
  std::string body;
};
// "12 scripts written", "in /dest/"; stopped says the run ended early.
RunNotice runNotice(std::size_t written, std::string_view destination, bool stopped);

}  // namespace clipquill
