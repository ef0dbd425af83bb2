// SPDX-License-Identifier: GPL-3.0-or-later
// "Create Script(s)": the template copied into one script per selected clip,
// or into one joined script for all of them.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/naming.h"
#include "core/script_encoding.h"
#include "core/script_files.h"
#include "core/template_lines.h"
#include "core/user_port.h"

namespace clipquill {

// What a run reads from the main window when it starts.
struct ScriptInputs {
  TemplateLines templateLines;  // the template as it lies in its buffer
  std::string_view destText;
  std::string_view sourceText;
  std::string_view nameText;
  std::span<const std::string> selectedClips;  // the selected clips, in list order
  bool join = false;
  NameEnd nameEnd = NameEnd::FirstDot;  // where each clip's name ends, per clip
  // The destination folder was found missing as the run started: refused
  // with the folder named, rather than failing at the first script's name.
  bool destinationMissing = false;
  // How the clips' folder and names go into the scripts; by default as they
  // are, as on a system whose code page is UTF-8.
  NameEncoding names{};
};

// The main window's fields that a run sets; they keep the last run's values.
struct ScriptState {
  std::string destFolder;    // ends in the separator
  std::string sourceFolder;  // ends in the separator
  std::string namePattern;
  std::string clipFile;    // the clip being written
  std::string clipBase;    // its name, before its first (or last) "."
  std::string scriptFile;  // the script being written
};

// The created-scripts list.
class CreatedScriptsList {
 public:
  virtual ~CreatedScriptsList() = default;
  virtual void clear() = 0;
  virtual void append(std::string_view line) = 0;
};

enum class RunOutcome {
  Completed,
  NoDestination,      // none given, or none there: refused before anything was touched
  OverwriteDeclined,  // the user declined to replace a script; the run ended there
  Cancelled,          // the user stopped the run between two scripts
  NameClash,          // selected clips would share a script name; nothing was written
  NamelessClip,       // a selected clip's script would be ".avs" alone; nothing was written
};

// Whether the run was refused before it touched anything, the created-scripts
// list included.
inline bool refusedBeforeStart(RunOutcome outcome) {
  return outcome == RunOutcome::NoDestination || outcome == RunOutcome::NameClash ||
         outcome == RunOutcome::NamelessClip;
}

// What a run did, for the summary the window shows after it.
struct RunReport {
  std::size_t written = 0;  // scripts written, each listed
  std::size_t kept = 0;     // existing scripts the user chose to keep ("Skip")
  std::string stoppedAt;    // the script the run ended at when it ended early
  // Clips whose scripts were left out, as the scripts' code page has no
  // place for their names (the folder's included); joined, the clips that
  // kept the one script from being written.
  std::vector<std::string> leftOut;
};

// Told of a per-clip run's progress before each script; a long run shows it
// and offers to stop. Returning false ends the run before that script, and
// the scripts written so far stay, and stay listed.
class RunProgress {
 public:
  virtual ~RunProgress() = default;
  virtual bool proceed(std::size_t written, std::size_t total) = 0;
};

class ScriptGenerator {
 public:
  ScriptGenerator(ScriptFiles& files, UserPort& user, CreatedScriptsList& created,
                  RunProgress* progress = nullptr)
      : files_(files), user_(user), created_(created), progress_(progress) {}

  // One "Create Script(s)": the fields checked, then the mode the join
  // option picks. File failures raise Error; scripts finished before
  // the failure stay, and stay listed.
  RunOutcome run(const ScriptInputs& in, ScriptState& state);

  // The two modes, run with the state that run captured.
  // Each script is listed as it lands under its name; however a run ends,
  // every script finished before the end lands, and is listed.
  RunOutcome runPerClip(const ScriptInputs& in, ScriptState& state);
  RunOutcome runJoined(const ScriptInputs& in, ScriptState& state);

  // What the last run did; after an error, what it did before the error.
  const RunReport& report() const { return report_; }

 private:
  RunOutcome writeMultipleScripts(const ScriptInputs& in, ScriptState& state);
  RunOutcome writeJoinedScript(const ScriptInputs& in, ScriptState& state);
  // Runs a mode, then lands what it left held back, even when it failed.
  template <typename Mode>
  RunOutcome settleAfter(Mode mode);

  // Asks before replacing an existing file; nullptr when the user declines,
  // with skip set when the run is to go on with the next clip. A per-clip
  // run of several clips offers "Replace All" and "Skip" beside OK and
  // Cancel; after "Replace All" it asks no more.
  std::unique_ptr<ScriptWriter> openScript(const std::string& path, bool several, bool& skip);
  // The question before replacing a file another run put in place
  // meanwhile: true for OK, or after "Replace All".
  bool mayReplace(const std::string& path);

  ScriptFiles& files_;
  UserPort& user_;
  CreatedScriptsList& created_;
  RunProgress* progress_;
  RunReport report_;
  bool replaceAll_ = false;
};

}  // namespace clipquill
