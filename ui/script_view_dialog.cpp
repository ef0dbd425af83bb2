// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/script_view_dialog.h"

#include <QColor>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QVBoxLayout>

#include "ui/object_names.h"
#include "ui/platform_fonts.h"

namespace clipquill {

ScriptViewDialog::ScriptViewDialog(const QString& title, const QString& text, int line,
                                   QWidget* parent)
    : QDialog(parent), text_(new QPlainTextEdit(this)) {
  setObjectName(QString::fromLatin1(objectNames::kScriptViewDialog));
  setWindowTitle(title);
  text_->setObjectName(QString::fromLatin1(objectNames::kScriptViewText));
  text_->setAccessibleName(title);
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setFont(editorFont());
  text_->setPlainText(text);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
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
