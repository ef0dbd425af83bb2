// SPDX-License-Identifier: GPL-3.0-or-later
// The small dialog that asks "New Folder" for a name. It keeps the name from
// one showing to the next, as the one instance is reused.
#pragma once

#include <QDialog>
#include <string>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace clipquill {

class NewFolderDialog : public QDialog {
  Q_OBJECT

 public:
  explicit NewFolderDialog(QWidget* parent = nullptr);

  // The name as typed, as bytes (UTF-8).
  std::string newName() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QFrame* frame_;
  QLabel* nameLabel_;  // "New folder name:", the name box's label
  QLineEdit* nameEdit_;
  QPushButton* okButton_;
  QPushButton* cancelButton_;

  void acceptName();
};

}  // namespace clipquill
