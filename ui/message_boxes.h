// SPDX-License-Identifier: GPL-3.0-or-later
// The message boxes and the error box, behind an interface so that the
// window's tests answer the questions themselves.
#pragma once

#include <QString>

#include "core/user_port.h"

class QWidget;

namespace clipquill {

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // A modal box of kind with its standard caption and the buttons named; a
  // box closed by other means answers Cancel (or No).
  virtual Answer ask(QWidget* parent, MessageKind kind, Buttons buttons, const QString& text) = 0;
  // The application's error box: captioned caption, error icon, OK.
  virtual void error(QWidget* parent, const QString& caption, const QString& text) = 0;
};

// The real Qt boxes.
MessageBoxes& qtMessageBoxes();

}  // namespace clipquill
