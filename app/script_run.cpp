// SPDX-License-Identifier: GPL-3.0-or-later
// The run of "Create Script(s)" as the model holds it: the run itself, its
// preview and the status bar's sums (the template, the clips, the last run).
#include <algorithm>
#include <limits>
#include <string>
#include <string_view>

#include "app/folder_paths.h"
#include "app/script_run.h"
#include "core/constants.h"
#include "core/messages.h"
#include "core/naming.h"
#include "core/paths.h"
#include "core/utf8_path.h"
#include "persist/path_rules.h"

namespace clipquill {

namespace {

// Whether a line puts a clip's path inside an ordinary AviSynth string
// ("<P><F>"), which a double quote in the name would end; a triple-quoted
// string ("""<P><F>""") holds one.
bool quotesClipPath(std::string_view line) {
  for (std::size_t at = line.find("<P><F>"); at != std::string_view::npos;
       at = line.find("<P><F>", at + 1)) {
    if (at == 0 || line[at - 1] != '"') continue;
    if (at >= 3 && line.substr(at - 3, 3) == "\"\"\"") continue;
    return true;
  }
  return false;
}

}  // namespace

ScriptRun::ScriptRun(ModelContext& context, ClipFields& fields, TemplateDocument& document)
    : ModelPart(context), fields_(fields), document_(document) {}

void ScriptRun::clearCreated() {
  created_.clear();
  user_.shown(Shown::CreatedScripts);
}

// --- The run --------------------------------------------------------------

RunOutcome ScriptRun::createScripts() {
  RunJob job = startRun();
  job.run(user_, &user_);
  return finishRun(job);
}

RunJob ScriptRun::startRun() {
  RunJob job(scripts_, state_.script);
  job.template_ = document_.templateText();
  job.destText_ = fields_.fieldText(Field::Destination);
  job.sourceText_ = fields_.fieldText(Field::Source);
  job.nameText_ = fields_.fieldText(Field::ScriptName);
  job.selectedClips_ = fields_.clips().selectedEntries();
  job.join_ = fields_.join();
  job.nameEnd_ = state_.nameEnd;
  job.destinationMissing_ = destinationMissing();
  return job;
}

void RunJob::run(UserPort& user, RunProgress* progress) {
  const ScriptInputs inputs{
      .templateLines = template_.lines(),
      .destText = destText_,
      .sourceText = sourceText_,
      .nameText = nameText_,
      .selectedClips = selectedClips_,
      .join = join_,
      .nameEnd = nameEnd_,
      .destinationMissing = destinationMissing_,
  };
  ScriptGenerator generator(files_, user, listed_, progress);
  try {
    outcome_ = aboutSubject([&] { return state_.destFolder + state_.scriptFile; },
                            [&] { return generator.run(inputs, state_); });
  } catch (const Error& e) {
    error_ = e;
  } catch (...) {
    otherFailure_ = std::current_exception();
  }
  report_ = generator.report();
}

RunOutcome ScriptRun::finishRun(RunJob& job) {
  state_.script = job.state_;
  if (job.listed_.cleared) created_.lines = std::move(job.listed_.lines);
  // The list shows what was written even when a failure ended the run.
  struct Notify {
    FrontEnd& user;
    ~Notify() { user.shown(Shown::CreatedScripts); }
  } notify{user_};
  if (job.otherFailure_) std::rethrow_exception(job.otherFailure_);
  const RunOutcome outcome = job.error_ ? RunOutcome::Completed : job.outcome_;
  const bool refused = refusedBeforeStart(outcome);
  lastRun_ = LastRun{.outcome = outcome,
                     .report = job.report_,
                     .folder = refused ? "" : state_.script.destFolder,
                     .error = job.error_ ? job.error_->boxText() : std::string(),
                     .began = !refused};
  if (job.error_) throw *job.error_;
  // The box asked for a destination: the user goes on typing it.
  if (outcome == RunOutcome::NoDestination) user_.focus(Field::Destination);
  return outcome;
}

TemplateLines ScriptRun::previewLines(std::size_t firstLine, std::size_t lineCount,
                                      TemplateText& shownLines) {
  // The editor's lines in view, else a view of the model's own.
  if (TemplateSource* source = document_.view() ? document_.view() : document_.typed()) {
    shownLines = source->templateTextAt(firstLine, lineCount);
    return shownLines.lines();
  }
  return document_.templateText().lines().slice(firstLine, lineCount);
}

std::string ScriptRun::previewClip(const std::vector<std::string>& selected) const {
  // Per clip: the first clip the run would write, else the first listed.
  if (!selected.empty()) return selected.front();
  if (fields_.clips().count() > 0) return fields_.clips().entries().front();
  return {};
}

ScriptInputs ScriptRun::previewInputs(TemplateLines lines,
                                      const std::vector<std::string>& selected) const {
  return ScriptInputs{
      .templateLines = lines,
      .destText = fields_.fieldText(Field::Destination),
      .sourceText = fields_.fieldText(Field::Source),
      .nameText = fields_.fieldText(Field::ScriptName),
      .selectedClips = selected,
      .join = fields_.join(),
      .nameEnd = state_.nameEnd,
  };
}

bool ScriptRun::previewHasClip() const {
  return fields_.join() ? fields_.clips().selectedCount() > 0 : fields_.clips().count() > 0;
}

bool ScriptRun::destinationMissing() {
  const std::string& dest = fields_.fieldText(Field::Destination);
  // A file of that name is no folder either, but "does not exist" would
  // mislead: the run's own error says what is wrong with it.
  return !dest.empty() && folders_.kind(dest) == PathKind::Missing;
}

std::optional<TemplatePlace> ScriptRun::templatePlaceOf(int line, int column) {
  TemplateText shownLines;
  const TemplateLines lines = previewLines(0, std::numeric_limits<std::size_t>::max(), shownLines);
  const std::vector<std::string> selected = fields_.clips().selectedEntries();
  return clipquill::templatePlaceOf(previewInputs(lines, selected), previewClip(selected), line,
                                    column);
}

TemplatePreview ScriptRun::preview(std::size_t firstLine, std::size_t lineCount,
                                   std::size_t maxLineBytes) {
  TemplatePreview shown;
  shown.firstLine = firstLine;
  TemplateText shownLines;
  const TemplateLines lines = previewLines(firstLine, lineCount, shownLines);
  const std::vector<std::string> selected = fields_.clips().selectedEntries();
  const std::string clip = previewClip(selected);
  shown.script = previewScript(previewInputs(lines, selected), clip, maxLineBytes);
  const std::string& pattern = fields_.fieldText(Field::ScriptName);
  if (!fields_.join()) {
    shown.otherNameEnd = state_.nameEnd == NameEnd::FirstDot ? NameEnd::LastDot : NameEnd::FirstDot;
    std::string other = PerClipScriptName(pattern, clip, shown.otherNameEnd).scriptFile;
    if (other != shown.script.scriptFile) shown.otherScriptFile = std::move(other);
  }
  if (fields_.fieldText(Field::Destination).empty()) {
    shown.note = "No destination folder: the run would write nothing.";
  } else if (destinationMissing()) {
    shown.note = msg::noSuchDestination(fields_.fieldText(Field::Destination)) +
                 " The run would write nothing.";
  } else if (!fields_.join() && selected.empty()) {
    shown.note = "No clip selected: the run would write nothing.";
  } else if (!fields_.join() && IsNamelessScript(shown.script.scriptFile)) {
    shown.note = "The clip " + clip +
                 " has no name to give its script (a name of dots alone, or no dot): the run "
                 "would write nothing.";
  } else if (!fields_.join()) {
    // The run refuses clips that share a script name, so the user learns it
    // here first.
    bool selfSeen = false;
    for (const std::string& entry : selected) {
      if (entry == clip && !selfSeen) {
        selfSeen = true;
        continue;
      }
      if (PerClipScriptName(pattern, entry, state_.nameEnd).scriptFile == shown.script.scriptFile) {
        shown.clash = true;
        shown.note = "Another selected clip, " + entry +
                     ", also gets this script name: the run would write nothing.";
        break;
      }
    }
  }
  // A double quote in a clip's name ends the string its path stands in, and
  // AviSynth cannot read the path: said before the run, with the way out.
  if (shown.note.empty() && std::any_of(lines.begin(), lines.end(), quotesClipPath)) {
    const std::vector<std::string> named =
        fields_.join() ? selected : std::vector<std::string>{clip};
    const auto quoted = std::find_if(named.begin(), named.end(), [](const std::string& name) {
      return name.find('"') != std::string::npos;
    });
    if (quoted != named.end()) {
      shown.note = "The clip " + *quoted +
                   " has a double quote in its name, which ends the string \"<P><F>\" stands "
                   "in: AviSynth cannot read that path. Triple quotes (\"\"\"<P><F>\"\"\") can.";
    }
  }
  shown.exists = !shown.script.path.empty() && files_.isFile(shown.script.path);
  return shown;
}

// --- Status ---------------------------------------------------------------

namespace {

std::string counted(std::size_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

}  // namespace

bool ScriptRun::lastRunFolderIsThere() {
  return lastRun_ && !lastRun_->folder.empty() &&
         folders_.kind(lastRun_->folder) == PathKind::Folder;
}

std::string ScriptRun::runStatus() const {
  if (!lastRun_) return {};
  const LastRun& run = *lastRun_;
  if (run.outcome == RunOutcome::NoDestination) return "Last run: no destination folder.";
  if (run.outcome == RunOutcome::NameClash)
    return "Last run: selected clips share script names; nothing written.";
  if (run.outcome == RunOutcome::NamelessClip)
    return "Last run: a selected clip has no name for its script; nothing written.";
  const RunReport& report = run.report;
  if (report.written == 0 && report.kept == 0 && report.stoppedAt.empty() && run.error.empty())
    return "Last run: no clip selected.";
  std::string text = "Last run: " + counted(report.written, "script", "scripts") + " written";
  if (report.kept != 0) text += ", " + std::to_string(report.kept) + " kept";
  text += " in " + shownFolder(run.folder);
  if (!run.error.empty()) {
    text += "; stopped at " + report.stoppedAt + ": " + run.error;
  } else if (run.outcome == RunOutcome::OverwriteDeclined) {
    text += "; stopped at " + report.stoppedAt + ", not replaced.";
  } else if (run.outcome == RunOutcome::Cancelled) {
    text += "; cancelled before " + report.stoppedAt + ".";
  } else {
    text += ".";
  }
  return text;
}

// --- The check of created scripts ------------------------------------------

}  // namespace clipquill
