// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame_pane.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QScrollArea>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/object_names.h"
#include "ui/qt_text.h"

namespace clipquill {

FramePane::FramePane(QWidget* parent)
    : QWidget(parent),
      area_(new QScrollArea(this)),
      picture_(new QLabel),
      sliderLabel_(new QLabel(QStringLiteral("Frame:"), this)),
      slider_(new QSlider(Qt::Horizontal, this)),
      frameLabel_(new QLabel(this)),
      actualSize_(new QToolButton(this)),
      properties_(new QLabel(this)),
      error_(new QLabel(this)) {
  setObjectName(QString::fromLatin1(objectNames::kFramePane));
  picture_->setObjectName(QString::fromLatin1(objectNames::kFramePicture));
  picture_->setAlignment(Qt::AlignCenter);
  picture_->setWordWrap(true);
  picture_->setMinimumSize(1, 1);
  area_->setWidget(picture_);
  area_->setWidgetResizable(true);
  area_->setAlignment(Qt::AlignCenter);
  // Screen readers name each control by what the eye reads beside it.
  sliderLabel_->setObjectName(QString::fromLatin1(objectNames::kFrameSliderLabel));
  sliderLabel_->setBuddy(slider_);
  slider_->setObjectName(QString::fromLatin1(objectNames::kFrameSlider));
  slider_->setAccessibleName(sliderLabel_->text());
  slider_->setRange(0, 0);
  slider_->setPageStep(10);
  frameLabel_->setObjectName(QString::fromLatin1(objectNames::kFrameNumber));
  actualSize_->setObjectName(QString::fromLatin1(objectNames::kActualSizeButton));
  actualSize_->setText(QStringLiteral("1:1"));
  actualSize_->setAccessibleName(actualSize_->text());
  actualSize_->setToolTip(QStringLiteral("Show the frame at its own size"));
  actualSize_->setCheckable(true);
  properties_->setObjectName(QString::fromLatin1(objectNames::kClipProperties));
  properties_->setTextFormat(Qt::PlainText);
  properties_->setWordWrap(true);
  error_->setObjectName(QString::fromLatin1(objectNames::kScriptError));
  error_->setTextFormat(Qt::RichText);
  error_->setWordWrap(true);
  error_->hide();

  auto* controls = new QHBoxLayout;
  controls->setContentsMargins(0, 0, 0, 0);
  controls->addWidget(sliderLabel_);
  controls->addWidget(slider_, 1);
  controls->addWidget(frameLabel_);
  controls->addWidget(actualSize_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(area_, 1);
  layout->addLayout(controls);
  layout->addWidget(properties_);
  layout->addWidget(error_);

  connect(slider_, &QSlider::valueChanged, this, [this](int value) {
    frameLabel_->setText(QString::number(value));
    emit frameChanged(value);
  });
  connect(actualSize_, &QToolButton::toggled, this, [this] { fit(); });
  connect(error_, &QLabel::linkActivated, this,
          [this] { emit errorClicked(errorLine_, errorColumn_); });
  frameLabel_->setText(QStringLiteral("0"));
}

int FramePane::frame() const {
  return slider_->value();
}

void FramePane::showCheck(const ScriptCheck& check) {
  errorLine_ = check.line;
  errorColumn_ = check.column;
  if (!check.good()) {
    image_ = QImage();
    QString place;
    if (check.line > 0) {
      place = QStringLiteral("line %1").arg(check.line);
      if (check.column > 0) place += QStringLiteral(", column %1").arg(check.column);
    }
    const QString plain = shownText(check.message);
    const QString message = plain.toHtmlEscaped();
    error_->setText(
        place.isEmpty() ? message : QStringLiteral("<a href=\"#\">%1</a>: %2").arg(place, message));
    // Read as it shows, without its markup.
    error_->setAccessibleName(place.isEmpty() ? plain : place + QStringLiteral(": ") + plain);
    error_->show();
    properties_->clear();
    picture_->setPixmap(QPixmap());
    picture_->setText(QString());
    picture_->setAccessibleName(QString());
    return;
  }
  error_->hide();
  if (check.clip) {
    properties_->setText(shownText(describeClip(*check.clip)));
    const bool blocked = slider_->blockSignals(true);
    slider_->setRange(0, std::max(0, check.clip->frameCount - 1));
    slider_->blockSignals(blocked);
    frameLabel_->setText(QString::number(slider_->value()));
  }
  if (check.picture && check.picture->ok()) {
    const FramePicture& p = *check.picture;
    // Blue, green, red, alpha bytes are Qt's RGB32 on a little-endian machine.
    image_ = QImage(p.bgra.data(), p.width, p.height, p.width * 4, QImage::Format_RGB32).copy();
    picture_->setText(QString());
    // A picture has no words of its own: it is named by the frame it shows,
    // as the slider's label and number read.
    picture_->setAccessibleName(QStringLiteral("Frame %1").arg(slider_->value()));
  } else {
    image_ = QImage();
    picture_->setPixmap(QPixmap());
    picture_->setText(check.picture ? shownText(check.picture->error) : QString());
    picture_->setAccessibleName(picture_->text());
  }
  fit();
}

void FramePane::showNote(const QString& note) {
  image_ = QImage();
  picture_->setPixmap(QPixmap());
  picture_->setText(note);
  picture_->setAccessibleName(note);
  properties_->clear();
  error_->hide();
}

void FramePane::fit() {
  if (image_.isNull()) return;
  const bool actual = actualSize_->isChecked();
  area_->setWidgetResizable(!actual);
  if (actual) {
    picture_->setPixmap(QPixmap::fromImage(image_));
    picture_->adjustSize();
    return;
  }
  const QSize room = area_->viewport()->size();
  picture_->setPixmap(QPixmap::fromImage(
      image_.scaled(room.expandedTo(QSize(1, 1)), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void FramePane::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  fit();
}

QString FramePane::noteText() const {
  return image_.isNull() ? picture_->text() : QString();
}

QString FramePane::propertiesText() const {
  return properties_->text();
}

QString FramePane::errorText() const {
  return error_->text();
}

}  // namespace clipquill
