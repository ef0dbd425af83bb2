// SPDX-License-Identifier: GPL-3.0-or-later
// A created script shown read-only from the problems list, its failing line
// marked and in view, so that the user sees what AviSynth+ refused. The
// caption names the script; what AviSynth+ said stands over its text.
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;

namespace clipquill {

class ScriptViewDialog : public QDialog {
  Q_OBJECT

 public:
  // name: the script's file name; problem: AviSynth's message with its
  // place; text: the script; line: the failing line, from 1 (0: none known).
  ScriptViewDialog(const QString& name, const QString& problem, const QString& text, int line,
                   QWidget* parent = nullptr);

  QPlainTextEdit* textView() const { return text_; }
  QLabel* problemLabel() const { return problem_; }

 private:
  QLabel* problem_;
  QPlainTextEdit* text_;
};

}  // namespace clipquill
