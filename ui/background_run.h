// SPDX-License-Identifier: GPL-3.0-or-later
// "Create Script(s)" written on a thread of its own, so that the window goes
// on taking keys, menus and Cancel while a big batch is written. The call
// still returns only once the run has ended, as a dialog's exec() does, so
// that the run's end is handled where it was started.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <atomic>
#include <cstddef>
#include <memory>

#include "app/script_run.h"
#include "core/generator.h"
#include "core/user_port.h"

class QProgressDialog;
class QWidget;

namespace clipquill {

class BackgroundRun : public QObject, private UserPort, private RunProgress {
 public:
  // questions answers the run's questions on the window's thread; the
  // progress dialog, captioned title, shows once the run has taken
  // progressDelayMs (at once for 0) of its own time: the time a question
  // waits for its answer does not count, and while one waits the dialog
  // stays out of sight, there being no progress to show.
  BackgroundRun(QWidget* window, UserPort& questions, QString title, int progressDelayMs);
  ~BackgroundRun() override;

  // Runs job on a thread of its own and returns when it has ended; the
  // window's events go on meanwhile. Once per object.
  void run(RunJob& job);
  // Stops the run before its next script.
  void cancel() { cancelled_ = true; }
  qint64 elapsedMs() const { return started_.elapsed(); }

 private:
  static constexpr int kUpdateEveryMs = 100;

  // On the run's thread: a question waits for the window's answer; progress
  // is only noted, for the window's timer to show.
  Answer messageBox(MessageKind kind, Buttons buttons, std::string_view text) override;
  bool proceed(std::size_t written, std::size_t total) override;
  // On the window's thread.
  void showProgress();
  void makeDialog();

  QWidget* window_;
  UserPort& questions_;
  QString title_;
  int progressDelayMs_;
  QElapsedTimer started_;
  std::unique_ptr<QProgressDialog> dialog_;
  // On the window's thread: a question waits for its answer; how long
  // the questions have waited so far.
  bool asking_ = false;
  qint64 askedMs_ = 0;
  std::atomic<std::size_t> written_{0};
  std::atomic<std::size_t> total_{0};
  std::atomic<bool> cancelled_{false};
};

}  // namespace clipquill
