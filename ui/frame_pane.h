// SPDX-License-Identifier: GPL-3.0-or-later
// The picture beside the preview's text: a frame of the script the current
// clip would get now, rendered by AviSynth+ in the checking helper (never in
// the window's process), fitted to the pane with its aspect kept or shown
// 1:1, a frame slider (Home, End, PgUp, PgDn when it has the focus), the
// clip's properties under it, and AviSynth's error with its line and column,
// which a click takes the editor's caret to.
#pragma once

#include <QImage>
#include <QWidget>

#include "check/script_check.h"

class QLabel;
class QScrollArea;
class QSlider;
class QToolButton;

namespace clipquill {

class FramePane : public QWidget {
  Q_OBJECT

 public:
  explicit FramePane(QWidget* parent = nullptr);

  // The frame the slider is on.
  int frame() const;
  // A script's check with its picture, or why there is none.
  void showCheck(const ScriptCheck& check);
  // What stands in the picture's place: AviSynth+ missing, a script on its way.
  void showNote(const QString& note);

  // What stands in the picture's place; empty while a picture is shown.
  QString noteText() const;
  QString propertiesText() const;
  QString errorText() const;
  const QImage& image() const { return image_; }

 signals:
  void frameChanged(int frame);
  // A click on the error: the script's line and column (0: unknown).
  void errorClicked(int line, int column);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void fit();

  QScrollArea* area_;
  QLabel* picture_;
  QLabel* sliderLabel_;
  QSlider* slider_;
  QLabel* frameLabel_;
  QToolButton* actualSize_;
  QLabel* properties_;
  QLabel* error_;
  QImage image_;
  int errorLine_ = 0;
  int errorColumn_ = 0;
};

}  // namespace clipquill
