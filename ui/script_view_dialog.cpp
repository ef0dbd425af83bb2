// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/script_view_dialog.h"

#include <QColor>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QVBoxLayout>

#include "ui/object_names.h"
#include "ui/platform_fonts.h"
#include "ui/script_text_view.h"

namespace clipquill {

ScriptViewDialog::ScriptViewDialog(const QString& name, const QString& problem, const QString& text,
                                   int line, QWidget* parent)
    : QDialog(parent), problem_(new QLabel(problem, this)), text_(new ScriptTextView(this)) {
  setObjectName(QString::fromLatin1(objectNames::kScriptViewDialog));
  setWindowTitle(name);
  // The message in full, wrapped, and selectable to be copied.
  problem_->setObjectName(QString::fromLatin1(objectNames::kScriptViewProblem));
  problem_->setTextFormat(Qt::PlainText);
  problem_->setWordWrap(true);
  problem_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  problem_->setAccessibleName(problem);
  text_->setObjectName(QString::fromLatin1(objectNames::kScriptViewText));
  text_->setAccessibleName(name);
  text_->setAccessibleDescription(problem);
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setFont(editorFont());
  text_->setPlainText(text);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(problem_);
  layout->addWidget(text_, 1);
  layout->addWidget(buttons);
  resize(640, 360);

  const QTextBlock failing = text_->document()->findBlockByNumber(line - 1);
  if (line > 0 && failing.isValid()) {
    // The caret on the line, for a screen reader; the shade for the eye.
    QTextCursor at(failing);
    text_->setTextCursor(at);
    QTextEdit::ExtraSelection mark;
    mark.cursor = at;
    mark.format.setProperty(QTextFormat::FullWidthSelection, true);
    mark.format.setBackground(QColor(0xf8, 0xd0, 0xcc));
    text_->setExtraSelections({mark});
    text_->centerCursor();
  }
  text_->setFocus();
}

}  // namespace clipquill
