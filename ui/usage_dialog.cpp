// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/usage_dialog.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "resources/embedded.h"
#include "ui/dialog_frame.h"
#include "ui/screen_centre.h"

namespace clipquill {

UsageDialog::UsageDialog(QWidget* parent) : QDialog(parent, kDialogFrame) {
  setWindowTitle(QStringLiteral("Dialog"));
  setModal(false);

  text_ = new QPlainTextEdit(this);
  text_->setObjectName(QStringLiteral("Memo1"));
  text_->setAccessibleName(QStringLiteral("Using Clipquill"));
  text_->setReadOnly(true);
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  // Reachable by a click (to select and copy), never by Tab.
  text_->setFocusPolicy(Qt::ClickFocus);
  const std::string_view text = resources::usageText();
  text_->setPlainText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));

  closeButton_ = new QPushButton(QStringLiteral("Close"), this);
  closeButton_->setObjectName(QStringLiteral("OKBtn"));
  closeButton_->setAccessibleName(QStringLiteral("Close"));
  closeButton_->setDefault(true);
  connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);

  // The design's spacing (client 472 by 606): the text fills the window
  // above Close, which is centred.
  auto* window = new QVBoxLayout(this);
  window->setContentsMargins(8, 8, 8, 10);
  window->setSpacing(10);
  window->addWidget(text_, 1);
  window->addWidget(closeButton_, 0, Qt::AlignHCenter);
  fitDialog(this, QSize(472, 606));
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
