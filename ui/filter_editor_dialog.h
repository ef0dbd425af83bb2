// SPDX-License-Identifier: GPL-3.0-or-later
// The filter list editor, FilterEditorDialog: the extension filter list as plain
// text, one entry a line. It only edits text; the main window's model turns
// the lines into entries.
#pragma once

#include <QDialog>
#include <QString>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QFrame;
class QPlainTextEdit;
class QPushButton;

namespace clipquill {

class FilterEditorDialog : public QDialog {
  Q_OBJECT

 public:
  // Created once at start-up and reused for every showing.
  explicit FilterEditorDialog(QWidget* parent = nullptr);

  // Shows the editor modally with lines in its text box: the text box's lines
  // on OK, nothing when closed by the close box or Escape. Lines that are not
  // valid UTF-8 are shown as Latin-1; a line given and not edited comes back
  // as the very bytes it was given, a line typed or edited as UTF-8.
  std::optional<std::vector<std::string>> edit(const std::vector<std::string>& lines);

 private:
  QFrame* frame_;
  QPlainTextEdit* text_;
  QPushButton* okButton_;

  // The text box's lines as typed. Only line ends split them; where a long
  // line wraps on screen makes no difference.
  std::vector<std::string> typedLines() const;

  // Fills the text box, on every showing.
  void fill(const std::vector<std::string>& lines);

  // For each line shown, the bytes it was shown for, in order, so that a
  // name shown as Latin-1 (or one that reads the same in two encodings)
  // goes back byte for byte.
  std::map<QString, std::deque<std::string>> given_;
};

}  // namespace clipquill
