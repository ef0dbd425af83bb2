// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/preview_pane.h"

#include <QLabel>
#include <QResizeEvent>
#include <QScrollBar>
#include <QVBoxLayout>
#include <string>
#include <utility>

#include "ui/object_names.h"
#include "ui/platform/shown_bytes.h"
#include "ui/qt_text.h"
#include "ui/template_editor.h"

namespace clipquill {

PreviewPane::PreviewPane(QWidget* parent)
    : QWidget(parent), title_(new QLabel(this)), text_(new TemplateEditor(this)) {
  setObjectName(QString::fromLatin1(objectNames::kPreviewPane));
  title_->setObjectName(QString::fromLatin1(objectNames::kPreviewTitle));
  title_->setTextFormat(Qt::PlainText);
  title_->setWordWrap(true);
  text_->setObjectName(QString::fromLatin1(objectNames::kPreviewText));
  text_->setAccessibleName(QStringLiteral("Script preview"));
  text_->setReadOnly(true);
  text_->setCaretLineVisible(false);
  text_->setMarginWidth(0, 0);
  // The pane follows the editor's scrolling; it holds only the lines in view.
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  text_->setFocusPolicy(Qt::ClickFocus);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(title_);
  layout->addWidget(text_, 1);
}

void PreviewPane::showPreview(const TemplatePreview& preview, bool utf8) {
  const ScriptPreview& script = preview.script;
  const auto shown = [utf8](std::string_view bytes) {
    return utf8 && !isValidUtf8(bytes) ? shownText(withInvalidUtf8Escaped(bytes))
                                       : shownText(bytes);
  };
  QString title = QStringLiteral("Preview of ") + shown(script.scriptFile);
  if (!script.path.empty()) {
    title += QStringLiteral(" in ") +
             shown(script.path.substr(0, script.path.size() - script.scriptFile.size()));
  }
  if (!preview.otherScriptFile.empty()) {
    title += (preview.otherNameEnd == NameEnd::LastDot
                  ? QStringLiteral(" (with the clip's name to its last dot: ")
                  : QStringLiteral(" (with the clip's name to its first dot: ")) +
             shown(preview.otherScriptFile) + QLatin1Char(')');
  }
  if (script.cutLines > 0) {
    title += QStringLiteral(" (lines cut after %1 KiB)").arg(kPreviewLineBytes / 1024);
  }
  if (preview.exists) title += QStringLiteral(" (already there: the run would ask to replace it)");
  if (!preview.note.empty()) title += QStringLiteral("\n") + shown(preview.note);
  if (title != title_->text()) {
    title_->setText(title);
    updateGeometry();  // it may wrap to more lines, or fewer
  }

  // The script's CR LF line ends shown as the editor's.
  std::string lines;
  lines.reserve(script.text.size());
  std::string_view rest = script.text;
  // Counted, not read off what was gathered: an empty first line is a line.
  bool first = true;
  while (!rest.empty()) {
    std::size_t end = rest.find("\r\n");
    if (end == std::string_view::npos) end = rest.size();
    if (!std::exchange(first, false)) lines += '\n';
    lines.append(rest.substr(0, end));
    rest.remove_prefix(std::min(rest.size(), end + 2));
  }
  if (utf8 && !isValidUtf8(lines)) lines = withInvalidUtf8Escaped(lines);
  const int xOffset = static_cast<int>(text_->SendScintilla(QsciScintillaBase::SCI_GETXOFFSET));
  text_->setBytes(lines);
  text_->SendScintilla(QsciScintillaBase::SCI_SETXOFFSET, static_cast<unsigned long>(xOffset));
}

QSize PreviewPane::minimumSizeHint() const {
  const int titleHeight = title_->heightForWidth(std::max(width(), 1));
  const int lineHeight =
      static_cast<int>(text_->SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT, 0UL));
  const int textHeight =
      lineHeight + text_->horizontalScrollBar()->sizeHint().height() + 2 * text_->frameWidth();
  return {QWidget::minimumSizeHint().width(), titleHeight + layout()->spacing() + textHeight};
}

void PreviewPane::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (event->size().width() != event->oldSize().width()) updateGeometry();
}

std::size_t PreviewPane::visibleLineCount() const {
  return text_->visibleLineCount();
}

QString PreviewPane::title() const {
  return title_->text();
}

QString PreviewPane::text() const {
  return text_->text();
}

}  // namespace clipquill
