// SPDX-License-Identifier: GPL-3.0-or-later
// The usage window, UsageDialog: how to use each part of the main window. It
// is not modal, so the user can read it while working.
#pragma once

#include "ui/menu_dialog.h"

class QPlainTextEdit;
class QPushButton;

namespace clipquill {

class UsageDialog : public MenuDialog {
  Q_OBJECT

 public:
  // Created once at start-up; "&Using" shows this one instance every time.
  explicit UsageDialog(QWidget* parent = nullptr);

  // Shows the window without blocking the main window, or brings it to the
  // front when it is already open.
  void showUsage();

  void present() override { showUsage(); }

 private:
  QPlainTextEdit* text_;
  QPushButton* closeButton_;  // hides the window until it is asked for again
  void placeBesideOwner();
};

}  // namespace clipquill
