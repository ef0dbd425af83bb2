// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/filter_by_dlg.h"

#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>

#include "ui/qt_text.h"
#include "ui/screen_centre.h"

namespace clipquill {

TFilterByDlg::TFilterByDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
  setWindowTitle(QStringLiteral("Filename Filters"));
  setFixedSize(139, 214);

  Bevel1 = new QFrame(this);
  Bevel1->setObjectName(QStringLiteral("Bevel1"));
  Bevel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Bevel1->setGeometry(8, 8, 123, 161);

  FilterMemo = new QPlainTextEdit(this);
  FilterMemo->setObjectName(QStringLiteral("FilterMemo"));
  FilterMemo->setGeometry(17, 16, 105, 145);
  FilterMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  FilterMemo->setTabChangesFocus(true);

  OKBtn = new QPushButton(QStringLiteral("OK"), this);
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setGeometry(32, 180, 75, 25);
  OKBtn->setDefault(true);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);

  // OK comes first, so it holds the focus when the editor first opens; later
  // showings keep whichever control had it when the editor last closed.
  setTabOrder(OKBtn, FilterMemo);
  OKBtn->setFocus();
}

std::optional<std::vector<std::string>> TFilterByDlg::edit(const std::vector<std::string>& lines) {
  FormShow(lines);
  centreOnScreen(this);
  const int result = exec();
  std::optional<std::vector<std::string>> edited;
  if (result == QDialog::Accepted) edited = memoLines();
  given_.clear();
  return edited;
}

void TFilterByDlg::FormShow(const std::vector<std::string>& lines) {
  given_.clear();
  QStringList shown;
  shown.reserve(static_cast<qsizetype>(lines.size()));
  for (const std::string& line : lines) {
    QString text = shownText(line);
    given_[text].push_back(line);
    shown.push_back(std::move(text));
  }
  FilterMemo->setPlainText(shown.join(QLatin1Char('\n')));
}

std::vector<std::string> TFilterByDlg::memoLines() const {
  std::vector<std::string> lines;
  std::map<QString, std::deque<std::string>> given = given_;
  // The blocks' own text, rather than toPlainText(), which would turn a
  // no-break space into a blank. A line separator (Shift+Enter) ends an
  // entry as a line end does.
  for (QTextBlock block = FilterMemo->document()->begin(); block.isValid(); block = block.next()) {
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
