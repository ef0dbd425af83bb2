// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/new_folder_dialog.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include "ui/screen_centre.h"

namespace clipquill {

NewFolderDialog::NewFolderDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setObjectName("TNewFolderDlg");
  setWindowTitle("Dialog");
  setFixedSize(216, 111);

  frame_ = new QFrame(this);
  frame_->setObjectName("Bevel1");
  frame_->setFrameStyle(QFrame::Box | QFrame::Sunken);
  frame_->setGeometry(8, 8, 201, 57);

  nameLabel_ = new QLabel("New folder name:", this);
  nameLabel_->setObjectName("NewNameLabel");
  nameLabel_->setGeometry(16, 14, 185, 16);

  nameEdit_ = new QLineEdit(this);
  nameEdit_->setObjectName("NewNameLabeledEdit");
  nameEdit_->setAccessibleName("New folder name:");
  nameEdit_->setGeometry(16, 32, 185, 24);
  nameLabel_->setBuddy(nameEdit_);

  okButton_ = new QPushButton("OK", this);
  okButton_->setObjectName("OKBtn");
  okButton_->setAccessibleName("OK");
  okButton_->setGeometry(28, 76, 75, 25);
  okButton_->setDefault(true);

  cancelButton_ = new QPushButton("Cancel", this);
  cancelButton_->setObjectName("CancelBtn");
  cancelButton_->setAccessibleName("Cancel");
  cancelButton_->setGeometry(114, 76, 75, 25);
  cancelButton_->setAutoDefault(false);

  setTabOrder(nameEdit_, okButton_);
  setTabOrder(okButton_, cancelButton_);
  connect(okButton_, &QPushButton::clicked, this, &NewFolderDialog::acceptName);
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
}

std::string NewFolderDialog::newName() const {
  const QByteArray bytes = nameEdit_->text().toUtf8();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void NewFolderDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  centreOnScreen(this);
  nameEdit_->setFocus();
}

void NewFolderDialog::acceptName() {
  if (nameEdit_->text().isEmpty()) {
    QApplication::beep();
    nameEdit_->setFocus();
    return;
  }
  accept();
}

}  // namespace clipquill
