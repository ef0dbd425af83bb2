// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/created_script_marks.h"

#include <QClipboard>
#include <QColor>
#include <QFile>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTimer>
#include <QToolTip>
#include <algorithm>

#include "ui/elided_label.h"
#include "ui/qt_text.h"
#include "ui/script_view_dialog.h"

namespace clipquill {

CreatedScriptsView::CreatedScriptsView(QWidget* parent) : QPlainTextEdit(parent) {}

void CreatedScriptsView::paintEvent(QPaintEvent* event) {
  QPlainTextEdit::paintEvent(event);
  if (!failed) return;
  QPainter painter(viewport());
  const QIcon icon = style()->standardIcon(QStyle::SP_MessageBoxCritical);
  const int size = fontMetrics().height() - 2;
  for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
    const QRectF box = blockBoundingGeometry(block).translated(contentOffset());
    if (box.top() > viewport()->height()) break;
    if (!failed(block.blockNumber())) continue;
    icon.paint(&painter, viewport()->width() - size - 2,
               static_cast<int>(box.top() + (box.height() - size) / 2), size, size);
  }
}

CreatedScriptMarks::CreatedScriptMarks(QPlainTextEdit* list, ElidedLabel* status,
                                       QListWidget* problems, QObject* parent)
    : QObject(parent),
      list_(list),
      status_(status),
      problems_(problems),
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
  if (auto* view = qobject_cast<CreatedScriptsView*>(list_)) {
    view->failed = [this](int line) {
      return checks_.mark(static_cast<std::size_t>(line)) == CreatedScriptChecks::Mark::Failed;
    };
  }
  problems_->hide();
  problems_->installEventFilter(this);
  connect(problems_, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { openProblem(item); });
  connect(list_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { show(); });
}

void CreatedScriptMarks::start(const CheckerOptions& options, const std::string& destDir,
                               const std::vector<std::string>& lines) {
  checks_.start(options, destDir, lines);
  show();
}

void CreatedScriptMarks::checkLastRun(ScriptChecks& checks) {
  if (checks.checkLastRun(checks_)) show();
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
  list_->viewport()->update();  // the icons
  status_->setFullText(shownText(checks_.status()));
  status_->setToolTip(shownText(checks_.statusTip()));
  showProblems();
}

void CreatedScriptMarks::showProblems() {
  std::vector<CreatedScriptChecks::Problem> problems = checks_.problems();
  // Results come in list order, so a growing list only gains rows at its
  // end; a new run starts it afresh.
  const bool grown = problems.size() >= listed_.size() &&
                     std::equal(listed_.begin(), listed_.end(), problems.begin(),
                                [](const auto& a, const auto& b) { return a.line == b.line; });
  if (!grown) {
    problems_->clear();
    listed_.clear();
  }
  const QIcon icon = problems_->style()->standardIcon(QStyle::SP_MessageBoxCritical);
  for (std::size_t i = listed_.size(); i < problems.size(); ++i)
    problems_->addItem(new QListWidgetItem(icon, shownText(problems[i].row())));
  listed_ = std::move(problems);
  problems_->setVisible(!listed_.empty());
  if (!listed_.empty() && problems_->currentRow() < 0) problems_->setCurrentRow(0);
}

void CreatedScriptMarks::openProblem(QListWidgetItem* item) {
  const int row = problems_->row(item);
  if (row < 0 || static_cast<std::size_t>(row) >= listed_.size()) return;
  const CreatedScriptChecks::Problem& problem = listed_[static_cast<std::size_t>(row)];
  QFile file(QFile::decodeName(QByteArray::fromStdString(problem.path)));
  QString text;
  if (file.open(QIODevice::ReadOnly)) {
    const QByteArray bytes = file.readAll();
    text = shownText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  } else {
    text = file.errorString();
  }
  ScriptViewDialog dialog(shownText(problem.name()), shownText(problem.copyText()), text,
                          problem.check.line, list_->window());
  dialog.exec();
}

void CreatedScriptMarks::copyProblems() {
  QStringList lines;
  for (QListWidgetItem* item : problems_->selectedItems()) {
    const int row = problems_->row(item);
    if (row >= 0 && static_cast<std::size_t>(row) < listed_.size())
      lines << shownText(listed_[static_cast<std::size_t>(row)].copyText());
  }
  if (!lines.isEmpty()) QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
}

bool CreatedScriptMarks::eventFilter(QObject* watched, QEvent* event) {
  if (watched == problems_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
    copyProblems();
    return true;
  }
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
