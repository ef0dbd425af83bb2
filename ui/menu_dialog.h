// SPDX-License-Identifier: GPL-3.0-or-later
// A dialog that only its menu item opens, never the model: start-up makes it
// in its turn, the window keeps it, and its item opens it. Such a dialog is
// its own .h/.cpp, its entry in the start-up list and its menu item
// (MainWindow::addMenuDialog); the window's other seams need nothing of it.
#pragma once

#include <QDialog>
#include <memory>

namespace clipquill {

class MainWindowModel;

class MenuDialog : public QDialog {
 public:
  using QDialog::QDialog;

  // Opens it as its item does; modal or not is the dialog's own choice.
  virtual void present() = 0;
  // Once made: the model it may read at each showing. Most need none.
  virtual void attach(const MainWindowModel& /*model*/) {}
};

// Makes one menu dialog, belonging to owner.
using MenuDialogMaker = std::unique_ptr<MenuDialog> (*)(QWidget* owner);

template <class Dialog>
std::unique_ptr<MenuDialog> makeMenuDialog(QWidget* owner) {
  return std::make_unique<Dialog>(owner);
}

}  // namespace clipquill
