// SPDX-License-Identifier: GPL-3.0-or-later
// The preview's picture pane on Qt's offscreen platform: a frame fitted with
// its aspect kept or shown 1:1, the slider over the clip's frames, the
// properties under it, and an error whose place a click hands on.
#include <QAccessible>
#include <QLabel>
#include <QScrollArea>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <cstdlib>
#include <functional>
#include <vector>

#include "ui/frame_pane.h"
#include "ui/object_names.h"

namespace clipquill {

class FramePaneTest : public QObject {
  Q_OBJECT

 private slots:
  void showsTheFrameFittedOrActualSize();
  void theSliderCoversTheClipsFrames();
  void anErrorsPlaceIsHandedOn();
  void eachControlIsNamedAsItReads();
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
  auto* picture = pane.findChild<QLabel*>(objectNames::kFramePicture);
  QVERIFY(picture);
  const QSize fitted = picture->pixmap().size();
  // Fitted to the pane's width, its aspect (4:1) kept.
  QVERIFY2(fitted.width() > 320, qPrintable(QString::number(fitted.width())));
  QVERIFY(std::abs(fitted.width() - fitted.height() * 4) <= 4);
  pane.findChild<QToolButton*>(objectNames::kActualSizeButton)->click();
  QCOMPARE(picture->pixmap().size(), QSize(320, 80));
  QCOMPARE(pane.propertiesText(),
           QStringLiteral("320x80, 25 fps, 10 frames (0.400 s), YV12; no audio"));
}

void FramePaneTest::theSliderCoversTheClipsFrames() {
  FramePane pane;
  pane.showCheck(goodCheck(16, 16, 48));
  auto* slider = pane.findChild<QSlider*>(objectNames::kFrameSlider);
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
  QCOMPARE(pane.findChild<QLabel*>(objectNames::kFramePicture)->text(),
           QStringLiteral("the clip has no frames"));
}

void FramePaneTest::anErrorsPlaceIsHandedOn() {
  FramePane pane;
  QSignalSpy clicked(&pane, &FramePane::errorClicked);
  pane.showCheck(ScriptCheck{CheckStatus::Failed, "Script error: expected a , or )", 3, 21});
  QVERIFY(pane.errorText().contains(QStringLiteral("line 3, column 21")));
  auto* error = pane.findChild<QLabel*>(objectNames::kScriptError);
  emit error->linkActivated(QStringLiteral("#"));
  QCOMPARE(clicked.size(), 1);
  QCOMPARE(clicked[0][0].toInt(), 3);
  QCOMPARE(clicked[0][1].toInt(), 21);
  QVERIFY(pane.image().isNull());
}

// A screen reader names each control by what the eye reads on it or beside
// it, without the "&" of a key; a picture by the frame it shows.
void FramePaneTest::eachControlIsNamedAsItReads() {
  FramePane pane;
  QCOMPARE(pane.objectName(), QString::fromLatin1(objectNames::kFramePane));
  struct Case {
    const char* name;
    std::function<void()> show;
    QString expected;
  };
  ScriptCheck failed{CheckStatus::Failed, "Script error: a & b", 3, 21};
  ScriptCheck unplaced{CheckStatus::Failed, "There is no function named 'X'", 0, 0};
  const std::vector<Case> cases = {
      {objectNames::kFrameSlider, [] {}, QStringLiteral("Frame:")},
      {objectNames::kFrameSliderLabel, [] {}, QStringLiteral("Frame:")},
      {objectNames::kActualSizeButton, [] {}, QStringLiteral("1:1")},
      {objectNames::kFramePicture, [&] { pane.showCheck(goodCheck(16, 16, 48)); },
       QStringLiteral("Frame 0")},
      {objectNames::kFrameNumber, [] {}, QStringLiteral("0")},
      {objectNames::kClipProperties, [] {},
       QStringLiteral("16x16, 25 fps, 48 frames (1.920 s), YV12; no audio")},
      {objectNames::kFramePicture, [&] { pane.showNote(QStringLiteral("Rendering...")); },
       QStringLiteral("Rendering...")},
      {objectNames::kScriptError, [&] { pane.showCheck(failed); },
       QStringLiteral("line 3, column 21: Script error: a & b")},  // its own "&" kept
      {objectNames::kFramePicture, [] {}, QString()},
      {objectNames::kScriptError, [&] { pane.showCheck(unplaced); },
       QStringLiteral("There is no function named 'X'")},
  };
  for (const Case& c : cases) {
    c.show();
    auto* widget = pane.findChild<QWidget*>(QString::fromLatin1(c.name));
    QVERIFY2(widget, c.name);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    QVERIFY2(accessible, c.name);
    QCOMPARE(accessible->text(QAccessible::Name), c.expected);
  }
}

}  // namespace clipquill

QTEST_MAIN(clipquill::FramePaneTest)
#include "frame_pane_test.moc"
