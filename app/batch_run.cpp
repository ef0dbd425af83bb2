// SPDX-License-Identifier: GPL-3.0-or-later
// A batch of clips from a file manager, run folder by folder on the model.
#include "app/batch_run.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "core/messages.h"
#include "core/naming.h"

namespace clipquill {

BatchResult runClipBatch(MainWindowModel& model, const ClipBatch& batch, UserPort& user,
                         const std::function<bool(const std::string&)>& takesNewFiles) {
  BatchResult result;
  const auto refuse = [&](std::string text) {
    user.messageBox(MessageKind::Error, Buttons::Ok, text);
    result.refusal = std::move(text);
    return result;
  };
  if (batch.groups.empty()) return refuse("There is no clip to make a script of.");
  // The fields as the template's settings left them: each run sets the
  // source, and the destination when none is typed, to its own group's.
  const std::string destText = model.fieldText(Field::Destination);
  const std::string& pattern = model.fieldText(Field::ScriptName);
  if (model.join()) {
    if (std::optional<std::string> why = joinRefusal(batch)) return refuse(std::move(*why));
  } else {
    if (const std::vector<BatchClash> clashes =
            batchNameClashes(batch, destText, pattern, model.nameEnd());
        !clashes.empty()) {
      return refuse(batchClashText(clashes));
    }
    // What a folder's own run would refuse is refused before the first
    // folder is written, not half-way through the batch.
    for (const ClipGroup& group : batch.groups) {
      std::vector<std::string> nameless;
      for (const std::string& clip : group.clips) {
        if (isNamelessScript(perClipScriptName(pattern, clip, model.nameEnd()).scriptFile))
          nameless.push_back(group.folder + clip);
      }
      if (!nameless.empty()) return refuse(msg::namelessClips(nameless));
      if (const std::vector<ScriptNameClash> clashes =
              perClipNameClashes(pattern, group.clips, model.nameEnd());
          !clashes.empty()) {
        return refuse(msg::scriptNameClashes(
            clashes, model.nameEnd() == NameEnd::FirstDot && lastDotWouldHelp(pattern, clashes)));
      }
    }
  }
  if (std::optional<std::string> why = refusedDestination(batch, destText, takesNewFiles))
    return refuse(std::move(*why));

  for (const ClipGroup& group : batch.groups) {
    std::size_t selected = 0;
    bool ok = model.event([&] { selected = model.openClips(group); });
    // A folder that could not be read has had its error shown; a clip that
    // vanished since it was handed over is simply not listed.
    if (!ok || selected == 0) {
      result.failed = true;
      break;
    }
    if (destText.empty()) model.setFieldText(Field::Destination, group.folder);
    RunOutcome outcome = RunOutcome::Completed;
    ok = model.event([&] { outcome = model.createScripts(); });
    const std::vector<std::string>& created = model.createdScripts();
    const std::string& folder = model.state().script.destFolder;
    for (std::size_t i = 1; i < created.size(); ++i)
      result.written.push_back(folder + created[i]);
    if (created.size() > 1 &&
        std::find(result.folders.begin(), result.folders.end(), folder) == result.folders.end())
      result.folders.push_back(folder);
    if (!ok) {
      result.failed = true;
      break;
    }
    if (outcome != RunOutcome::Completed) {
      result.outcome = outcome;
      break;
    }
  }
  // A later batch on the same model reads the destination as the settings
  // gave it, not the last group's folder.
  if (destText.empty()) model.setFieldText(Field::Destination, "");
  return result;
}

}  // namespace clipquill
