// SPDX-License-Identifier: GPL-3.0-or-later
// The splash window, SplashScreen: the program's picture with its name, its
// version and a progress bar while start-up creates the windows.
#pragma once

#include <QString>
#include <QWidget>

class QLabel;

namespace clipquill {

// A progress bar drawn in the splash's own style: rounded, a lime bar shaded
// like a cylinder on white, a dark-blue outline, no segments, and a caption
// centred on it in place of any percentage.
class SplashProgressBar : public QWidget {
  Q_OBJECT

 public:
  explicit SplashProgressBar(QWidget* parent = nullptr);

  void setRange(int minimum, int maximum);
  // Clamped to the range.
  void setPosition(int position);
  void setCaption(const QString& caption);

  int minimum() const { return minimum_; }
  int maximum() const { return maximum_; }
  int position() const { return position_; }
  const QString& caption() const { return caption_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int minimum_ = 0;
  int maximum_ = 100;
  int position_ = 0;
  QString caption_;
};

class SplashScreen : public QWidget {
  Q_OBJECT

 public:
  // Borderless, without system menu, always on top, in the middle of the
  // screen. Never the application's main window: closing or destroying it
  // ends nothing.
  explicit SplashScreen(QWidget* parent = nullptr);

  // The progress bar's position and caption, as start-up counts the windows.
  void setProgress(int position);
  void setCaption(const QString& caption);

  // Whether picture_ shows the program's picture; false when it could not be
  // decoded and a plain background stands in for it.
  bool hasPicture() const { return hasPicture_; }

 protected:
  // Steps aside while a modal box is open (an error of the start-up load,
  // say): always on top, it would hide the box that waits for the user.
  bool event(QEvent* event) override;

 private:
  QLabel* picture_;
  QLabel* appName_;
  QLabel* version_;
  SplashProgressBar* progressBar_;

  // Fills the labels and the bar's loading caption.
  void fillTexts();

  bool hasPicture_ = false;
  bool steppedAside_ = false;  // hidden for a modal box, shown again after it
};

}  // namespace clipquill
