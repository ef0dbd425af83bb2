// SPDX-License-Identifier: GPL-3.0-or-later
// The model's user, as a command line is: message boxes become lines on
// standard error, and questions are answered by the options, by the person at
// the terminal, or, with no one to ask, with Cancel.
#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window_model.h"

namespace clipquill::cli {

// How the questions before replacing a file are answered.
enum class Overwrite {
  Ask,      // at the terminal if there is one, else Cancel
  Replace,  // -y: OK or Yes
  Keep,     // --no-clobber: Cancel or No
  Skip,     // --skip-existing: the window's "Skip" for each existing script
};

// The save dialog's file-type index for a path: by its extension, compared
// without regard to case (".qtpl" 1, ".avs" 2, ".txt" 3, anything else 4).
int saveTypeIndexFor(std::string_view path);

// A message's text for a terminal: the CR LF pairs of the boxes' texts
// become plain line ends.
std::string terminalText(std::string_view text);

// The save dialog's file-type index for a --type name: qtpl 1, avs 2, txt 3,
// all 4; nothing for any other name.
std::optional<int> saveTypeIndexNamed(std::string_view name);

// A count on one line of standard error that a long run keeps up to date,
// once it has taken longer than `after`; nothing at all when disabled (when
// standard error is no terminal).
class ProgressLine {
 public:
  using Clock = std::chrono::steady_clock;
  ProgressLine(std::ostream& err, bool enabled, Clock::duration after)
      : err_(err), enabled_(enabled), after_(after), start_(Clock::now()) {}
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;
  ~ProgressLine() { clear(); }

  bool enabled() const { return enabled_; }
  // "<done> <what>", or "<done> of <total> <what>" when total is not 0.
  void report(std::string_view what, std::size_t done, std::size_t total = 0);
  // Takes the line away again, before anything else is said.
  void clear();

 private:
  std::ostream& err_;
  bool enabled_;
  Clock::duration after_;
  Clock::time_point start_;
  Clock::time_point last_{};
  bool shown_ = false;
};

class CliPort : public FrontEnd {
 public:
  CliPort(std::istream& in, std::ostream& err, bool interactive, Overwrite overwrite,
          ProgressLine& progress)
      : in_(in), err_(err), interactive_(interactive), overwrite_(overwrite), progress_(progress) {}

  // Whether an error box, or a box of the Error kind, has been shown since
  // the port was made. Any error ends the run.
  bool errorShown() const { return errorShown_; }
  // What an error of the system is about, put before its text ("Hall.ini:
  // ClipLoc '/old/clips': File not found."); asked when the error is shown.
  void setSubject(std::function<std::string()> subject) { subject_ = std::move(subject); }
  // A dry run: a question before replacing a file is answered as the real
  // run would answer it, except that a person at the terminal is not asked
  // (the run goes on as if they said yes); asked() tells whether that was so.
  void setDryRun(bool dryRun) { dryRun_ = dryRun; }
  bool asked() const { return asked_; }
  // Questions and errors put in a window as well (the desktop's batch):
  // its answer stands; without one, the terminal's rules below.
  void setWindowAsk(
      std::function<std::optional<Answer>(MessageKind, Buttons, std::string_view)> ask) {
    windowAsk_ = std::move(ask);
  }
  // The texts of the errors shown, in order, for a notice that says what failed.
  const std::vector<std::string>& errorsShown() const { return errors_; }
  // The last field the model changed.
  std::optional<Field> lastField() const { return lastField_; }

  bool proceed(std::size_t written, std::size_t total) override;
  void shown(Shown what, Field field) override {
    if (what == Shown::Field) lastField_ = field;
  }

  Answer messageBox(MessageKind kind, Buttons buttons, std::string_view text) override;
  void focus(Field) override {}
  void errorBox(const Error& error) override;

 private:
  bool askTerminal(std::string_view text);

  std::istream& in_;
  std::ostream& err_;
  bool interactive_;
  Overwrite overwrite_;
  ProgressLine& progress_;
  bool errorShown_ = false;
  bool dryRun_ = false;
  bool asked_ = false;
  std::function<std::string()> subject_;
  std::function<std::optional<Answer>(MessageKind, Buttons, std::string_view)> windowAsk_;
  std::vector<std::string> errors_;
  std::optional<Field> lastField_;
};

}  // namespace clipquill::cli
