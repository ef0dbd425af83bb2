// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/about_box.h"

#include <QBoxLayout>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "app/main_window_model.h"
#include "core/constants.h"
#include "resources/embedded.h"
#include "ui/dialog_frame.h"
#include "ui/qt_text.h"
#include "ui/screen_centre.h"

namespace clipquill {

namespace {

QLabel* label(QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(name));
  return label;
}

}  // namespace

AboutBox::AboutBox(QWidget* parent)
    : MenuDialog(parent, kDialogFrame), titleSource_([] { return shownText(kAppTitle); }) {
  setWindowTitle(QStringLiteral("About"));

  // A panel raised outside and lowered inside, holding everything but OK.
  panel_ = new QFrame(this);
  panel_->setObjectName(QStringLiteral("Panel1"));
  panel_->setFrameStyle(QFrame::Box | QFrame::Sunken);
  panel_->setLineWidth(1);
  panel_->setMidLineWidth(1);

  icon_ = label(panel_, "ProgramIcon");
  const auto icon = resources::aboutIconPng();
  QPixmap pixmap;
  pixmap.loadFromData(icon.data(), static_cast<uint>(icon.size()), "PNG");
  icon_->setPixmap(pixmap);

  productName_ = label(panel_, "ProductName");
  QFont productFont = productName_->font();
  productFont.setPixelSize(20);
  productFont.setBold(true);
  productName_->setFont(productFont);

  version_ = label(panel_, "Version");
  copyright_ = label(panel_, "Copyright");
  copyright_->setText(QStringLiteral("Made by the Clipquill developers"));

  comments_ = label(panel_, "Comments");
  comments_->setWordWrap(true);
  comments_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  comments_->setText(QStringLiteral(
      "Writes AviSynth scripts in bulk from a template of your own: one per selected clip, "
      "or one joined script for them all. Free software, GPL-3.0-or-later. For how to use "
      "each part of the window, see the \"Help | Using\" menu."));

  okButton_ = new QPushButton(QStringLiteral("OK"), this);
  okButton_->setObjectName(QStringLiteral("OKButton"));
  okButton_->setAccessibleName(QStringLiteral("OK"));
  okButton_->setDefault(true);
  connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
  okButton_->setFocus();

  placeWidgets();
}

// The design's places (client 362 by 208): the icon with three lines beside
// it, the comments below across the panel, OK centred under the panel. A
// larger desktop font moves the lines apart and makes the box larger rather
// than cutting text off.
void AboutBox::placeWidgets() {
  icon_->setFixedSize(64, 64);

  auto* lines = new QVBoxLayout;
  lines->setSpacing(0);
  lines->addWidget(productName_);
  lines->addSpacing(2);
  lines->addWidget(version_);
  lines->addWidget(copyright_);
  lines->addStretch(1);
  auto* top = new QHBoxLayout;
  top->setSpacing(16);
  top->addWidget(icon_, 0, Qt::AlignTop);
  top->addLayout(lines, 1);
  auto* inPanel = new QVBoxLayout(panel_);
  inPanel->setContentsMargins(12, 12, 12, 8);
  inPanel->setSpacing(8);
  inPanel->addLayout(top);
  inPanel->addWidget(comments_, 1);

  auto* window = new QVBoxLayout(this);
  window->setContentsMargins(8, 8, 8, 8);
  window->setSpacing(11);
  window->addWidget(panel_, 1);
  window->addWidget(okButton_, 0, Qt::AlignHCenter);
  // The texts the box shows, so that its size is the one they need.
  refresh();
  fitDialog(this, QSize(362, 208));
}

void AboutBox::attach(const MainWindowModel& model) {
  setTitleSource([&model] { return shownText(model.state().appTitle); });
}

void AboutBox::showModal() {
  centreOnScreen(this);
  exec();
}

void AboutBox::showEvent(QShowEvent* event) {
  refresh();
  fitDialog(this, QSize(362, 208));
  MenuDialog::showEvent(event);
}

void AboutBox::refresh() {
  productName_->setText(titleSource_ ? titleSource_() : shownText(kAppTitle));
  version_->setText(QStringLiteral("Version ") + shownText(kVersion));
}

}  // namespace clipquill
