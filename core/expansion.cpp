// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/expansion.h"

#include "core/constants.h"

namespace clipquill {

namespace {

// Both tokens are three characters long and start with "<".
constexpr std::size_t kTokenLength = 3;
static_assert(kSourceToken.size() == kTokenLength && kClipToken.size() == kTokenLength);

// Walks the line as its expansion reads: put(piece, from, token) is told
// each piece in turn, the line's own text from offset `from`, or what the
// token at `from` stands for (clipAt(k) for the k-th "<F>"), and returns
// false to stop the walk there.
template <class ClipAt, class Put>
void substitute(std::string_view line, std::string_view sourceDir, ClipAt clipAt, Put put) {
  std::size_t clipIndex = 0;
  std::size_t copied = 0;
  for (std::size_t pos = line.find('<'); pos != std::string_view::npos; pos = line.find('<', pos)) {
    const std::string_view candidate = line.substr(pos, kTokenLength);
    if (candidate == kSourceToken || candidate == kClipToken) {
      if (!put(line.substr(copied, pos - copied), copied, false)) return;
      if (!put(candidate == kSourceToken ? sourceDir : clipAt(clipIndex++), pos, true)) return;
      pos += kTokenLength;
      copied = pos;
    } else {
      ++pos;
    }
  }
  put(line.substr(copied), copied, false);
}

// Copies the line into out, asking clipAt(k) for the text of the k-th "<F>",
// and stops once it has added limit bytes.
template <class ClipAt>
void appendSubstituted(std::string& out, std::string_view line, std::string_view sourceDir,
                       ClipAt clipAt, std::size_t limit) {
  const std::size_t start = out.size();
  substitute(line, sourceDir, clipAt, [&](std::string_view piece, std::size_t, bool) {
    out.append(piece.substr(0, limit - (out.size() - start)));
    return out.size() - start < limit;
  });
}

// Where byte `at` of the line's expansion comes from in the line.
template <class ClipAt>
std::size_t substitutedFrom(std::string_view line, std::string_view sourceDir, ClipAt clipAt,
                            std::size_t at) {
  std::size_t from = line.size();
  std::size_t done = 0;  // bytes of the expansion before the piece
  substitute(line, sourceDir, clipAt, [&](std::string_view piece, std::size_t pos, bool token) {
    if (at >= done + piece.size()) {
      done += piece.size();
      return true;
    }
    from = token ? pos : pos + (at - done);
    return false;
  });
  return from;
}

// How a joined script widens a line: `copies` copies of `insert` put in at `at`.
struct Widening {
  std::string_view insert;
  std::size_t at = 0;
  std::size_t copies = 0;
};

Widening widening(std::string_view line, std::size_t clipCount) {
  if (clipCount < 2) return {};
  Widening w;
  std::string_view search;
  if (line.find("<P><F>") != std::string_view::npos) {
    w.insert = "\"<P><F>\", ";
    search = "\"<P>";
  } else if (line.find(kSourceToken) != std::string_view::npos) {
    w.insert = "\"<P>\", ";
    search = "\"<P>";
  } else if (line.find(kClipToken) != std::string_view::npos) {
    w.insert = "\"<F>\", ";
    search = "\"<F>";
  } else {
    return {};
  }
  // Each insertion lands in front of the first occurrence of the search text,
  // and every inserted copy begins with that text itself: so all copies stand
  // at one place, the first occurrence in the original line (or its start).
  const std::size_t found = line.find(search);
  w.at = found == std::string_view::npos ? 0 : found;
  w.copies = clipCount - 1;
  return w;
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
  const Widening w = widening(line, clipCount);
  if (w.copies == 0) return std::string(line);
  std::string widened;
  widened.reserve(line.size() + w.insert.size() * w.copies);
  widened.append(line.substr(0, w.at));
  for (std::size_t i = 0; i < w.copies; ++i)
    widened.append(w.insert);
  widened.append(line.substr(w.at));
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

std::size_t templateOffsetOf(std::string_view line, std::string_view sourceDir,
                             std::span<const std::string> clips, bool join, std::size_t at) {
  if (!join) {
    const std::string_view clip = clips.empty() ? std::string_view() : clips.front();
    return substitutedFrom(
        line, sourceDir, [clip](std::size_t) { return clip; }, at);
  }
  const Widening w = widening(line, clips.size());
  const std::size_t from = substitutedFrom(
      widenLine(line, clips.size()), sourceDir,
      [clips](std::size_t k) -> std::string_view {
        return k < clips.size() ? std::string_view(clips[k]) : std::string_view();
      },
      at);
  // The copies are the line's own reference repeated: they stand where it does.
  const std::size_t added = w.insert.size() * w.copies;
  if (from < w.at) return from;
  return from < w.at + added ? w.at : from - added;
}

}  // namespace clipquill
