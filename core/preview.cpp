// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/preview.h"

#include <span>

#include "core/expansion.h"
#include "core/naming.h"
#include "core/paths.h"

namespace clipquill {

ScriptPreview previewScript(const ScriptInputs& in, std::string_view clip,
                            std::size_t maxLineBytes) {
  ScriptPreview preview;
  const std::string sourceDir = withTrailingSeparator(in.sourceText);
  const std::string perClip(clip);
  const std::span<const std::string> clips =
      in.join ? in.selectedClips : std::span<const std::string>(&perClip, 1);
  preview.scriptFile =
      in.join ? JoinedScriptName(in.nameText) : PerClipScriptName(in.nameText, clip).scriptFile;
  if (!in.destText.empty()) preview.path = withTrailingSeparator(in.destText) + preview.scriptFile;
  for (const std::string_view line : in.templateLines) {
    const std::size_t start = preview.text.size();
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

}  // namespace clipquill
