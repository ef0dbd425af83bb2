// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/template_editor.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <algorithm>
#include <string>

#include "ui/avs_lexer.h"
#include "ui/editor_accessible.h"
#include "ui/platform_fonts.h"
#include "ui/qt_text.h"

namespace clipquill {

namespace {

// The indicator that marks "<P>" and "<F>"; Scintilla leaves 8 and up to
// its users.
constexpr int kTokenIndicator = 8;

// Lines longer than this are marked only around the caret.
constexpr long kLongLine = 8192;

bool fitsLatin1(const QString& text) {
  return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}

}  // namespace

TemplateEditor::TemplateEditor(QWidget* parent)
    : QsciScintilla(parent), lexer_(new AvsLexer(this)) {
  installEditorAccessible();
  setUtf8(true);
  setEolMode(EolUnix);
  setWrapMode(WrapNone);
  setTabWidth(4);
  setIndentationsUseTabs(false);
  // Scintilla widens the scroll range to the longest line drawn so far, so a
  // template is never measured whole.
  SendScintilla(SCI_SETSCROLLWIDTH, 1);
  SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setLexer(lexer_);
  // The lines in view keep their layout, so that a very long line is not
  // laid out again for every paint.
  SendScintilla(SCI_SETLAYOUTCACHE, static_cast<unsigned long>(SC_CACHE_PAGE));
  setMarginType(0, NumberMargin);
  setMarginLineNumbers(0, true);
  setMarginWidth(1, 0);
  setCaretLineVisible(true);
  setBraceMatching(SloppyBraceMatch);
  indicatorDefine(RoundBoxIndicator, kTokenIndicator);
  SendScintilla(SCI_INDICSETUNDER, kTokenIndicator, 1);
  usePalette();
  fitLineNumbers();

  // Only the notices sent before a change reach the widget: the ones sent
  // after it make QScintilla count the document's characters up to the
  // change, for its accessibility events, which costs a keystroke in a big
  // template more than all the rest. So textChanged and linesChanged stay
  // silent; edited() and the view's updates stand in for them, and our own
  // accessible tells the screen reader.
  SendScintilla(SCI_SETMODEVENTMASK,
                static_cast<unsigned long>(SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE));
  connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
          [this](int position, int type, const char*, int length, int, int, int, int, int, int) {
            if (type & SC_MOD_BEFOREINSERT) notices_.beforeInsert(position, length);
            if (type & SC_MOD_BEFOREDELETE) notices_.beforeDelete(position, length);
            if (type & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE)) emit edited();
          });
  connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int updated) {
    fitLineNumbers();
    markTokens();
    notices_.viewUpdated((updated & SC_UPDATE_SELECTION) != 0);
    emit viewChanged();
  });
}

void TemplateEditor::setBytes(std::string_view bytes) {
  // Indexed again when a screen reader next asks, rather than kept up to
  // date through a load it may never read.
  dropLineIndex();
  const bool readOnly = isReadOnly();
  setReadOnly(false);
  setUtf8(isValidUtf8(bytes));
  SendScintilla(SCI_CLEARALL);
  // Appended with its length, as SCI_SETTEXT would stop at a NUL byte.
  SendScintilla(SCI_APPENDTEXT, static_cast<uintptr_t>(bytes.size()), bytes.data());
  setReadOnly(readOnly);
  SendScintilla(SCI_EMPTYUNDOBUFFER);
  // The caret to the start and the view to the top left, without asking
  // Scintilla to scroll the caret into view: that lays out the caret's line
  // whole, before it is styled, and a line of megabytes twice.
  SendScintilla(SCI_SETEMPTYSELECTION, 0UL);
  SendScintilla(SCI_SETFIRSTVISIBLELINE, 0UL);
  SendScintilla(SCI_SETXOFFSET, 0UL);
  fitLineNumbers();
}

std::string_view TemplateEditor::bytes() const {
  const auto length = static_cast<std::size_t>(SendScintilla(SCI_GETLENGTH));
  const auto* data = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
  return {data, length};
}

bool TemplateEditor::showsLatin1() const {
  return !isUtf8();
}

std::string_view TemplateEditor::rangeBytes(long from, long to) const {
  if (to <= from) return {};
  const auto* data = reinterpret_cast<const char*>(
      SendScintilla(SCI_GETRANGEPOINTER, static_cast<unsigned long>(from), to - from));
  return {data, static_cast<std::size_t>(to - from)};
}

void TemplateEditor::indexLines() const {
  if (linesIndexed_) return;
  SendScintilla(SCI_ALLOCATELINECHARACTERINDEX,
                static_cast<unsigned long>(SC_LINECHARACTERINDEX_UTF16));
  linesIndexed_ = true;
}

void TemplateEditor::dropLineIndex() {
  if (!linesIndexed_) return;
  SendScintilla(SCI_RELEASELINECHARACTERINDEX,
                static_cast<unsigned long>(SC_LINECHARACTERINDEX_UTF16));
  linesIndexed_ = false;
}

long TemplateEditor::offsetAt(long position) const {
  position = std::clamp(position, 0L, SendScintilla(SCI_GETLENGTH));
  if (showsLatin1()) return position;  // a byte is a character
  indexLines();
  const auto line = static_cast<unsigned long>(
      SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position)));
  const long start = SendScintilla(SCI_POSITIONFROMLINE, line);
  return SendScintilla(SCI_INDEXPOSITIONFROMLINE, line, SC_LINECHARACTERINDEX_UTF16) +
         SendScintilla(SCI_COUNTCODEUNITS, static_cast<unsigned long>(start), position);
}

long TemplateEditor::positionAt(long offset) const {
  const long length = SendScintilla(SCI_GETLENGTH);
  if (offset < 0) return length;  // Qt's "the end"
  if (showsLatin1()) return std::min(offset, length);
  indexLines();
  const auto line = static_cast<unsigned long>(SendScintilla(
      SCI_LINEFROMINDEXPOSITION, static_cast<unsigned long>(offset), SC_LINECHARACTERINDEX_UTF16));
  const long start = SendScintilla(SCI_POSITIONFROMLINE, line);
  const long inLine =
      offset - SendScintilla(SCI_INDEXPOSITIONFROMLINE, line, SC_LINECHARACTERINDEX_UTF16);
  const long at =
      SendScintilla(SCI_POSITIONRELATIVECODEUNITS, static_cast<unsigned long>(start), inLine);
  // Past the end, Scintilla answers 0.
  return at == 0 && inLine > 0 ? length : at;
}

std::size_t TemplateEditor::lineCount() const {
  return static_cast<std::size_t>(SendScintilla(SCI_GETLINECOUNT));
}

std::string_view TemplateEditor::lineBytes(std::size_t line) const {
  const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
  if (start < 0) return {};
  const long end = SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
  const long length = end - start;
  if (length <= 0) return {};
  const auto* data = reinterpret_cast<const char*>(
      SendScintilla(SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), length));
  return {data, static_cast<std::size_t>(length)};
}

void TemplateEditor::setCaretAtByte(std::size_t line, std::size_t byte) {
  if (line >= lineCount()) return;
  const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
  const long end = SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
  long at = start + static_cast<long>(std::min(byte, static_cast<std::size_t>(end - start)));
  // Never inside a UTF-8 character: its start.
  at = SendScintilla(SCI_POSITIONBEFORE, static_cast<unsigned long>(at + 1));
  SendScintilla(SCI_GOTOPOS, static_cast<unsigned long>(at));
}

std::size_t TemplateEditor::firstVisibleLine() const {
  const long display = SendScintilla(SCI_GETFIRSTVISIBLELINE);
  return static_cast<std::size_t>(
      SendScintilla(SCI_DOCLINEFROMVISIBLE, static_cast<unsigned long>(display)));
}

int TemplateEditor::textHeight() const {
  return static_cast<int>(SendScintilla(SCI_TEXTHEIGHT, 0UL));
}

std::size_t TemplateEditor::visibleLineCount() const {
  // A line cut by the bottom edge counts too.
  return static_cast<std::size_t>(SendScintilla(SCI_LINESONSCREEN)) + 1;
}

void TemplateEditor::typeText(const QString& text) {
  makeRoomFor(text);
  replaceSelectedText(text);
}

void TemplateEditor::paste() {
  if (const QMimeData* data = QApplication::clipboard()->mimeData()) makeRoomFor(data->text());
  QsciScintilla::paste();
}

bool TemplateEditor::focusNextPrevChild(bool next) {
  // Tab leaves the editor like any other control; Scintilla would keep it.
  return QAbstractScrollArea::focusNextPrevChild(next);
}

void TemplateEditor::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers mods =
      event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  if (event->key() == Qt::Key_Tab && mods == Qt::ControlModifier) {
    typeText(QStringLiteral("\t"));
    return;
  }
  if (mods == Qt::ControlModifier && (event->key() == Qt::Key_F || event->key() == Qt::Key_H)) {
    emit findRequested(event->key() == Qt::Key_H);
    return;
  }
  if (event->key() == Qt::Key_F3 && (mods == Qt::NoModifier || mods == Qt::ShiftModifier)) {
    emit findAgainRequested(mods == Qt::ShiftModifier);
    return;
  }
  makeRoomFor(event->text());
  QsciScintilla::keyPressEvent(event);
}

void TemplateEditor::inputMethodEvent(QInputMethodEvent* event) {
  makeRoomFor(event->commitString());
  QsciScintilla::inputMethodEvent(event);
}

void TemplateEditor::dropEvent(QDropEvent* event) {
  if (const QMimeData* data = event->mimeData()) makeRoomFor(data->text());
  QsciScintilla::dropEvent(event);
}

void TemplateEditor::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) usePalette();
  QsciScintilla::changeEvent(event);
}

void TemplateEditor::makeRoomFor(const QString& text) {
  if (!showsLatin1() || fitsLatin1(text)) return;
  // Latin-1 to UTF-8, byte by byte; a position moves by the number of bytes
  // at or above 0x80 before it, as each of those becomes two.
  const std::string_view old = bytes();
  std::string widened;
  widened.reserve(old.size() + old.size() / 8);
  for (char c : old) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      widened += c;
    } else {
      widened += static_cast<char>(0xC0 | (byte >> 6));
      widened += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  auto moved = [old](long pos) {
    const auto end = old.begin() + std::min<long>(pos, static_cast<long>(old.size()));
    return pos + std::count_if(old.begin(), end, [](char c) { return (c & 0x80) != 0; });
  };
  dropLineIndex();
  const long anchor = moved(SendScintilla(SCI_GETANCHOR));
  const long caret = moved(SendScintilla(SCI_GETCURRENTPOS));
  const long firstLine = SendScintilla(SCI_GETFIRSTVISIBLELINE);
  const long xOffset = SendScintilla(SCI_GETXOFFSET);
  // The old edits were Latin-1 bytes: undoing them in a UTF-8 document
  // would break it, so the history starts here.
  SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);
  setUtf8(true);
  SendScintilla(SCI_CLEARALL);
  SendScintilla(SCI_APPENDTEXT, static_cast<uintptr_t>(widened.size()), widened.data());
  SendScintilla(SCI_SETUNDOCOLLECTION, 1UL);
  SendScintilla(SCI_EMPTYUNDOBUFFER);
  SendScintilla(SCI_SETSEL, static_cast<unsigned long>(anchor), caret);
  SendScintilla(SCI_SETFIRSTVISIBLELINE, static_cast<unsigned long>(firstLine));
  SendScintilla(SCI_SETXOFFSET, static_cast<unsigned long>(xOffset));
}

void TemplateEditor::markTokens() {
  // Only the part in view is looked at, so a template of any size costs the
  // same; a line scrolled into view is marked then.
  const long first = static_cast<long>(firstVisibleLine());
  const long lines = static_cast<long>(visibleLineCount());
  SendScintilla(SCI_SETINDICATORCURRENT, kTokenIndicator);
  for (long i = 0; i < lines; ++i) {
    const long line = first + i;
    if (line >= static_cast<long>(lineCount())) break;
    const long lineStart = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    const long lineEnd = SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
    long from = lineStart;
    long to = lineEnd;
    if (lineEnd - lineStart > kLongLine) {
      // Asking Scintilla for the columns in view would lay out a long line
      // once more; its start and the caret's surroundings are what the user
      // sees of it.
      const long caret = SendScintilla(SCI_GETCURRENTPOS);
      const bool caretHere = caret >= lineStart && caret <= lineEnd;
      from = caretHere ? std::max(lineStart, caret - kLongLine / 2) : lineStart;
      to = std::min(lineEnd, from + kLongLine);
    }
    if (to <= from) continue;
    SendScintilla(SCI_INDICATORCLEARRANGE, static_cast<unsigned long>(from), to - from);
    const auto* data = reinterpret_cast<const char*>(
        SendScintilla(SCI_GETRANGEPOINTER, static_cast<unsigned long>(from), to - from));
    const std::string_view text(data, static_cast<std::size_t>(to - from));
    for (std::size_t at = text.find('<'); at != std::string_view::npos;
         at = text.find('<', at + 1)) {
      const std::string_view token = text.substr(at, 3);
      if (token == "<P>" || token == "<F>")
        SendScintilla(SCI_INDICATORFILLRANGE, static_cast<unsigned long>(from) + at, 3L);
    }
  }
}

void TemplateEditor::fitLineNumbers() {
  int digits = 1;
  for (std::size_t n = lineCount(); n >= 10; n /= 10)
    ++digits;
  digits = std::max(digits, 3);
  if (digits == lineNumberDigits_) return;
  lineNumberDigits_ = digits;
  setMarginWidth(0, QString(digits + 1, QLatin1Char('9')));
}

void TemplateEditor::usePalette() {
  const QPalette& p = palette();
  lexer_->usePalette(p);
  const QColor paper = p.color(QPalette::Base);
  const QColor text = p.color(QPalette::Text);
  setPaper(paper);
  setColor(text);
  setCaretForegroundColor(text);
  QColor line = p.color(QPalette::AlternateBase);
  if (line == paper) line = paper.lightness() < 128 ? paper.lighter(130) : paper.darker(108);
  setCaretLineBackgroundColor(line);
  setMarginsBackgroundColor(p.color(QPalette::Window));
  setMarginsForegroundColor(p.color(QPalette::WindowText));
  setMarginsFont(editorFont());
  setSelectionBackgroundColor(p.color(QPalette::Highlight));
  setSelectionForegroundColor(p.color(QPalette::HighlightedText));
  setMatchedBraceBackgroundColor(p.color(QPalette::Highlight).lighter(140));
  setMatchedBraceForegroundColor(text);
  // A light wash of the link colour with a firmer outline, so that the
  // token's own colours still read on it; QScintilla takes the fill's
  // opacity from the colour.
  QColor token = p.color(QPalette::Link);
  token.setAlpha(50);
  setIndicatorForegroundColor(token, kTokenIndicator);
  SendScintilla(SCI_INDICSETOUTLINEALPHA, kTokenIndicator, 160);
  lineNumberDigits_ = 0;
  fitLineNumbers();
}

}  // namespace clipquill
