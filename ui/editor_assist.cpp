// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/editor_assist.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QToolTip>
#include <algorithm>
#include <cstdint>
#include <thread>

#include "ui/template_editor.h"

namespace clipquill {
namespace {

// How far back the statement at the caret is looked for: a template of one
// long line costs no more than this per keystroke.
constexpr long kStatementBytes = 64 * 1024;
// The lines above and below those in view that are marked too, so that a
// small scroll finds them marked already; and the most bytes read for marks.
constexpr long kMarkMargin = 20;
constexpr long kMarkBytes = 256 * 1024;
// How long typing pauses before the template's own names are read again:
// longer for a template whose reading takes a while.
constexpr int kNamesPauseMs = 300;
constexpr int kBigNamesPauseMs = 1500;
constexpr long kBigTemplate = 4 * 1024 * 1024;
constexpr int kMarksPauseMs = 40;
// Scintilla's order that keeps the list as given.
constexpr int kOrderCustom = 2;

bool nameChar(int ch) {
  return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
         ch == '_';
}

}  // namespace

EditorAssist::EditorAssist(TemplateEditor* editor)
    : QObject(editor),
      editor_(editor),
      index_(std::make_shared<FunctionIndex>()),
      own_(std::make_shared<DefinedNames>()),
      namesGeneration_(std::make_shared<std::atomic<int>>(0)) {
  editor_->indicatorDefine(QsciScintilla::SquigglePixmapIndicator, kUnknownIndicator);
  editor_->setIndicatorForegroundColor(QColor(0xd0, 0x20, 0x20), kUnknownIndicator);
  editor_->SendScintilla(QsciScintillaBase::SCI_SETMOUSEDWELLTIME, 400);
  editor_->SendScintilla(QsciScintillaBase::SCI_AUTOCSETIGNORECASE, 1);
  editor_->SendScintilla(QsciScintillaBase::SCI_AUTOCSETORDER, kOrderCustom);
  editor_->SendScintilla(QsciScintillaBase::SCI_AUTOCSETMAXHEIGHT, 12);
  editor_->installEventFilter(this);
  marksTimer_.setSingleShot(true);
  namesTimer_.setSingleShot(true);
  connect(&marksTimer_, &QTimer::timeout, this, &EditorAssist::refreshMarks);
  connect(&namesTimer_, &QTimer::timeout, this, &EditorAssist::startOwnNames);
  connect(editor_, &QsciScintillaBase::SCN_CHARADDED, this, &EditorAssist::charAdded);
  connect(editor_, &QsciScintilla::userListActivated, this, &EditorAssist::accepted);
  connect(editor_, &QsciScintillaBase::SCN_DWELLSTART, this, &EditorAssist::showMarkTip);
  connect(editor_, &QsciScintillaBase::SCN_DWELLEND, this, [] { QToolTip::hideText(); });
  connect(editor_, &TemplateEditor::edited, this, [this] {
    marksTimer_.start(kMarksPauseMs);
    namesTimer_.start(editor_->length() > kBigTemplate ? kBigNamesPauseMs : kNamesPauseMs);
  });
  connect(editor_, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int updated) {
    // A tip up follows the caret; Scintilla itself drops it when the caret
    // passes left of where it was shown, which is no reason to.
    if ((updated & QsciScintillaBase::SC_UPDATE_SELECTION) != 0 && !tip_.isEmpty()) updateCallTip();
    // Scrolled: the lines now in view get their marks.
    if ((updated &
         (QsciScintillaBase::SC_UPDATE_V_SCROLL | QsciScintillaBase::SC_UPDATE_H_SCROLL)) != 0)
      marksTimer_.start(kMarksPauseMs);
  });
}

EditorAssist::~EditorAssist() {
  ++*namesGeneration_;  // a reading on its way is for no one now
}

void EditorAssist::setTable(std::vector<AvsFunction> functions, const std::string& installation,
                            const std::string& note) {
  index_ = std::make_shared<FunctionIndex>(std::move(functions));
  installation_ = installation;
  QString tip = QString::fromStdString("Completion and names checked against " + installation);
  if (!note.empty())
    tip += QStringLiteral("; ") + QString::fromStdString(note).replace(QLatin1Char('\n'), "; ");
  editor_->setStatusTip(tip);
  startOwnNames();
  refreshMarks();
}

void EditorAssist::setNoTable(const QString& why) {
  index_ = std::make_shared<FunctionIndex>();
  installation_.clear();
  editor_->setStatusTip(QStringLiteral("No completion of filters and no marks: %1").arg(why));
  refreshMarks();
}

long EditorAssist::windowStart(long caret) const {
  const long from = std::max(0L, caret - kStatementBytes);
  const std::string_view before = editor_->rangeBytes(from, caret);
  return from + static_cast<long>(statementStart(before, before.size(), kStatementBytes));
}

QStringList EditorAssist::completionEntries(bool explicitly) const {
  const long caret = editor_->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
  const long start = windowStart(caret);
  const std::string_view window = editor_->rangeBytes(start, caret);
  QStringList entries;
  for (const Completion& c : completionsAt(window, window.size(), *index_, *own_, explicitly)) {
    const QString entry = QString::fromStdString(c.text) + QStringLiteral(" (") +
                          QString::fromStdString(c.detail) + QStringLiteral(")");
    if (!entries.contains(entry)) entries << entry;
  }
  return entries;
}

void EditorAssist::showCompletion(bool explicitly) {
  const QStringList entries = completionEntries(explicitly);
  if (entries.isEmpty()) {
    if (editor_->isListActive()) editor_->cancelList();
    return;
  }
  editor_->showUserList(kCompletionList, entries);
}

void EditorAssist::accepted(int id, const QString& text) {
  if (id != kCompletionList) return;
  const QByteArray name = text.section(QLatin1Char(' '), 0, 0).toUtf8();
  const long caret = editor_->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
  const long from = std::max(0L, caret - 256);
  const std::string_view before = editor_->rangeBytes(from, caret);
  const long start = from + static_cast<long>(wordAtCaret(before, before.size()).start);
  editor_->SendScintilla(QsciScintillaBase::SCI_SETTARGETSTART, start);
  editor_->SendScintilla(QsciScintillaBase::SCI_SETTARGETEND, caret);
  editor_->SendScintilla(QsciScintillaBase::SCI_REPLACETARGET,
                         static_cast<std::uintptr_t>(name.size()), name.constData());
  editor_->SendScintilla(QsciScintillaBase::SCI_GOTOPOS,
                         static_cast<unsigned long>(start + name.size()));
}

void EditorAssist::charAdded(int ch) {
  if (ch == '(' || ch == ',' || ch == ')') {
    if (editor_->isListActive()) editor_->cancelList();
    updateCallTip();
    return;
  }
  if (nameChar(ch) || ch == '<') {
    showCompletion(false);
  } else if (editor_->isListActive()) {
    editor_->cancelList();
  }
}

void EditorAssist::updateCallTip() {
  const long caret = editor_->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
  const long start = windowStart(caret);
  const std::string_view window = editor_->rangeBytes(start, caret);
  const std::optional<CallTip> tip = callTipAt(window, window.size(), *index_);
  if (!tip) {
    editor_->SendScintilla(QsciScintillaBase::SCI_CALLTIPCANCEL);
    tip_.clear();
    tipMarked_.clear();
    return;
  }
  tip_ = QString::fromStdString(tip->text);
  tipMarked_ =
      QString::fromStdString(tip->text.substr(tip->markStart, tip->markEnd - tip->markStart));
  // The text's overload takes a uintptr_t, which is not unsigned long on Windows.
  editor_->SendScintilla(QsciScintillaBase::SCI_CALLTIPSHOW,
                         static_cast<std::uintptr_t>(start + static_cast<long>(tip->nameStart)),
                         tip->text.c_str());
  editor_->SendScintilla(QsciScintillaBase::SCI_CALLTIPSETHLT,
                         static_cast<unsigned long>(tip->markStart),
                         static_cast<long>(tip->markEnd));
}

void EditorAssist::refreshMarks() {
  const long length = editor_->length();
  const long lines = editor_->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT);
  const long first = static_cast<long>(editor_->firstVisibleLine());
  long fromLine = std::max(0L, first - kMarkMargin);
  const long toLine =
      std::min(lines, first + static_cast<long>(editor_->visibleLineCount()) + kMarkMargin);
  // Never start inside a comment or string that began on a line above.
  for (int back = 0; fromLine > 0 && back < 200; ++back) {
    const long at = editor_->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, fromLine);
    const int style =
        static_cast<int>(editor_->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, at));
    if (style != 1 && style != 2 && style != 7 && style != 8) break;
    --fromLine;
  }
  long from = editor_->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, fromLine);
  long to = toLine >= lines
                ? length
                : editor_->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, toLine);
  if (to - from > kMarkBytes) {
    // One long line: the part around the caret.
    const long caret = editor_->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
    from = std::max(from, caret - kMarkBytes / 2);
    to = std::min(to, from + kMarkBytes);
  }
  editor_->SendScintilla(QsciScintillaBase::SCI_SETINDICATORCURRENT, kUnknownIndicator);
  editor_->SendScintilla(QsciScintillaBase::SCI_INDICATORCLEARRANGE, 0UL, length);
  marks_.clear();
  if (index_->empty()) return;
  const std::string_view text = editor_->rangeBytes(from, to);
  for (const NameMark& mark : unknownNames(text, *index_, *own_, installation_)) {
    const long start = from + static_cast<long>(mark.start);
    editor_->SendScintilla(QsciScintillaBase::SCI_INDICATORFILLRANGE,
                           static_cast<unsigned long>(start), static_cast<long>(mark.length));
    marks_.push_back({start, static_cast<long>(mark.length), QString::fromStdString(mark.message)});
  }
}

void EditorAssist::showMarkTip(int position, int x, int y) {
  for (const Mark& mark : marks_) {
    if (position >= mark.start && position < mark.start + mark.length) {
      QToolTip::showText(editor_->viewport()->mapToGlobal(QPoint(x, y)), mark.message, editor_);
      return;
    }
  }
}

void EditorAssist::startOwnNames() {
  const int generation = ++*namesGeneration_;
  // A copy for the other thread: the document changes as the user types.
  // Taken in the two parts either side of Scintilla's gap, which asking for
  // the whole text would first close by moving the rest of the document.
  const long length = editor_->length();
  const long gap = std::clamp(
      static_cast<long>(editor_->SendScintilla(QsciScintillaBase::SCI_GETGAPPOSITION)), 0L, length);
  std::string text;
  text.reserve(static_cast<std::size_t>(length));
  text.append(editor_->rangeBytes(0, gap));
  text.append(editor_->rangeBytes(gap, length));
  QPointer<EditorAssist> self(this);
  std::thread([self, text = std::move(text), generation, counter = namesGeneration_] {
    auto names = std::make_shared<const DefinedNames>(definedNames(text));
    QMetaObject::invokeMethod(
        qApp,
        [self, names, generation, counter] {
          if (!self || *counter != generation) return;
          self->own_ = names;
          self->refreshMarks();
          emit self->ownNamesRead();
        },
        Qt::QueuedConnection);
  }).detach();
}

void EditorAssist::readOwnNamesNow() {
  own_ = std::make_shared<const DefinedNames>(definedNames(editor_->bytes()));
  refreshMarks();
}

bool EditorAssist::eventFilter(QObject* watched, QEvent* event) {
  if (watched == editor_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Space && (key->modifiers() & Qt::ControlModifier) != 0) {
      showCompletion(true);
      return true;
    }
    if (key->key() == Qt::Key_Escape && !editor_->isListActive()) {
      tip_.clear();
      tipMarked_.clear();
    }
    // Tab accepts, as in other editors, rather than moving on to the next control.
    if (key->key() == Qt::Key_Tab && editor_->isListActive()) {
      editor_->SendScintilla(QsciScintillaBase::SCI_AUTOCCOMPLETE);
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace clipquill
