// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/usage_dialog.h"

#include <QPlainTextEdit>
#include <QPushButton>

#include "resources/embedded.h"
#include "ui/dialog_frame.h"
#include "ui/screen_centre.h"

namespace clipquill {

UsageDialog::UsageDialog(QWidget* parent) : QDialog(parent, kFixedDialogFrame) {
  setWindowTitle(QStringLiteral("Dialog"));
  setFixedSize(472, 606);
  setModal(false);

  text_ = new QPlainTextEdit(this);
  text_->setObjectName(QStringLiteral("Memo1"));
  text_->setGeometry(8, 8, 456, 553);
  text_->setReadOnly(true);
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  // Reachable by a click (to select and copy), never by Tab.
  text_->setFocusPolicy(Qt::ClickFocus);
  const std::string_view text = resources::usageText();
  text_->setPlainText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));

  closeButton_ = new QPushButton(QStringLiteral("Close"), this);
  closeButton_->setObjectName(QStringLiteral("OKBtn"));
  closeButton_->setGeometry(198, 571, 75, 25);
  closeButton_->setDefault(true);
  connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);
  closeButton_->setFocus();
}

void UsageDialog::showUsage() {
  if (!placed_) {
    centreOnScreen(this);
    placed_ = true;
  }
  show();
  raise();
  activateWindow();
}

}  // namespace clipquill
