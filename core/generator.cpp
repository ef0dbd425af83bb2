// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/generator.h"

#include <algorithm>

#include "core/constants.h"
#include "core/error.h"
#include "core/expansion.h"
#include "core/messages.h"
#include "core/naming.h"
#include "core/paths.h"

namespace clipquill {

namespace {

// A script is handed to the writer in pieces of about this size, so that a
// huge template or a long joined line never has to sit whole in memory twice.
constexpr std::size_t kFlushSize = 256 * 1024;

void flushIfFull(ScriptWriter& writer, std::string& buffer) {
  if (buffer.size() >= kFlushSize) {
    writer.write(buffer);
    buffer.clear();
  }
}

void finish(ScriptWriter& writer, std::string& buffer, ScriptWriter::Landed landed) {
  if (!buffer.empty()) writer.write(buffer);
  writer.commit(std::move(landed));
}

}  // namespace

RunOutcome ScriptGenerator::run(const ScriptInputs& in, ScriptState& state) {
  report_ = {};
  replaceAll_ = false;
  if (in.destText.empty()) {
    user_.messageBox(MessageKind::Error, Buttons::Ok, msg::kNoDestination);
    return RunOutcome::NoDestination;
  }
  if (in.destinationMissing) {
    user_.messageBox(MessageKind::Error, Buttons::Ok, msg::noSuchDestination(in.destText));
    return RunOutcome::NoDestination;
  }
  // Two clips with one script name would have the second script replace the
  // first, asked about as an old file although this run wrote it: refused
  // whole, before anything is touched.
  if (!in.join) {
    // A clip without a name would give a script called ".avs" alone, which
    // names nothing and which every such clip would share.
    std::vector<std::string> nameless;
    for (const std::string& clip : in.selectedClips) {
      if (isNamelessScript(perClipScriptName(in.nameText, clip, in.nameEnd).scriptFile))
        nameless.push_back(clip);
    }
    if (!nameless.empty()) {
      user_.messageBox(MessageKind::Error, Buttons::Ok, msg::namelessClips(nameless));
      return RunOutcome::NamelessClip;
    }
    if (const std::vector<ScriptNameClash> clashes =
            perClipNameClashes(in.nameText, in.selectedClips, in.nameEnd);
        !clashes.empty()) {
      const bool hint = in.nameEnd == NameEnd::FirstDot && lastDotWouldHelp(in.nameText, clashes);
      user_.messageBox(MessageKind::Error, Buttons::Ok, msg::scriptNameClashes(clashes, hint));
      return RunOutcome::NameClash;
    }
  }
  state.namePattern = in.nameText;
  // Names the scripts cannot carry are said before anything is written; the
  // scripts that would hold them with other characters are left out.
  if (const NameTrouble trouble =
          encodeNames(in.names, withTrailingSeparator(in.sourceText), in.selectedClips).trouble;
      !trouble.empty()) {
    user_.messageBox(msg::leavesScriptsOut(trouble) ? MessageKind::Error : MessageKind::Warning,
                     Buttons::Ok, msg::namesNotCarried(trouble, in.join));
  }
  created_.clear();
  created_.append(msg::kScriptsCreatedHeading);
  state.destFolder = withTrailingSeparator(in.destText);
  state.sourceFolder = withTrailingSeparator(in.sourceText);
  return in.join ? runJoined(in, state) : runPerClip(in, state);
}

template <typename Mode>
RunOutcome ScriptGenerator::settleAfter(Mode mode) {
  // A file that another run puts in a script's place meanwhile is asked
  // about as one that was there.
  files_.onTaken([this](const std::string& path) { return mayReplace(path); });
  struct Forget {
    ScriptFiles& files;
    ~Forget() { files.onTaken(nullptr); }
  } forget{files_};
  RunOutcome outcome;
  try {
    outcome = mode();
  } catch (...) {
    // The scripts finished before the failure land all the same; the error
    // shown is the one that ended the run.
    try {
      files_.settle();
    } catch (const Error&) {
    } catch (const ScriptDeclined&) {
    }
    try {
      throw;
    } catch (const ScriptDeclined&) {
      return RunOutcome::OverwriteDeclined;
    }
  }
  try {
    files_.settle();
  } catch (const ScriptDeclined&) {
    return RunOutcome::OverwriteDeclined;
  }
  return outcome;
}

bool ScriptGenerator::mayReplace(const std::string& path) {
  return replaceAll_ || user_.messageBox(MessageKind::Warning, Buttons::OkCancel,
                                         msg::overwriteQuestion(path)) == Answer::Ok;
}

std::unique_ptr<ScriptWriter> ScriptGenerator::openScript(const std::string& path, bool several,
                                                          bool& skip) {
  skip = false;
  if (auto writer = files_.createNew(path)) return writer;
  if (!replaceAll_) {
    switch (user_.messageBox(MessageKind::Warning,
                             several ? Buttons::ReplaceAllSkip : Buttons::OkCancel,
                             msg::overwriteQuestion(path))) {
      case Answer::Ok:
        break;
      case Answer::ReplaceAll:
        replaceAll_ = true;
        break;
      case Answer::Skip:
        skip = true;
        return nullptr;
      default:
        return nullptr;
    }
  }
  // The old script is replaced only once the new one is complete, so a failed
  // write never costs the user the file they agreed to replace.
  return files_.replace(path);
}

RunOutcome ScriptGenerator::runPerClip(const ScriptInputs& in, ScriptState& state) {
  return settleAfter([&] { return writeMultipleScripts(in, state); });
}

RunOutcome ScriptGenerator::writeMultipleScripts(const ScriptInputs& in, ScriptState& state) {
  std::string buffer;
  std::string path;
  std::size_t done = 0;  // written or kept
  const bool several = in.selectedClips.size() > 1;
  const EncodedNames names = encodeNames(in.names, state.sourceFolder, in.selectedClips);
  for (std::size_t k = 0; k < in.selectedClips.size(); ++k) {
    const std::string& clip = in.selectedClips[k];
    if (progress_ && !progress_->proceed(done, in.selectedClips.size())) {
      report_.stoppedAt = perClipScriptName(state.namePattern, clip, in.nameEnd).scriptFile;
      return RunOutcome::Cancelled;
    }
    if (!names.writable[k]) {
      report_.leftOut.push_back(clip);
      ++done;
      continue;
    }
    state.clipFile = clip;
    PerClipName name = perClipScriptName(state.namePattern, clip, in.nameEnd);
    state.clipBase = std::move(name.clipBase);
    state.scriptFile = std::move(name.scriptFile);

    path.assign(state.destFolder).append(state.scriptFile);
    report_.stoppedAt = state.scriptFile;  // until it is written or kept
    bool skip = false;
    auto writer = openScript(path, several, skip);
    if (skip) {
      report_.stoppedAt.clear();
      ++report_.kept;
      ++done;
      continue;
    }
    if (!writer) return RunOutcome::OverwriteDeclined;

    buffer.clear();
    for (const std::string_view line : in.templateLines) {
      appendScriptLine(buffer, line, names.folder, std::span(&names.clips[k], 1), false);
      flushIfFull(*writer, buffer);
    }
    finish(*writer, buffer, [this, name = state.scriptFile] { created_.append(name); });
    report_.stoppedAt.clear();
    ++report_.written;
    ++done;
  }
  return RunOutcome::Completed;
}

RunOutcome ScriptGenerator::runJoined(const ScriptInputs& in, ScriptState& state) {
  return settleAfter([&] { return writeJoinedScript(in, state); });
}

RunOutcome ScriptGenerator::writeJoinedScript(const ScriptInputs& in, ScriptState& state) {
  state.scriptFile = joinedScriptName(in.nameText);
  const EncodedNames names = encodeNames(in.names, state.sourceFolder, in.selectedClips);
  if (std::find(names.writable.begin(), names.writable.end(), false) != names.writable.end()) {
    report_.leftOut =
        names.trouble.folderUnwritable
            ? std::vector<std::string>(in.selectedClips.begin(), in.selectedClips.end())
            : names.trouble.unwritable;
    return RunOutcome::Completed;
  }

  report_.stoppedAt = state.scriptFile;
  bool skip = false;
  auto writer = openScript(state.destFolder + state.scriptFile, false, skip);
  if (skip) {
    report_.stoppedAt.clear();
    report_.kept = 1;
    return RunOutcome::Completed;
  }
  if (!writer) return RunOutcome::OverwriteDeclined;

  std::string buffer;
  for (const std::string_view line : in.templateLines) {
    appendScriptLine(buffer, line, names.folder, names.clips, true);
    flushIfFull(*writer, buffer);
  }
  finish(*writer, buffer, [this, name = state.scriptFile] { created_.append(name); });
  report_.stoppedAt.clear();
  report_.written = 1;
  return RunOutcome::Completed;
}

}  // namespace clipquill
