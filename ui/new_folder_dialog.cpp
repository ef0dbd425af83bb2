// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/new_folder_dialog.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include "ui/dialog_frame.h"
#include "ui/object_names.h"
#include "ui/screen_centre.h"

namespace clipquill {

NewFolderDialog::NewFolderDialog(QWidget* parent) : QDialog(parent, kDialogFrame) {
  setObjectName(objectNames::kTNewFolderDlg);
  setWindowTitle("New Folder");

  frame_ = new QFrame(this);
  frame_->setObjectName(objectNames::kBevel1);
  frame_->setFrameStyle(QFrame::Box | QFrame::Sunken);

  nameLabel_ = new QLabel("New folder name:", this);
  nameLabel_->setObjectName(objectNames::kNewNameLabel);

  nameEdit_ = new QLineEdit(this);
  nameEdit_->setObjectName(objectNames::kNewNameLabeledEdit);
  nameEdit_->setAccessibleName("New folder name:");
  nameEdit_->setMinimumWidth(185);
  nameLabel_->setBuddy(nameEdit_);

  okButton_ = new QPushButton("OK", this);
  okButton_->setObjectName(objectNames::kOKBtn);
  okButton_->setAccessibleName("OK");
  okButton_->setDefault(true);

  cancelButton_ = new QPushButton("Cancel", this);
  cancelButton_->setObjectName(objectNames::kCancelBtn);
  cancelButton_->setAccessibleName("Cancel");
  cancelButton_->setAutoDefault(false);

  // The design's spacing (client 216 by 111): the labelled name box in its
  // frame, the two buttons centred below.
  auto* inFrame = new QVBoxLayout(frame_);
  inFrame->setContentsMargins(8, 6, 8, 9);
  inFrame->setSpacing(2);
  inFrame->addWidget(nameLabel_);
  inFrame->addWidget(nameEdit_);
  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(11);
  buttons->addStretch(1);
  buttons->addWidget(okButton_);
  buttons->addWidget(cancelButton_);
  buttons->addStretch(1);
  auto* window = new QVBoxLayout(this);
  window->setContentsMargins(8, 8, 7, 10);
  window->setSpacing(11);
  window->addWidget(frame_);
  window->addStretch(1);
  window->addLayout(buttons);
  fitDialog(this, QSize(216, 111));

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
