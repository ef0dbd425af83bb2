// SPDX-License-Identifier: GPL-3.0-or-later
// The created-scripts list's marks: after "Create Script(s)" each script the
// run created is checked with AviSynth+, in the background, and marked good
// or failed, a failure with AviSynth's message, line and column as its tip;
// the status line sums the run up. Where AviSynth+ is missing the status
// line says so and how to get it, and no script is marked.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "check/background_check.h"
#include "check/script_check.h"

namespace clipquill {

class CreatedScriptChecks {
 public:
  // Runs a function on the window's thread, later; callable from any thread.
  using Post = std::function<void(std::function<void()>)>;
  // Told on the window's thread when a mark or the status line changed.
  using Changed = std::function<void()>;

  enum class Mark { None, Checking, Good, Failed };

  // A script that failed its check, as the problems list shows it.
  struct Problem {
    std::size_t line;  // its line in the created-scripts list
    std::string path;  // the script, in its folder
    ScriptCheck check;
    // The script's file name, without its folder.
    std::string name() const;
    // "name: line:column: message", leaving out what is unknown.
    std::string row() const;
    // "path:line:column: message", as editors and compilers write it.
    std::string copyText() const;
  };

  CreatedScriptChecks(Post post, Changed changed);
  ~CreatedScriptChecks();  // stops a check still running, at once
  CreatedScriptChecks(const CreatedScriptChecks&) = delete;
  CreatedScriptChecks& operator=(const CreatedScriptChecks&) = delete;

  // Checks the scripts of the created-scripts list `lines` (its heading,
  // then the scripts' names) in the folder `destDir` (ending in its
  // separator). A check still running is stopped first.
  void start(const CheckerOptions& options, const std::string& destDir,
             const std::vector<std::string>& lines);
  // No marks and no status: the list was cleared.
  void clear();

  Mark mark(std::size_t line) const;
  // The line's check in words ("AviSynth+: line 2, column 21: ..."); empty
  // while it has none.
  std::string tip(std::size_t line) const;
  // The status line: the check's progress or summary, and "(unconfined)"
  // while the run that first learned that the helper's sandbox could not
  // bound everything is shown (once a session).
  std::string status() const;
  // The status line's tip: the status, and then what the sandbox could not
  // bound, in full.
  std::string statusTip() const;
  bool unavailable() const;
  // Every script of the last start has its result, and the summary is made.
  bool finished() const;
  // The failed scripts so far, in list order.
  std::vector<Problem> problems() const;

  struct State;

 private:
  Post post_;
  std::shared_ptr<State> state_;
  std::unique_ptr<BackgroundCheck> running_;
};

}  // namespace clipquill
