// SPDX-License-Identifier: GPL-3.0-or-later
// The created-scripts list bound to the check of its scripts: each checked
// script's line shaded good or failed, its check as the line's tip, and the
// run's summary (or, without AviSynth+, how to get it) in a label of its
// own, which leaves the rest of the status bar in view.
// The checking itself is the model's (CreatedScriptChecks); this only shows.
#pragma once

#include <QObject>
#include <string>
#include <vector>

#include "ui/model/created_script_checks.h"

class QPlainTextEdit;
class QTimer;

namespace clipquill {

class ElidedLabel;

class CreatedScriptMarks : public QObject {
  Q_OBJECT

 public:
  CreatedScriptMarks(QPlainTextEdit* list, ElidedLabel* status, QObject* parent = nullptr);

  // After a run: checks the scripts of the list's lines in destDir.
  void start(const CheckerOptions& options, const std::string& destDir,
             const std::vector<std::string>& lines);
  void clear();

  const CreatedScriptChecks& checks() const { return checks_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void show();
  // Results arrive a script at a time; the list is shaded anew at most once
  // a tick, so that a check of thousands never costs a repaint each.
  void showSoon();

  QPlainTextEdit* list_;
  // Kept apart from list_: the filter is asked about the viewport's events
  // while the list is being destroyed, when list_ may no longer be asked.
  QWidget* viewport_;
  ElidedLabel* status_;
  QTimer* showTimer_;
  CreatedScriptChecks checks_;
};

}  // namespace clipquill
