// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/splash_screen.h"

#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>

#include "core/constants.h"
#include "core/error.h"
#include "resources/embedded.h"
#include "ui/object_names.h"
#include "ui/platform/jpeg_image.h"
#include "ui/platform/startup.h"
#include "ui/qt_text.h"
#include "ui/screen_centre.h"

namespace clipquill {

namespace {

constexpr int kClientWidth = 352;
constexpr int kClientHeight = 161;

// The program's picture, or nothing when it cannot be decoded: a splash
// without its picture is no reason to stop the program starting.
QPixmap splashPicture() {
  try {
    const RgbImage image = decodeJpeg(resources::splashJpeg());
    const QImage view(image.rgb.data(), image.width, image.height, image.width * 3,
                      QImage::Format_RGB888);
    return QPixmap::fromImage(view.copy());
  } catch (const Error&) {
    return {};
  }
}

// The plain stand-in: the picture's own dark blue.
QPixmap plainBackground() {
  QPixmap pixmap(kClientWidth, kClientHeight);
  QPainter painter(&pixmap);
  QLinearGradient gradient(0, 0, kClientWidth, kClientHeight);
  gradient.setColorAt(0, QColor(0x0a, 0x16, 0x40));
  gradient.setColorAt(1, QColor(0x1f, 0x6d, 0x8f));
  painter.fillRect(pixmap.rect(), gradient);
  return pixmap;
}

QLabel* titleLabel(QWidget* parent, const char* name, int x, int y, bool bold) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(name));
  QFont font = label->font();
  font.setPixelSize(32);
  font.setBold(bold);
  label->setFont(font);
  // Transparent, so the picture shows around the letters.
  label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
  label->move(x, y);
  return label;
}

}  // namespace

SplashProgressBar::SplashProgressBar(QWidget* parent) : QWidget(parent) {}

void SplashProgressBar::setRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = std::max(minimum, maximum);
  setPosition(position_);
}

void SplashProgressBar::setPosition(int position) {
  position_ = std::clamp(position, minimum_, maximum_);
  update();
}

void SplashProgressBar::setCaption(const QString& caption) {
  caption_ = caption;
  update();
}

void SplashProgressBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  constexpr qreal kRadius = 5;
  QPainterPath outline;
  outline.addRoundedRect(frame, kRadius, kRadius);

  painter.fillPath(outline, Qt::white);

  // The bar: lime, light along its upper third and darker at both edges, as
  // a lit metal cylinder looks.
  const int span = maximum_ - minimum_;
  if (span > 0 && position_ > minimum_) {
    const qreal filled = frame.width() * (position_ - minimum_) / span;
    QLinearGradient shade(0, frame.top(), 0, frame.bottom());
    shade.setColorAt(0.0, QColor(0x5c, 0xa8, 0x12));
    shade.setColorAt(0.3, QColor(0xe4, 0xff, 0xa8));
    shade.setColorAt(0.55, QColor(0x9c, 0xe6, 0x2c));
    shade.setColorAt(1.0, QColor(0x4a, 0x8c, 0x0c));
    painter.save();
    painter.setClipPath(outline);
    painter.fillRect(QRectF(frame.left(), frame.top(), filled, frame.height()), shade);
    painter.restore();
  }

  painter.setPen(QPen(QColor(0x0a, 0x24, 0x6a), 1));
  painter.drawPath(outline);

  QFont font = painter.font();
  font.setPixelSize(std::max(9, height() - 5));
  painter.setFont(font);
  painter.setPen(QColor(0x0a, 0x1a, 0x40));
  painter.drawText(rect(), Qt::AlignCenter, caption_);
}

SplashScreen::SplashScreen(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QString::fromLatin1(objectNames::kSplashScreen));
  setAttribute(Qt::WA_QuitOnClose, false);
  setFixedSize(kClientWidth, kClientHeight);

  picture_ = new QLabel(this);
  picture_->setObjectName(QString::fromLatin1(objectNames::kImage1));
  picture_->setGeometry(0, 0, kClientWidth, kClientHeight);
  QPixmap picture = splashPicture();
  hasPicture_ = !picture.isNull();
  picture_->setPixmap(hasPicture_ ? picture : plainBackground());
  picture_->setScaledContents(true);

  appName_ = titleLabel(this, objectNames::kAppName, 44, 10, true);
  version_ = titleLabel(this, objectNames::kVersion, 44, 63, false);

  progressBar_ = new SplashProgressBar(this);
  progressBar_->setObjectName(QString::fromLatin1(objectNames::kLoadingProgressBar));
  progressBar_->setGeometry(44, 125, 272, 16);
  progressBar_->setRange(0, kStartupProgressMax);
  progressBar_->setPosition(0);

  fillTexts();
  centreOnScreen(this);
}

bool SplashScreen::event(QEvent* event) {
  if (event->type() == QEvent::WindowBlocked) {
    if (isVisible()) {
      steppedAside_ = true;
      hide();
    }
  } else if (event->type() == QEvent::WindowUnblocked && steppedAside_) {
    steppedAside_ = false;
    show();
  }
  return QWidget::event(event);
}

void SplashScreen::fillTexts() {
  appName_->setText(shownText(kAppTitle));
  appName_->adjustSize();
  version_->setText(shownText(splashVersionText()));
  version_->adjustSize();
  progressBar_->setCaption(shownText(splashLoadingCaption()));
}

void SplashScreen::setProgress(int position) {
  progressBar_->setPosition(position);
}

void SplashScreen::setCaption(const QString& caption) {
  progressBar_->setCaption(caption);
}

}  // namespace clipquill
