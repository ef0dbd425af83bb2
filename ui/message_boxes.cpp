// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/message_boxes.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
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
    box.exec();
  }
};

}  // namespace

MessageBoxes& qtMessageBoxes() {
  static QtMessageBoxes boxes;
  return boxes;
}

}  // namespace clipquill
