// SPDX-License-Identifier: GPL-3.0-or-later
// What the window's benchmarks share: boxes that end the run should the
// window ask anything, and keys typed as Qt delivers them.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "bench/bench_support.h"
#include "ui/message_boxes.h"

namespace clipquill::bench {

// A benchmark answers no question: one asked means the figure is wrong.
class QuietBoxes : public MessageBoxes {
 public:
  Answer ask(QWidget*, MessageKind, Buttons, const QString& text) override {
    die("unexpected question: " + text.toStdString());
  }
  void error(QWidget*, const QString&, const QString& text) override {
    die("unexpected error: " + text.toStdString());
  }
};

inline void settle() {
  QApplication::processEvents();
}

inline void typeKey(QWidget* widget, Qt::Key key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(widget, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(widget, &release);
}

// One "x" typed into widget and the events it raises handled, in ms.
inline double timeKeystroke(QWidget* widget) {
  const auto start = Clock::now();
  typeKey(widget, Qt::Key_X, QStringLiteral("x"));
  settle();
  return msSince(start);
}

}  // namespace clipquill::bench
