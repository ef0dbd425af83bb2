// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/desktop_rules.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

#include "persist/path_rules.h"

namespace clipquill {

std::vector<std::string> withRecent(std::vector<std::string> list, const std::string& path,
                                    std::size_t max) {
  std::erase(list, path);
  list.insert(list.begin(), path);
  if (list.size() > max) list.resize(max);
  return list;
}

namespace {

// One axis: the start and length of the window's own area, inside the room
// that area leaves once the frame's two margins are counted.
std::pair<int, int> fitAxis(int start, int length, int minimum, int areaStart, int areaLength,
                            int marginBefore, int marginAfter) {
  const int roomStart = areaStart + marginBefore;
  const int room = areaLength - marginBefore - marginAfter;
  length = std::max(std::min(length, room), minimum);
  // Too big even at its minimum: the start (title bar, left edge) stays on.
  if (length >= room) return {roomStart, length};
  return {std::clamp(start, roomStart, roomStart + room - length), length};
}

}  // namespace

WindowRect placeWindow(std::optional<WindowRect> saved, const WindowRect& area, int preferredWidth,
                       int preferredHeight, int minimumWidth, int minimumHeight,
                       const FrameMargins& frame) {
  WindowRect want;
  if (saved && saved->width > 0 && saved->height > 0) {
    want = *saved;
  } else {
    const int roomWidth = area.width - frame.left - frame.right;
    const int roomHeight = area.height - frame.top - frame.bottom;
    want.width = preferredWidth;
    want.height = preferredHeight;
    want.x = area.x + frame.left + (roomWidth - std::min(preferredWidth, roomWidth)) / 2;
    want.y = area.y + frame.top + (roomHeight - std::min(preferredHeight, roomHeight)) / 2;
  }
  const auto [x, width] =
      fitAxis(want.x, want.width, minimumWidth, area.x, area.width, frame.left, frame.right);
  const auto [y, height] =
      fitAxis(want.y, want.height, minimumHeight, area.y, area.height, frame.top, frame.bottom);
  return {x, y, width, height};
}

std::optional<WindowRect> parseWindowRect(std::string_view text) {
  int numbers[4];
  const char* at = text.data();
  const char* end = text.data() + text.size();
  for (int& n : numbers) {
    while (at != end && *at == ' ')
      ++at;
    const auto [next, ec] = std::from_chars(at, end, n);
    if (ec != std::errc()) return std::nullopt;
    at = next;
  }
  if (at != end || numbers[2] <= 0 || numbers[3] <= 0) return std::nullopt;
  return WindowRect{numbers[0], numbers[1], numbers[2], numbers[3]};
}

std::string formatWindowRect(const WindowRect& rect) {
  return std::to_string(rect.x) + " " + std::to_string(rect.y) + " " + std::to_string(rect.width) +
         " " + std::to_string(rect.height);
}

int firstWindowLength(int wanted, int drawn, int areaLength, int percent, int marginBefore,
                      int marginAfter) {
  const int room = areaLength - marginBefore - marginAfter;
  const int fair = static_cast<int>(static_cast<long long>(areaLength) * percent / 100);
  return std::max(0, std::min(std::max({wanted, drawn, fair}), room));
}

int pictureWidth(std::optional<int> kept, int wanted, int total, int leftLeast) {
  const int width = kept && *kept > 0 ? *kept : std::max(wanted, total * 2 / 5);
  return std::max(0, std::min(width, total - leftLeast));
}

std::optional<int> parsePaneWidth(std::string_view text) {
  int width = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), width);
  if (ec != std::errc() || end != text.data() + text.size() || width <= 0) return std::nullopt;
  return width;
}

namespace {

bool isTemplateFile(const DroppedPath& dropped) {
  if (dropped.kind != PathKind::File) return false;
  const std::string name = fileNameOfPath(dropped.path);
  if (name.size() < 5) return false;
  std::string ext = name.substr(name.size() - 5);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  return ext == ".qtpl";
}

}  // namespace

DropDecision decideDrop(DropTarget target, const std::vector<DroppedPath>& paths) {
  if (paths.empty()) return {};
  const DroppedPath& first = paths.front();
  const bool one = paths.size() == 1;
  if (one && isTemplateFile(first)) return {DropDecision::LoadTemplate, first.path, {}};
  switch (target) {
    case DropTarget::SourceField:
    case DropTarget::DestinationField:
      if (one && first.kind == PathKind::Folder) {
        return {target == DropTarget::SourceField ? DropDecision::SetSource
                                                  : DropDecision::SetDestination,
                first.path,
                {}};
      }
      return {};
    case DropTarget::ClipList: {
      if (one && first.kind == PathKind::Folder) return {DropDecision::SetSource, first.path, {}};
      const std::string folder = folderOfPath(first.path);
      DropDecision decision{DropDecision::SelectClips, folder, {}};
      for (const DroppedPath& dropped : paths) {
        if (dropped.kind != PathKind::File || folderOfPath(dropped.path) != folder) return {};
        decision.clips.push_back(fileNameOfPath(dropped.path));
      }
      return decision;
    }
    case DropTarget::Elsewhere:
      return {};
  }
  return {};
}

std::string dropNote(std::size_t dropped, std::size_t selected) {
  if (selected >= dropped) return "";
  const std::size_t missing = dropped - selected;
  return std::to_string(missing) + (missing == 1 ? " dropped clip is" : " dropped clips are") +
         " not listed: the name of source(s) or the filter list leaves it out";
}

std::vector<std::string> commandKeys(KeyScheme scheme, Command command) {
  const bool desktop = scheme == KeyScheme::Desktop;
  switch (command) {
    case Command::LoadTemplate:
      return desktop ? std::vector<std::string>{"Ctrl+O", "Ctrl+L"}
                     : std::vector<std::string>{"Ctrl+L"};
    case Command::SaveTemplate:
      return {"Ctrl+S"};
    case Command::EditFilters:
      return {"Ctrl+E"};
    case Command::Exit:
      return {desktop ? "Ctrl+Q" : "Ctrl+X"};
    case Command::LoadInis:
      return desktop ? std::vector<std::string>{} : std::vector<std::string>{"Ctrl+O"};
    case Command::SaveInis:
      return desktop ? std::vector<std::string>{} : std::vector<std::string>{"Ctrl+A"};
    case Command::Using:
      return desktop ? std::vector<std::string>{"F1", "Ctrl+U"}
                     : std::vector<std::string>{"Ctrl+U", "F1"};
    case Command::About:
      return {"Ctrl+B"};
    case Command::CreateScripts:
      return {"Ctrl+Return", "Ctrl+Enter"};
  }
  return {};
}

std::string optionNote(std::string_view caption, bool on) {
  std::string note;
  for (const char c : caption) {
    if (c != '&') note += c;
  }
  return note + (on ? ": on" : ": off");
}

RunNotice runNotice(std::size_t written, std::string_view destination, bool stopped) {
  std::string summary =
      std::to_string(written) + (written == 1 ? " script" : " scripts") + " written";
  if (stopped) summary = "Stopped: " + summary;
  return {std::move(summary), "in " + std::string(destination)};
}

}  // namespace clipquill
