// SPDX-License-Identifier: GPL-3.0-or-later
// A created script shown read-only from the problems list, its failing line
// marked and in view, so that the user sees what AviSynth+ refused.
#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace clipquill {

class ScriptViewDialog : public QDialog {
  Q_OBJECT

 public:
  // text: the script; line: the failing line, from 1 (0: none known).
  ScriptViewDialog(const QString& title, const QString& text, int line, QWidget* parent = nullptr);

  QPlainTextEdit* textView() const { return text_; }

 private:
  QPlainTextEdit* text_;
};

}  // namespace clipquill
