#include "ui/about_box.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "core/constants.h"
#include "resources/embedded.h"
#include "ui/qt_text.h"
#include "ui/screen_centre.h"

namespace clipquill {

namespace {

QLabel* label(QWidget* parent, const char* name, const QRect& geometry) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(name));
  label->setGeometry(geometry);
  return label;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      titleSource_([] { return shownText(kAppTitle); }) {
  setWindowTitle(QStringLiteral("About"));
  setFixedSize(362, 208);

  // A panel raised outside and lowered inside, holding everything but OK.
  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Panel1->setLineWidth(1);
  Panel1->setMidLineWidth(1);
  Panel1->setGeometry(8, 8, 346, 156);

  ProgramIcon = label(Panel1, "ProgramIcon", QRect(12, 12, 64, 64));
  const auto icon = resources::aboutIconPng();
  QPixmap pixmap;
  pixmap.loadFromData(icon.data(), static_cast<uint>(icon.size()), "PNG");
  ProgramIcon->setPixmap(pixmap);

  ProductName = label(Panel1, "ProductName", QRect(92, 12, 240, 26));
  QFont productFont = ProductName->font();
  productFont.setPixelSize(20);
  productFont.setBold(true);
  ProductName->setFont(productFont);

  Version = label(Panel1, "Version", QRect(92, 40, 240, 18));
  Copyright = label(Panel1, "Copyright", QRect(92, 58, 240, 18));
  Copyright->setText(QStringLiteral("Made by the Clipquill developers"));

  Comments = label(Panel1, "Comments", QRect(12, 84, 322, 64));
  Comments->setWordWrap(true);
  Comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Comments->setText(QStringLiteral(
      "Writes AviSynth scripts in bulk: one script per selected clip, or one joined "
      "script for them all, from a template of your own. For how to use each part of "
      "the window, see the \"Help | Using\" menu."));

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setGeometry(143, 174, 75, 25);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
  OKButton->setFocus();
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
