// SPDX-License-Identifier: GPL-3.0-or-later
// The usage window, TUsingOKDlg: how to use each part of the main window. It
// is not modal, so the user can read it while working.
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace clipquill {

class TUsingOKDlg : public QDialog {
 public:
  // Created once at start-up; "&Using" shows this one instance every time.
  explicit TUsingOKDlg(QWidget* parent = nullptr);

  // Shows the window without blocking the main window, or brings it to the
  // front when it is already open.
  void showUsing();

  QPlainTextEdit* Memo1;
  QPushButton* OKBtn;

 private:
  // "Close": hides the window until it is asked for again.
  void OKBtnClick();

  bool placed_ = false;  // centred at its first showing only
};

}  // namespace clipquill
