// SPDX-License-Identifier: GPL-3.0-or-later
// The about box, AboutBox: what the program is, its version and who made it,
// with a pointer to the usage window.
#pragma once

#include <QString>
#include <functional>

#include "ui/menu_dialog.h"

class QFrame;
class QLabel;
class QPushButton;

namespace clipquill {

class AboutBox : public MenuDialog {
  Q_OBJECT

 public:
  // Created once at start-up and reused for every showing.
  explicit AboutBox(QWidget* parent = nullptr);

  // Where the product name comes from at each showing: the main window's
  // application title once it exists, the program's own title until then.
  void setTitleSource(std::function<QString()> source) { titleSource_ = std::move(source); }

  // Shows the box modally until OK, Enter, Escape or the close box.
  void showModal();

  void present() override { showModal(); }
  // The product name is the model's application title.
  void attach(const MainWindowModel& model) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QFrame* panel_;
  QLabel* icon_;
  QLabel* productName_;
  QLabel* version_;
  QLabel* copyright_;
  QLabel* comments_;
  QPushButton* okButton_;

  // Refreshes the product name and the version, at every showing.
  void refresh();
  void placeWidgets();

  std::function<QString()> titleSource_;
};

}  // namespace clipquill
