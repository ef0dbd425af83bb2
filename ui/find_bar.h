// SPDX-License-Identifier: GPL-3.0-or-later
// Find and replace for the template editor: a bar under it, opened with
// Ctrl+F (find) or Ctrl+H (find and replace), F3 and Shift+F3 for the next
// and the previous match, Escape to close. Keys the menu does not use.
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace clipquill {

class TemplateEditor;

class FindBar : public QWidget {
  Q_OBJECT

 public:
  FindBar(TemplateEditor* editor, QWidget* parent);

  // Shows the bar, with the replace row when replace is set, and puts the
  // focus in its find box, seeded with the editor's selection.
  void open(bool replace);
  // The next (or previous) match of the find box from the caret, wrapping
  // round the end; false when there is none.
  bool findAgain(bool backwards = false);
  // The selected match replaced, then the next one found.
  void replaceOne();
  // Every match replaced, as one step to undo. Returns how many.
  int replaceAll();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void say(const QString& text);
  bool selectionMatches() const;

  TemplateEditor* editor_;
  QLineEdit* findEdit_;
  QLineEdit* replaceEdit_;
  QLabel* replaceLabel_;
  QCheckBox* matchCase_;
  QToolButton* nextButton_;
  QToolButton* replaceButton_;
  QToolButton* replaceAllButton_;
  QToolButton* closeButton_;
  QLabel* status_;
};

}  // namespace clipquill
