// SPDX-License-Identifier: GPL-3.0-or-later
// What the model keeps of "Create Script(s)" beside running it: the preview
// of the script it would write now, and the sum of the last run.
#pragma once

#include <cstddef>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/generator.h"
#include "core/preview.h"
#include "core/script_files.h"
#include "core/user_port.h"
#include "persist/template_file.h"

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
};

// The last "Create Script(s)", as the window sums it up.
struct LastRun {
  RunOutcome outcome = RunOutcome::Completed;
  RunReport report;
  std::string folder;  // the destination folder written to
  std::string error;   // the error that ended the run, if one did
};

// One "Create Script(s)" with all it reads copied when it starts, so that it
// can run on a thread of its own while the window goes on being used (typed
// in, even: the run writes what was there when it started). The model makes
// it (MainWindowModel::startRun) and takes it back (finishRun) on the thread
// the model lives on; run() may be called on any thread, once, while nothing
// else uses the model's script files.
class RunJob {
 public:
  // Writes the scripts, asking user before replacing a file and telling
  // progress before each script, both on the calling thread. Raises
  // nothing: what ended the run is kept for finishRun.
  void run(UserPort& user, RunProgress* progress);

 private:
  friend class MainWindowModel;
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

  ScriptState state_;
  Listed listed_;
  RunOutcome outcome_ = RunOutcome::Completed;
  RunReport report_;
  std::optional<Error> error_;
  std::exception_ptr otherFailure_;  // not an Error: rethrown as it came
};

}  // namespace clipquill
