// SPDX-License-Identifier: GPL-3.0-or-later
// The created-scripts list bound to the check of its scripts: each checked
// script's line shaded good or failed, its check as the line's tip, and the
// run's summary (or, without AviSynth+, how to get it) in a label of its
// own, which leaves the rest of the status bar in view.
// Each failure is also marked by an icon at its line's end, and listed in
// the problems list under the scripts, which the keyboard reaches: Enter
// shows the script with its failing line marked, Ctrl+C copies
// "path:line:column: message".
// The checking itself is the model's (CreatedScriptChecks); this only shows.
#pragma once

#include <QObject>
#include <QPlainTextEdit>
#include <functional>
#include <string>
#include <vector>

#include "app/created_script_checks.h"
#include "app/script_checks.h"

class QListWidget;
class QListWidgetItem;
class QTimer;

namespace clipquill {

class ElidedLabel;

// The created-scripts list, which draws an icon at the end of each failed
// script's line: a failure is told by more than its colour.
class CreatedScriptsView : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit CreatedScriptsView(QWidget* parent = nullptr);
  // Whether the list's line (0 is the heading) failed its check.
  std::function<bool(int line)> failed;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

class CreatedScriptMarks : public QObject {
  Q_OBJECT

 public:
  // problems: the list of failed scripts, hidden while there are none.
  CreatedScriptMarks(QPlainTextEdit* list, ElidedLabel* status, QListWidget* problems,
                     QObject* parent = nullptr);

  // After a run: checks the scripts of the list's lines in destDir.
  void start(const CheckerOptions& options, const std::string& destDir,
             const std::vector<std::string>& lines);
  // After a run: its scripts checked and marked, when the model checks them.
  void checkLastRun(ScriptChecks& checks);
  void clear();

  const CreatedScriptChecks& checks() const { return checks_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void show();
  void showProblems();
  void openProblem(QListWidgetItem* item);
  void copyProblems();
  // Results arrive a script at a time; the list is shaded anew at most once
  // a tick, so that a check of thousands never costs a repaint each.
  void showSoon();

  QPlainTextEdit* list_;
  // Kept apart from list_: the filter is asked about the viewport's events
  // while the list is being destroyed, when list_ may no longer be asked.
  QWidget* viewport_;
  ElidedLabel* status_;
  QListWidget* problems_;
  std::vector<CreatedScriptChecks::Problem> listed_;  // the problems list's rows
  QTimer* showTimer_;
  CreatedScriptChecks checks_;
};

}  // namespace clipquill
