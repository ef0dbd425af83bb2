// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/preview.h"

#include <span>

#include "core/expansion.h"
#include "core/naming.h"
#include "core/paths.h"

namespace clipquill {

ScriptPreview previewScript(const ScriptInputs& in, std::string_view clip) {
  ScriptPreview preview;
  const std::string sourceDir = withTrailingSeparator(in.sourceText);
  const std::string perClip(clip);
  const std::span<const std::string> clips =
      in.join ? in.selectedClips : std::span<const std::string>(&perClip, 1);
  preview.scriptFile =
      in.join ? JoinedScriptName(in.nameText) : PerClipScriptName(in.nameText, clip).scriptFile;
  if (!in.destText.empty()) preview.path = withTrailingSeparator(in.destText) + preview.scriptFile;
  for (const std::string& line : in.templateLines)
    appendScriptLine(preview.text, line, sourceDir, clips, in.join);
  return preview;
}

}  // namespace clipquill
