// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/usage_dialog.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>

#include <QGuiApplication>
#include <QScreen>

#include "resources/embedded.h"
#include "ui/dialog_frame.h"
#include "ui/object_names.h"
#include "ui/platform/placement.h"
#include "ui/platform/usage_text.h"
#include "ui/screen_centre.h"

namespace clipquill {

void UsageDialog::placeBesideOwner() {
  QWidget* owner = parentWidget();
  const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
  if (!owner || !screen) {
    centreOnScreen(this);
    return;
  }
  const QRect main = owner->frameGeometry();
  const QRect area = screen->availableGeometry();
  // The frame the window manager adds around this window, as it adds it
  // around the owner.
  const QSize frame = owner->frameGeometry().size() - owner->size();
  const ScreenPoint at =
      besideWindow({main.x(), main.y(), main.width(), main.height()}, width() + frame.width(),
                   height() + frame.height(), {area.x(), area.y(), area.width(), area.height()});
  move(at.x, at.y);
}

UsageDialog::UsageDialog(QWidget* parent) : MenuDialog(parent, kDialogFrame) {
  setWindowTitle(QStringLiteral("Using Clipquill"));
  setModal(false);

  text_ = new QPlainTextEdit(this);
  text_->setObjectName(QString::fromLatin1(objectNames::kMemo1));
  text_->setAccessibleName(QStringLiteral("Using Clipquill"));
  text_->setReadOnly(true);
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  // Reachable by a click (to select and copy), never by Tab.
  text_->setFocusPolicy(Qt::ClickFocus);
  const std::string text = fillUsagePlaces(resources::usageText(), systemUsagePlaces());
  text_->setPlainText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));

  closeButton_ = new QPushButton(QStringLiteral("Close"), this);
  closeButton_->setObjectName(QString::fromLatin1(objectNames::kOKBtn));
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
  // Beside the main window, whose fields it explains, each time it opens;
  // once open, where the user put it.
  if (!isVisible()) placeBesideOwner();
  show();
  raise();
  activateWindow();
}

}  // namespace clipquill
