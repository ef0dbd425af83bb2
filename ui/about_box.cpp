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

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      titleSource_([] { return shownText(kAppTitle); }) {
  setWindowTitle(QStringLiteral("About"));

  // A panel raised outside and lowered inside, holding everything but OK.
  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Panel1->setLineWidth(1);
  Panel1->setMidLineWidth(1);

  ProgramIcon = label(Panel1, "ProgramIcon");
  const auto icon = resources::aboutIconPng();
  QPixmap pixmap;
  pixmap.loadFromData(icon.data(), static_cast<uint>(icon.size()), "PNG");
  ProgramIcon->setPixmap(pixmap);

  ProductName = label(Panel1, "ProductName");
  QFont productFont = ProductName->font();
  productFont.setPixelSize(20);
  productFont.setBold(true);
  ProductName->setFont(productFont);

  Version = label(Panel1, "Version");
  Copyright = label(Panel1, "Copyright");
  Copyright->setText(QStringLiteral("Made by the Clipquill developers"));

  Comments = label(Panel1, "Comments");
  Comments->setWordWrap(true);
  Comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Comments->setText(QStringLiteral(
      "Writes AviSynth scripts in bulk: one script per selected clip, or one joined "
      "script for them all, from a template of your own. For how to use each part of "
      "the window, see the \"Help | Using\" menu."));

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
  OKButton->setFocus();

  placeWidgets();
}

// The design's places (client 362 by 208) hold the texts in the usual fonts;
// a larger desktop font moves the lines apart and makes the box taller rather
// than cutting text off.
void TAboutBox::placeWidgets() {
  const auto lineHeight = [](const QLabel* label) { return label->fontMetrics().height() + 2; };
  ProgramIcon->setGeometry(12, 12, 64, 64);
  int y = 12;
  for (QLabel* line : {ProductName, Version, Copyright}) {
    line->setGeometry(92, y, 240, lineHeight(line));
    y += line->height() + (line == ProductName ? 2 : 0);
  }
  const int commentsTop = std::max(84, y + 8);
  Comments->setGeometry(12, commentsTop, 322, std::max(64, Comments->heightForWidth(322)));
  Panel1->setGeometry(8, 8, 346, std::max(156, Comments->geometry().bottom() + 9));
  OKButton->setGeometry(143, Panel1->geometry().bottom() + 11, 75, 25);
  setFixedSize(362, std::max(208, OKButton->geometry().bottom() + 10));
}

void TAboutBox::showModal() {
  centreOnScreen(this);
  exec();
}

void TAboutBox::showEvent(QShowEvent* event) {
  FormShow();
  QDialog::showEvent(event);
}

void TAboutBox::FormShow() {
  ProductName->setText(titleSource_ ? titleSource_() : shownText(kAppTitle));
  Version->setText(QStringLiteral("Version ") + shownText(kVersion));
}

}  // namespace clipquill
