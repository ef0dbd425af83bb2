// SPDX-License-Identifier: GPL-3.0-or-later
// "Create Script(s)" as the model holds it: the run itself, prepared on the
// model's thread and written on any, its preview, and the status bar's sums
// of the last run. A part of MainWindowModel.
#pragma once

#include <cstddef>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "app/clip_fields.h"
#include "app/model_context.h"
#include "app/template_document.h"
#include "core/error.h"
#include "core/generator.h"
#include "core/preview.h"
#include "core/script_files.h"
#include "core/template_text.h"
#include "core/user_port.h"

namespace clipquill {

// The preview of "Create Script(s)": the script it would write now, for a
// run of the template's lines. A line is shown up to this many bytes: the
// pane lays out each line whole, and nobody reads megabytes of one line.
inline constexpr std::size_t kPreviewLineBytes = 64 * 1024;

struct TemplatePreview {
  ScriptPreview script;  // its name, where it lands, its bytes for the lines asked for,
                         // each cut at kPreviewLineBytes
  bool exists = false;   // a file is there already: the run would ask before replacing it
  bool clash = false;    // another selected clip gets the same script name
  std::string note;      // empty when the run would write this script; else why it would not
  std::size_t firstLine = 0;
  // Per clip, the script's name under the other rule of where a clip's name
  // ends, when it differs from the one the run would use; else empty.
  std::string otherScriptFile;
  NameEnd otherNameEnd = NameEnd::LastDot;
};

// The last "Create Script(s)", as the window sums it up.
struct LastRun {
  RunOutcome outcome = RunOutcome::Completed;
  RunReport report;
  std::string folder;  // the destination folder written to
  std::string error;   // the error that ended the run, if one did
  // false: refused before it began (no destination, names shared), and the
  // created-scripts list it left is an older run's.
  bool began = true;
};

// One "Create Script(s)" with all it reads copied when it starts, so that it
// can run on a thread of its own while the window goes on being used (typed
// in, even: the run writes what was there when it started). The model makes
// it (ScriptRun::startRun) and takes it back (finishRun) on the thread
// the model lives on; run() may be called on any thread, once, while nothing
// else uses the model's script files.
class RunJob {
 public:
  // Writes the scripts, asking user before replacing a file and telling
  // progress before each script, both on the calling thread. Raises
  // nothing: what ended the run is kept for finishRun.
  void run(UserPort& user, RunProgress* progress);

 private:
  friend class ScriptRun;
  // The created-scripts list as the run leaves it: untouched by a run
  // refused before it began.
  struct Listed : CreatedScriptsList {
    bool cleared = false;
    std::vector<std::string> lines;
    void clear() override {
      cleared = true;
      lines.clear();
    }
    void append(std::string_view line) override { lines.emplace_back(line); }
  };

  RunJob(ScriptFiles& files, ScriptState state) : files_(files), state_(std::move(state)) {}

  ScriptFiles& files_;
  TemplateText template_;
  std::string destText_;
  std::string sourceText_;
  std::string nameText_;
  std::vector<std::string> selectedClips_;
  bool join_ = false;
  NameEnd nameEnd_ = NameEnd::FirstDot;
  bool destinationMissing_ = false;

  ScriptState state_;
  Listed listed_;
  RunOutcome outcome_ = RunOutcome::Completed;
  RunReport report_;
  std::optional<Error> error_;
  std::exception_ptr otherFailure_;  // not an Error: rethrown as it came
};

class ScriptRun : ModelPart {
 public:
  ScriptRun(ModelContext& context, ClipFields& fields, TemplateDocument& document);

  // "Create Script(s)" on the calling thread: startRun, RunJob::run, finishRun.
  RunOutcome createScripts();
  // "Create Script(s)" in three steps, for a front end that writes off its
  // own thread: startRun copies what the run reads, the job runs anywhere
  // (RunJob::run), and finishRun, back here, records and shows what it did
  // as createScripts would, raising the Error that ended it. No other run
  // may start in between.
  RunJob startRun();
  RunOutcome finishRun(RunJob& job);

  // What "Create Script(s)" would write now, for lineCount template lines
  // from firstLine on. Per clip, the script of the current clip: the focused
  // clip when it is selected, else the first selected one (with none
  // selected, the focused or first listed clip, noted as not written).
  // Joined, the one script of the selection. Reads no more of the template
  // than those lines, each up to maxLineBytes.
  TemplatePreview preview(std::size_t firstLine, std::size_t lineCount,
                          std::size_t maxLineBytes = kPreviewLineBytes);
  // Whether preview() has a clip to show the script of: per clip, a clip is
  // listed; joined, one is selected. Without one the script names no clip,
  // and there is no picture to render of it.
  bool previewHasClip() const;
  // The template's place behind the place AviSynth names (line and column,
  // from 1) in the whole script preview() shows now, uncut; nullopt for a
  // line the script does not have.
  std::optional<TemplatePlace> templatePlaceOf(int line, int column);

  const std::vector<std::string>& createdScripts() const { return created_.lines; }
  // The scripts the last "Create Script(s)" wrote.
  std::size_t scriptsWrittenLastRun() const {
    return created_.lines.empty() ? 0 : created_.lines.size() - 1;
  }
  // Start-up empties the created-scripts list.
  void clearCreated();
  const std::optional<LastRun>& lastRun() const { return lastRun_; }
  // The status bar's text of the last run's outcome ("" before the first).
  std::string runStatus() const;
  // Whether the folder the last run wrote to is there to be opened: a run
  // into a missing folder names one that is not.
  bool lastRunFolderIsThere();

 private:
  // The preview's template lines: the editor's, held in shownLines, when it
  // shows them, else a view of the model's own.
  TemplateLines previewLines(std::size_t firstLine, std::size_t lineCount,
                             TemplateText& shownLines);
  // The clip a per-clip preview is of.
  std::string previewClip(const std::vector<std::string>& selected) const;
  ScriptInputs previewInputs(TemplateLines lines, const std::vector<std::string>& selected) const;
  // Whether the destination field names a folder that is not there.
  bool destinationMissing();

  class CreatedLines : public CreatedScriptsList {
   public:
    std::vector<std::string> lines;
    void clear() override { lines.clear(); }
    void append(std::string_view line) override { lines.emplace_back(line); }
  };

  ClipFields& fields_;
  TemplateDocument& document_;
  CreatedLines created_;
  std::optional<LastRun> lastRun_;
};

}  // namespace clipquill
