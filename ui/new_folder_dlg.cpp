// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/new_folder_dlg.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include "ui/screen_centre.h"

namespace clipquill {

TNewFolderDlg::TNewFolderDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setObjectName("TNewFolderDlg");
  setWindowTitle("Dialog");
  setFixedSize(216, 111);

  Bevel1 = new QFrame(this);
  Bevel1->setObjectName("Bevel1");
  Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Bevel1->setGeometry(8, 8, 201, 57);

  NewNameLabel = new QLabel("New folder name:", this);
  NewNameLabel->setObjectName("NewNameLabel");
  NewNameLabel->setGeometry(16, 14, 185, 16);

  NewNameLabeledEdit = new QLineEdit(this);
  NewNameLabeledEdit->setObjectName("NewNameLabeledEdit");
  NewNameLabeledEdit->setAccessibleName("New folder name:");
  NewNameLabeledEdit->setGeometry(16, 32, 185, 24);
  NewNameLabel->setBuddy(NewNameLabeledEdit);

  OKBtn = new QPushButton("OK", this);
  OKBtn->setObjectName("OKBtn");
  OKBtn->setAccessibleName("OK");
  OKBtn->setGeometry(28, 76, 75, 25);
  OKBtn->setDefault(true);

  CancelBtn = new QPushButton("Cancel", this);
  CancelBtn->setObjectName("CancelBtn");
  CancelBtn->setAccessibleName("Cancel");
  CancelBtn->setGeometry(114, 76, 75, 25);
  CancelBtn->setAutoDefault(false);

  setTabOrder(NewNameLabeledEdit, OKBtn);
  setTabOrder(OKBtn, CancelBtn);
  connect(OKBtn, &QPushButton::clicked, this, &TNewFolderDlg::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

std::string TNewFolderDlg::newName() const {
  const QByteArray bytes = NewNameLabeledEdit->text().toUtf8();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void TNewFolderDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  centreOnScreen(this);
  NewNameLabeledEdit->setFocus();
}

void TNewFolderDlg::OKBtnClick() {
  if (NewNameLabeledEdit->text().isEmpty()) {
    QApplication::beep();
    NewNameLabeledEdit->setFocus();
    return;
  }
  accept();
}

}  // namespace clipquill
