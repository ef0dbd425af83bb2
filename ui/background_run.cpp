// SPDX-License-Identifier: GPL-3.0-or-later
// The run's thread and the window's: questions cross over and are waited
// for, progress is polled, and a nested event loop keeps the window alive.
#include "ui/background_run.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include "ui/object_names.h"

namespace clipquill {

BackgroundRun::BackgroundRun(QWidget* window, UserPort& questions, QString title,
                             int progressDelayMs)
    : window_(window),
      questions_(questions),
      title_(std::move(title)),
      progressDelayMs_(progressDelayMs) {
  started_.start();
}

BackgroundRun::~BackgroundRun() = default;

void BackgroundRun::run(RunJob& job) {
  // A dialog due at once is there before the run starts, so that a Cancel
  // pressed before its first script stops it there.
  if (progressDelayMs_ <= 0) makeDialog();
  QEventLoop loop;
  bool ended = false;
  std::unique_ptr<QThread> thread(QThread::create([this, &job] { job.run(*this, this); }));
  connect(thread.get(), &QThread::finished, &loop, [&] {
    ended = true;
    loop.quit();
  });
  QTimer ticker;
  connect(&ticker, &QTimer::timeout, this, [this] { showProgress(); });
  ticker.start(kUpdateEveryMs);
  // Started from the loop, after the events already waiting (a Cancel among
  // them) have been seen.
  QTimer::singleShot(0, this, [this, &thread] {
    if (dialog_ && dialog_->wasCanceled()) cancelled_ = true;
    thread->start();
  });
  // The application's own quit ends every loop; this one waits for the run
  // all the same, which cannot be left writing into a window that is gone.
  while (!ended)
    loop.exec();
  thread->wait();
  if (dialog_) dialog_->hide();
}

Answer BackgroundRun::messageBox(MessageKind kind, Buttons buttons, std::string_view text) {
  Answer answer = Answer::Cancel;
  QMetaObject::invokeMethod(
      this,
      [&] {
        // Nothing is written while the question waits: the progress would
        // only stand beside the question, or over it.
        asking_ = true;
        const bool shown = dialog_ && dialog_->isVisible();
        if (shown) dialog_->hide();
        QElapsedTimer asked;
        asked.start();
        answer = questions_.messageBox(kind, buttons, text);
        askedMs_ += asked.elapsed();
        asking_ = false;
        if (shown && !cancelled_) dialog_->show();
      },
      Qt::BlockingQueuedConnection);
  return answer;
}

bool BackgroundRun::proceed(std::size_t written, std::size_t total) {
  total_ = total;
  written_ = written;
  return !cancelled_;
}

void BackgroundRun::makeDialog() {
  dialog_ = std::make_unique<QProgressDialog>(QStringLiteral("Writing scripts..."),
                                              QStringLiteral("Cancel"), 0, 0, window_);
  dialog_->setObjectName(QString::fromLatin1(objectNames::kCreateScriptsProgress));
  dialog_->setWindowTitle(title_);
  // Not modal: the window stays usable while the run writes.
  dialog_->setWindowModality(Qt::NonModal);
  dialog_->setMinimumDuration(0);
  dialog_->setAutoClose(false);
  dialog_->setAutoReset(false);
  connect(dialog_.get(), &QProgressDialog::canceled, this, [this] { cancelled_ = true; });
  // Escape closes the dialog without its canceled(); it cancels all the same.
  connect(dialog_.get(), &QDialog::rejected, this, [this] { cancelled_ = true; });
  if (!asking_) dialog_->show();
}

void BackgroundRun::showProgress() {
  if (asking_) return;
  if (!dialog_) {
    if (started_.elapsed() - askedMs_ < progressDelayMs_) return;
    makeDialog();
  }
  if (dialog_->wasCanceled()) cancelled_ = true;
  const std::size_t total = total_;
  if (total == 0) return;
  const std::size_t written = written_;
  dialog_->setMaximum(static_cast<int>(total));
  dialog_->setValue(static_cast<int>(written));
  dialog_->setLabelText(
      QStringLiteral("Writing script %1 of %2...").arg(std::min(written + 1, total)).arg(total));
  // The dialog was sized for its first text; a longer count must not be cut.
  if (dialog_->sizeHint().width() > dialog_->width()) dialog_->resize(dialog_->sizeHint());
}

}  // namespace clipquill
