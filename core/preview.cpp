// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/preview.h"

#include <algorithm>
#include <iterator>
#include <span>
#include <vector>

#include "core/constants.h"
#include "core/expansion.h"
#include "core/naming.h"
#include "core/paths.h"

namespace clipquill {

namespace {

// previewScript, telling `starts` where each template line's text begins.
ScriptPreview writePreview(const ScriptInputs& in, std::string_view clip, std::size_t maxLineBytes,
                           std::vector<std::size_t>* starts) {
  ScriptPreview preview;
  const std::string perClip(clip);
  // The names as the run writes them; a name it leaves out stands as given.
  const EncodedNames names =
      encodeNames(in.names, withTrailingSeparator(in.sourceText),
                  in.join ? in.selectedClips : std::span<const std::string>(&perClip, 1));
  const std::string& sourceDir = names.folder;
  const std::span<const std::string> clips = names.clips;
  preview.scriptFile = in.join ? joinedScriptName(in.nameText)
                               : perClipScriptName(in.nameText, clip, in.nameEnd).scriptFile;
  if (!in.destText.empty()) preview.path = withTrailingSeparator(in.destText) + preview.scriptFile;
  for (const std::string_view line : in.templateLines) {
    const std::size_t start = preview.text.size();
    if (starts) starts->push_back(start);
    // One byte over the limit tells a cut line from one exactly that long.
    const std::size_t room = maxLineBytes == std::string::npos ? maxLineBytes : maxLineBytes + 1;
    appendScriptLine(preview.text, line, sourceDir, clips, in.join, room);
    const std::size_t length = preview.text.size() - start - 2;  // without its CR LF
    if (length <= maxLineBytes) continue;
    std::size_t keep = maxLineBytes;
    while (keep > 0 && (static_cast<unsigned char>(preview.text[start + keep]) & 0xC0) == 0x80)
      --keep;
    preview.text.erase(start + keep, length - keep);
    ++preview.cutLines;
  }
  return preview;
}

// The offset just past the line break at `at` as AviSynth reads one: CR or
// LF, with the other one right after it; `at` itself when none is there.
std::size_t pastBreak(std::string_view text, std::size_t at) {
  if (at >= text.size() || (text[at] != '\r' && text[at] != '\n')) return at;
  if (at + 1 < text.size() && (text[at + 1] == '\r' || text[at + 1] == '\n') &&
      text[at + 1] != text[at])
    return at + 2;
  return at + 1;
}

}  // namespace

ScriptPreview previewScript(const ScriptInputs& in, std::string_view clip,
                            std::size_t maxLineBytes) {
  return writePreview(in, clip, maxLineBytes, nullptr);
}

std::optional<TemplatePlace> templatePlaceOf(const ScriptInputs& in, std::string_view clip,
                                             int line, int column, std::size_t maxLineBytes) {
  if (line < 1) return std::nullopt;
  std::vector<std::size_t> starts;
  const ScriptPreview preview = writePreview(in, clip, maxLineBytes, &starts);
  const std::string_view text = preview.text;
  // The start of the script's line `line`, then the byte the column names,
  // kept on that line.
  std::size_t at = 0;
  for (int n = 1; n < line; ++n) {
    at = text.find_first_of("\r\n", at);
    if (at == std::string_view::npos) return std::nullopt;
    at = pastBreak(text, at);
  }
  if (at == text.size()) return std::nullopt;  // past the last line end
  const std::size_t end = std::min(text.find_first_of("\r\n", at), text.size());
  at = std::min(at + static_cast<std::size_t>(std::max(column - 1, 0)), end);

  const std::size_t index =
      static_cast<std::size_t>(std::upper_bound(starts.begin(), starts.end(), at) -
                               starts.begin()) -
      1;
  const std::string_view templateLine =
      *std::next(in.templateLines.begin(), static_cast<std::ptrdiff_t>(index));
  const std::size_t lineEnd = index + 1 < starts.size() ? starts[index + 1] : text.size();
  const std::size_t expanded = lineEnd - starts[index] - kLineEnd.size();
  const std::size_t within = at - starts[index];
  if (within >= expanded) return TemplatePlace{index, templateLine.size()};
  const std::string perClip(clip);
  // The names as the run writes them; a name it leaves out stands as given.
  const EncodedNames names =
      encodeNames(in.names, withTrailingSeparator(in.sourceText),
                  in.join ? in.selectedClips : std::span<const std::string>(&perClip, 1));
  const std::string& sourceDir = names.folder;
  const std::span<const std::string> clips = names.clips;
  return TemplatePlace{index, templateOffsetOf(templateLine, sourceDir, clips, in.join, within)};
}

}  // namespace clipquill
