// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/message_boxes.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>
#include <algorithm>
#include <utility>
#include <vector>

namespace clipquill {

namespace {

QString captionOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::Warning:
      return QStringLiteral("Warning");
    case MessageKind::Error:
      return QStringLiteral("Error");
    case MessageKind::Information:
      return QStringLiteral("Information");
    case MessageKind::Confirmation:
      return QStringLiteral("Confirm");
  }
  return {};
}

QMessageBox::Icon iconOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::Warning:
      return QMessageBox::Warning;
    case MessageKind::Error:
      return QMessageBox::Critical;
    case MessageKind::Information:
      return QMessageBox::Information;
    case MessageKind::Confirmation:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

// A message box sizes itself to its words, which leaves a short error
// ("File not found.") too narrow for its caption, and it may break a long
// path where it cannot be broken. The box is widened to the caption, as the
// window manager draws it beside its buttons, and to the text's longest line,
// within the screen.
void showWhole(QMessageBox& box) {
  QFont captionFont = box.font();
  captionFont.setBold(true);
  const QFontMetrics caption(captionFont);
  // Room for the frame's icon and buttons beside the caption.
  const int captionWidth = caption.horizontalAdvance(box.windowTitle()) + 8 * caption.height();

  int textWidth = 0;
  if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
    const QFontMetrics metrics(label->font());
    for (const QString& line : box.text().split(QLatin1Char('\n')))
      textWidth = std::max(textWidth, metrics.horizontalAdvance(line));
    // A line too long for the screen still breaks, at its spaces.
    label->setWordWrap(true);
  }
  int iconWidth = 0;
  if (auto* icon = box.findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label")))
    iconWidth = icon->sizeHint().width();
  const int margins = 6 * box.fontMetrics().height();

  int width = std::max(captionWidth, textWidth + iconWidth + margins);
  if (const QScreen* screen = box.screen() ? box.screen() : QGuiApplication::primaryScreen())
    width = std::min(width, screen->availableGeometry().width() * 9 / 10);
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
}

class QtMessageBoxes : public MessageBoxes {
 public:
  Answer ask(QWidget* parent, MessageKind kind, Buttons buttons, const QString& text) override {
    QMessageBox box(iconOf(kind), captionOf(kind), text, QMessageBox::NoButton, parent);
    std::vector<std::pair<QAbstractButton*, Answer>> answers;
    auto add = [&](const char* caption, QMessageBox::ButtonRole role, Answer answer) {
      answers.emplace_back(box.addButton(QString::fromLatin1(caption), role), answer);
    };
    switch (buttons) {
      case Buttons::Ok:
        add("OK", QMessageBox::AcceptRole, Answer::Ok);
        break;
      case Buttons::OkCancel:
        add("OK", QMessageBox::AcceptRole, Answer::Ok);
        add("Cancel", QMessageBox::RejectRole, Answer::Cancel);
        break;
      case Buttons::YesNo:
        add("&Yes", QMessageBox::YesRole, Answer::Yes);
        add("&No", QMessageBox::NoRole, Answer::No);
        break;
      case Buttons::YesNoCancel:
        add("&Yes", QMessageBox::YesRole, Answer::Yes);
        add("&No", QMessageBox::NoRole, Answer::No);
        add("Cancel", QMessageBox::RejectRole, Answer::Cancel);
        break;
      case Buttons::SaveDontSaveCancel:
        add("&Save", QMessageBox::AcceptRole, Answer::Save);
        add("&Don't Save", QMessageBox::DestructiveRole, Answer::DontSave);
        add("Cancel", QMessageBox::RejectRole, Answer::Cancel);
        break;
      case Buttons::ReplaceAllSkip:
        add("OK", QMessageBox::AcceptRole, Answer::Ok);
        add("Replace &All", QMessageBox::AcceptRole, Answer::ReplaceAll);
        add("S&kip", QMessageBox::RejectRole, Answer::Skip);
        add("Cancel", QMessageBox::RejectRole, Answer::Cancel);
        break;
    }
    box.setDefaultButton(qobject_cast<QPushButton*>(answers.front().first));
    // Escape and the close box press the last button: Cancel, or No, or the
    // lone OK.
    box.setEscapeButton(answers.back().first);
    showWhole(box);
    box.exec();
    for (const auto& [button, answer] : answers) {
      if (box.clickedButton() == button) return answer;
    }
    return answers.back().second;
  }

  void error(QWidget* parent, const QString& caption, const QString& text) override {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::NoButton, parent);
    QAbstractButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setEscapeButton(ok);
    showWhole(box);
    box.exec();
  }
};

}  // namespace

MessageBoxes& qtMessageBoxes() {
  static QtMessageBoxes boxes;
  return boxes;
}

}  // namespace clipquill
