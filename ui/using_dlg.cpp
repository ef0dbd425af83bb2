// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/using_dlg.h"

#include <QPlainTextEdit>
#include <QPushButton>

#include "resources/embedded.h"
#include "ui/screen_centre.h"

namespace clipquill {

TUsingOKDlg::TUsingOKDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
  setWindowTitle(QStringLiteral("Dialog"));
  setFixedSize(472, 606);
  setModal(false);

  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setGeometry(8, 8, 456, 553);
  Memo1->setReadOnly(true);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  // Reachable by a click (to select and copy), never by Tab.
  Memo1->setFocusPolicy(Qt::ClickFocus);
  const std::string_view text = resources::usageText();
  Memo1->setPlainText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));

  OKBtn = new QPushButton(QStringLiteral("Close"), this);
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setGeometry(198, 571, 75, 25);
  OKBtn->setDefault(true);
  connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
  OKBtn->setFocus();
}

void TUsingOKDlg::showUsing() {
  if (!placed_) {
    centreOnScreen(this);
    placed_ = true;
  }
  show();
  raise();
  activateWindow();
}

void TUsingOKDlg::OKBtnClick() {
  close();
}

}  // namespace clipquill
