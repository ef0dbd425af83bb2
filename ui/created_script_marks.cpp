// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/created_script_marks.h"

#include <QColor>
#include <QHelpEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>
#include <QToolTip>

#include "ui/elided_label.h"
#include "ui/qt_text.h"

namespace clipquill {

CreatedScriptMarks::CreatedScriptMarks(QPlainTextEdit* list, ElidedLabel* status, QObject* parent)
    : QObject(parent),
      list_(list),
      status_(status),
      showTimer_(new QTimer(this)),
      // Results come from the check's thread; a queued call brings each to
      // this one, and Qt drops it should this object be gone by then.
      checks_(
          [this](std::function<void()> f) {
            QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
          },
          [this] {
            // The end of the check, or its absence, is said at once.
            if (checks_.unavailable() || checks_.finished()) {
              show();
            } else {
              showSoon();
            }
          }) {
  // A tenth of a second: marks that follow the check closely enough to
  // watch, and a repaint that costs the window nothing it would notice.
  showTimer_->setSingleShot(true);
  showTimer_->setInterval(100);
  connect(showTimer_, &QTimer::timeout, this, [this] { show(); });
  viewport_ = list_->viewport();
  viewport_->installEventFilter(this);
  connect(list_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { show(); });
}

void CreatedScriptMarks::start(const CheckerOptions& options, const std::string& destDir,
                               const std::vector<std::string>& lines) {
  checks_.start(options, destDir, lines);
  show();
}

void CreatedScriptMarks::clear() {
  checks_.clear();
  show();
}

void CreatedScriptMarks::showSoon() {
  if (!showTimer_->isActive()) showTimer_->start();
}

void CreatedScriptMarks::show() {
  showTimer_->stop();
  QList<QTextEdit::ExtraSelection> shades;
  // Only the lines in view are shaded, and again as the view moves: a list
  // of thousands of scripts costs what a screenful does.
  const QTextBlock first = list_->cursorForPosition(QPoint(0, 0)).block();
  const QTextBlock last = list_->cursorForPosition(QPoint(0, viewport_->height())).block();
  int line = first.blockNumber();
  for (QTextBlock block = first; block.isValid(); block = block.next(), ++line) {
    if (line > last.blockNumber()) break;
    const auto mark = checks_.mark(static_cast<std::size_t>(line));
    if (mark != CreatedScriptChecks::Mark::Good && mark != CreatedScriptChecks::Mark::Failed) {
      continue;
    }
    QTextEdit::ExtraSelection shade;
    shade.cursor = QTextCursor(block);
    shade.format.setProperty(QTextFormat::FullWidthSelection, true);
    shade.format.setBackground(mark == CreatedScriptChecks::Mark::Good ? QColor(0xd9, 0xf2, 0xd0)
                                                                       : QColor(0xf8, 0xd0, 0xcc));
    shades.append(shade);
  }
  list_->setExtraSelections(shades);
  status_->setFullText(shownText(checks_.status()));
}

bool CreatedScriptMarks::eventFilter(QObject* watched, QEvent* event) {
  if (watched == viewport_ && event->type() == QEvent::Resize) showSoon();
  if (watched == viewport_ && event->type() == QEvent::ToolTip) {
    const auto* help = static_cast<QHelpEvent*>(event);
    const int line = list_->cursorForPosition(help->pos()).blockNumber();
    const std::string tip = checks_.tip(static_cast<std::size_t>(line));
    if (tip.empty()) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(help->globalPos(), shownText(tip), list_->viewport());
    }
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace clipquill
