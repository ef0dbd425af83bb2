// SPDX-License-Identifier: GPL-3.0-or-later
// The about box, TAboutBox: what the program is, its version and who made it,
// with a pointer to the usage window.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QFrame;
class QLabel;
class QPushButton;

namespace clipquill {

class TAboutBox : public QDialog {
 public:
  // Created once at start-up and reused for every showing.
  explicit TAboutBox(QWidget* parent = nullptr);

  // Where the product name comes from at each showing: the main window's
  // application title once it exists, the program's own title until then.
  void setTitleSource(std::function<QString()> source) { titleSource_ = std::move(source); }

  // Shows the box modally until OK, Enter, Escape or the close box.
  void showModal();

  QFrame* Panel1;
  QLabel* ProgramIcon;
  QLabel* ProductName;
  QLabel* Version;
  QLabel* Copyright;
  QLabel* Comments;
  QPushButton* OKButton;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Refreshes the product name and the version, at every showing.
  void FormShow();
  void placeWidgets();

  std::function<QString()> titleSource_;
};

}  // namespace clipquill
