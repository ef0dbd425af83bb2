// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/expansion.h"

#include "core/constants.h"

namespace clipquill {

namespace {

// Both tokens are three characters long and start with "<".
constexpr std::size_t kTokenLength = 3;
static_assert(kSourceToken.size() == kTokenLength && kClipToken.size() == kTokenLength);

// Copies the line into out, asking clipAt(k) for the text of the k-th "<F>",
// and stops once it has added limit bytes.
template <class ClipAt>
void appendSubstituted(std::string& out, std::string_view line, std::string_view sourceDir,
                       ClipAt clipAt, std::size_t limit) {
  const std::size_t start = out.size();
  auto put = [&](std::string_view piece) {
    out.append(piece.substr(0, limit - (out.size() - start)));
  };
  auto full = [&] { return out.size() - start >= limit; };
  std::size_t clipIndex = 0;
  std::size_t copied = 0;
  for (std::size_t pos = line.find('<'); pos != std::string_view::npos && !full();
       pos = line.find('<', pos)) {
    const std::string_view candidate = line.substr(pos, kTokenLength);
    if (candidate == kSourceToken || candidate == kClipToken) {
      put(line.substr(copied, pos - copied));
      put(candidate == kSourceToken ? sourceDir : clipAt(clipIndex++));
      pos += kTokenLength;
      copied = pos;
    } else {
      ++pos;
    }
  }
  if (!full()) put(line.substr(copied));
}

}  // namespace

void appendPerClipLine(std::string& out, std::string_view line, std::string_view sourceDir,
                       std::string_view clip) {
  appendSubstituted(
      out, line, sourceDir, [clip](std::size_t) { return clip; }, std::string_view::npos);
}

void appendJoinedLine(std::string& out, std::string_view line, std::string_view sourceDir,
                      std::span<const std::string> clips, std::size_t limit) {
  appendSubstituted(
      out, line, sourceDir,
      [clips](std::size_t k) -> std::string_view {
        return k < clips.size() ? std::string_view(clips[k]) : std::string_view();
      },
      limit);
}

std::string widenLine(std::string_view line, std::size_t clipCount) {
  if (clipCount < 2) return std::string(line);

  std::string_view insert;
  std::string_view search;
  if (line.find("<P><F>") != std::string_view::npos) {
    insert = "\"<P><F>\", ";
    search = "\"<P>";
  } else if (line.find(kSourceToken) != std::string_view::npos) {
    insert = "\"<P>\", ";
    search = "\"<P>";
  } else if (line.find(kClipToken) != std::string_view::npos) {
    insert = "\"<F>\", ";
    search = "\"<F>";
  } else {
    return std::string(line);
  }

  // Each insertion lands in front of the first occurrence of the search text,
  // and every inserted copy begins with that text itself: so all copies stand
  // at one place, the first occurrence in the original line (or its start).
  const std::size_t found = line.find(search);
  const std::size_t at = found == std::string_view::npos ? 0 : found;

  std::string widened;
  widened.reserve(line.size() + insert.size() * (clipCount - 1));
  widened.append(line.substr(0, at));
  for (std::size_t i = 1; i < clipCount; ++i)
    widened.append(insert);
  widened.append(line.substr(at));
  return widened;
}

void appendScriptLine(std::string& out, std::string_view line, std::string_view sourceDir,
                      std::span<const std::string> clips, bool join, std::size_t limit) {
  if (join) {
    appendJoinedLine(out, widenLine(line, clips.size()), sourceDir, clips, limit);
  } else {
    const std::string_view clip = clips.empty() ? std::string_view() : clips.front();
    appendSubstituted(
        out, line, sourceDir, [clip](std::size_t) { return clip; }, limit);
  }
  out.append(kLineEnd);
}

}  // namespace clipquill
