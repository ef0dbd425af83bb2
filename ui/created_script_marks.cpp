// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/created_script_marks.h"

#include <QColor>
#include <QHelpEvent>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextBlock>
#include <QToolTip>

#include "ui/qt_text.h"

namespace clipquill {

CreatedScriptMarks::CreatedScriptMarks(QPlainTextEdit* list, QStatusBar* status, QObject* parent)
    : QObject(parent),
      list_(list),
      status_(status),
      // Results come from the check's thread; a queued call brings each to
      // this one, and Qt drops it should this object be gone by then.
      checks_(
          [this](std::function<void()> f) {
            QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
          },
          [this] { show(); }) {
  viewport_ = list_->viewport();
  viewport_->installEventFilter(this);
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

void CreatedScriptMarks::show() {
  QList<QTextEdit::ExtraSelection> shades;
  QTextDocument* doc = list_->document();
  for (int line = 1; line < doc->blockCount(); ++line) {
    const auto mark = checks_.mark(static_cast<std::size_t>(line));
    if (mark != CreatedScriptChecks::Mark::Good && mark != CreatedScriptChecks::Mark::Failed) {
      continue;
    }
    QTextEdit::ExtraSelection shade;
    shade.cursor = QTextCursor(doc->findBlockByNumber(line));
    shade.format.setProperty(QTextFormat::FullWidthSelection, true);
    shade.format.setBackground(mark == CreatedScriptChecks::Mark::Good ? QColor(0xd9, 0xf2, 0xd0)
                                                                       : QColor(0xf8, 0xd0, 0xcc));
    shades.append(shade);
  }
  list_->setExtraSelections(shades);
  const QString status = shownText(checks_.status());
  if (status.isEmpty()) {
    status_->clearMessage();
  } else {
    status_->showMessage(status);
  }
}

bool CreatedScriptMarks::eventFilter(QObject* watched, QEvent* event) {
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
