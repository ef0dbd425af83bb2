// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/about_box.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <algorithm>

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
    : QDialog(parent, kFixedDialogFrame), titleSource_([] { return shownText(kAppTitle); }) {
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
      "Writes AviSynth scripts in bulk: one script per selected clip, or one joined "
      "script for them all, from a template of your own. For how to use each part of "
      "the window, see the \"Help | Using\" menu."));

  okButton_ = new QPushButton(QStringLiteral("OK"), this);
  okButton_->setObjectName(QStringLiteral("OKButton"));
  okButton_->setDefault(true);
  connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
  okButton_->setFocus();

  placeWidgets();
}

// The design's places (client 362 by 208) hold the texts in the usual fonts;
// a larger desktop font moves the lines apart and makes the box taller rather
// than cutting text off.
void AboutBox::placeWidgets() {
  const auto lineHeight = [](const QLabel* label) { return label->fontMetrics().height() + 2; };
  icon_->setGeometry(12, 12, 64, 64);
  int y = 12;
  for (QLabel* line : {productName_, version_, copyright_}) {
    line->setGeometry(92, y, 240, lineHeight(line));
    y += line->height() + (line == productName_ ? 2 : 0);
  }
  const int commentsTop = std::max(84, y + 8);
  comments_->setGeometry(12, commentsTop, 322, std::max(64, comments_->heightForWidth(322)));
  panel_->setGeometry(8, 8, 346, std::max(156, comments_->geometry().bottom() + 9));
  okButton_->setGeometry(143, panel_->geometry().bottom() + 11, 75, 25);
  setFixedSize(362, std::max(208, okButton_->geometry().bottom() + 10));
}

void AboutBox::showModal() {
  centreOnScreen(this);
  exec();
}

void AboutBox::showEvent(QShowEvent* event) {
  refresh();
  QDialog::showEvent(event);
}

void AboutBox::refresh() {
  productName_->setText(titleSource_ ? titleSource_() : shownText(kAppTitle));
  version_->setText(QStringLiteral("Version ") + shownText(kVersion));
}

}  // namespace clipquill
