// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/filter_editor_dialog.h"

#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>

#include "ui/dialog_frame.h"
#include "ui/object_names.h"
#include "ui/qt_text.h"
#include "ui/screen_centre.h"

namespace clipquill {

FilterEditorDialog::FilterEditorDialog(QWidget* parent) : QDialog(parent, kDialogFrame) {
  setWindowTitle(QStringLiteral("Filename Filters"));

  frame_ = new QFrame(this);
  frame_->setObjectName(QString::fromLatin1(objectNames::kBevel1));
  frame_->setFrameStyle(QFrame::Panel | QFrame::Sunken);

  text_ = new QPlainTextEdit(this);
  text_->setObjectName(QString::fromLatin1(objectNames::kFilterMemo));
  text_->setAccessibleName(QStringLiteral("Filename Filters"));
  text_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  text_->setTabChangesFocus(true);

  okButton_ = new QPushButton(QStringLiteral("OK"), this);
  okButton_->setObjectName(QString::fromLatin1(objectNames::kOKBtn));
  okButton_->setAccessibleName(QStringLiteral("OK"));
  okButton_->setDefault(true);
  connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

  // The design's spacing (client 139 by 214): the text box inset in its
  // frame, OK centred below it.
  auto* inFrame = new QVBoxLayout(frame_);
  inFrame->setContentsMargins(9, 8, 9, 8);
  inFrame->addWidget(text_);
  auto* window = new QVBoxLayout(this);
  window->setContentsMargins(8, 8, 8, 9);
  window->setSpacing(11);
  window->addWidget(frame_, 1);
  window->addWidget(okButton_, 0, Qt::AlignHCenter);
  fitDialog(this, QSize(139, 214));

  // OK comes first, so it holds the focus when the editor first opens; later
  // showings keep whichever control had it when the editor last closed.
  setTabOrder(okButton_, text_);
  okButton_->setFocus();
}

std::optional<std::vector<std::string>> FilterEditorDialog::edit(
    const std::vector<std::string>& lines) {
  fill(lines);
  centreOnScreen(this);
  const int result = exec();
  std::optional<std::vector<std::string>> edited;
  if (result == QDialog::Accepted) edited = typedLines();
  given_.clear();
  return edited;
}

void FilterEditorDialog::fill(const std::vector<std::string>& lines) {
  given_.clear();
  QStringList shown;
  shown.reserve(static_cast<qsizetype>(lines.size()));
  for (const std::string& line : lines) {
    QString text = shownText(line);
    given_[text].push_back(line);
    shown.push_back(std::move(text));
  }
  text_->setPlainText(shown.join(QLatin1Char('\n')));
}

std::vector<std::string> FilterEditorDialog::typedLines() const {
  std::vector<std::string> lines;
  std::map<QString, std::deque<std::string>> given = given_;
  // The blocks' own text, rather than toPlainText(), which would turn a
  // no-break space into a blank. A line separator (Shift+Enter) ends an
  // entry as a line end does.
  for (QTextBlock block = text_->document()->begin(); block.isValid(); block = block.next()) {
    for (const QString& text : block.text().split(QChar::LineSeparator)) {
      auto match = given.find(text);
      if (match == given.end()) {
        lines.push_back(textBytes(text, false));
        continue;
      }
      // Unedited lines take back the bytes they were shown for, in order;
      // a line repeated beyond them repeats the last.
      std::deque<std::string>& bytes = match->second;
      lines.push_back(bytes.front());
      if (bytes.size() > 1) bytes.pop_front();
    }
  }
  return lines;
}

}  // namespace clipquill
