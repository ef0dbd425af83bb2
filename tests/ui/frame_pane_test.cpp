// SPDX-License-Identifier: GPL-3.0-or-later
// The preview's picture pane on Qt's offscreen platform: a frame fitted with
// its aspect kept or shown 1:1, the slider over the clip's frames, the
// properties under it, and an error whose place a click hands on.
#include <QLabel>
#include <QScrollArea>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <cstdlib>

#include "ui/frame_pane.h"

namespace clipquill {

class FramePaneTest : public QObject {
  Q_OBJECT

 private slots:
  void showsTheFrameFittedOrActualSize();
  void theSliderCoversTheClipsFrames();
  void anErrorsPlaceIsHandedOn();
};

namespace {

ScriptCheck goodCheck(int width, int height, int frames) {
  ScriptCheck check;
  ClipInfo clip;
  clip.video = true;
  clip.width = width;
  clip.height = height;
  clip.fpsNumerator = 25;
  clip.fpsDenominator = 1;
  clip.frameCount = frames;
  clip.pixelType = "YV12";
  check.clip = std::make_shared<const ClipInfo>(clip);
  FramePicture picture;
  picture.width = width;
  picture.height = height;
  picture.bgra.assign(static_cast<std::size_t>(width) * height * 4, 0x80);
  check.picture = std::make_shared<const FramePicture>(std::move(picture));
  return check;
}

}  // namespace

void FramePaneTest::showsTheFrameFittedOrActualSize() {
  FramePane pane;
  pane.resize(400, 400);
  pane.show();
  QVERIFY(QTest::qWaitForWindowExposed(&pane));
  pane.showCheck(goodCheck(320, 80, 10));
  QCOMPARE(pane.image().size(), QSize(320, 80));
  auto* picture = pane.findChild<QLabel*>(QStringLiteral("FramePicture"));
  QVERIFY(picture);
  const QSize fitted = picture->pixmap().size();
  // Fitted to the pane's width, its aspect (4:1) kept.
  QVERIFY2(fitted.width() > 320, qPrintable(QString::number(fitted.width())));
  QVERIFY(std::abs(fitted.width() - fitted.height() * 4) <= 4);
  pane.findChild<QToolButton*>(QStringLiteral("ActualSizeButton"))->click();
  QCOMPARE(picture->pixmap().size(), QSize(320, 80));
  QCOMPARE(pane.propertiesText(),
           QStringLiteral("320x80, 25 fps, 10 frames (0.400 s), YV12; no audio"));
}

void FramePaneTest::theSliderCoversTheClipsFrames() {
  FramePane pane;
  pane.showCheck(goodCheck(16, 16, 48));
  auto* slider = pane.findChild<QSlider*>(QStringLiteral("FrameSlider"));
  QCOMPARE(slider->maximum(), 47);
  QSignalSpy moved(&pane, &FramePane::frameChanged);
  slider->setFocus();
  QTest::keyClick(slider, Qt::Key_End);
  QCOMPARE(pane.frame(), 47);
  QTest::keyClick(slider, Qt::Key_PageDown);
  QCOMPARE(pane.frame(), 37);
  QTest::keyClick(slider, Qt::Key_Home);
  QCOMPARE(pane.frame(), 0);
  QTest::keyClick(slider, Qt::Key_PageUp);
  QCOMPARE(pane.frame(), 10);
  QCOMPARE(moved.size(), 4);
  // A clip of no frames leaves the slider at 0, its picture's reason shown.
  ScriptCheck empty = goodCheck(16, 16, 0);
  empty.picture =
      std::make_shared<const FramePicture>(FramePicture{0, 0, 0, {}, "the clip has no frames"});
  pane.showCheck(empty);
  QCOMPARE(slider->maximum(), 0);
  QCOMPARE(pane.findChild<QLabel*>(QStringLiteral("FramePicture"))->text(),
           QStringLiteral("the clip has no frames"));
}

void FramePaneTest::anErrorsPlaceIsHandedOn() {
  FramePane pane;
  QSignalSpy clicked(&pane, &FramePane::errorClicked);
  pane.showCheck(ScriptCheck{CheckStatus::Failed, "Script error: expected a , or )", 3, 21});
  QVERIFY(pane.errorText().contains(QStringLiteral("line 3, column 21")));
  auto* error = pane.findChild<QLabel*>(QStringLiteral("ScriptError"));
  emit error->linkActivated(QStringLiteral("#"));
  QCOMPARE(clicked.size(), 1);
  QCOMPARE(clicked[0][0].toInt(), 3);
  QCOMPARE(clicked[0][1].toInt(), 21);
  QVERIFY(pane.image().isNull());
}

}  // namespace clipquill

QTEST_MAIN(clipquill::FramePaneTest)
#include "frame_pane_test.moc"
