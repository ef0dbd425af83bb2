// SPDX-License-Identifier: GPL-3.0-or-later
// The created-scripts list's check marks as the window shows them, on Qt's
// offscreen platform, with the stand-in AviSynth+ library (it crashes on
// demand) and the check's test program as the helper.
#include <QHelpEvent>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QToolTip>

#include "ui/created_script_marks.h"

namespace clipquill {

class CreatedScriptMarksTest : public QObject {
  Q_OBJECT

 private slots:
  void marksShadesTipsAndStatus();
  void withoutAvisynthTheStatusSaysHowToGetIt();
};

namespace {

// The tip the list shows over the middle of a line.
QString tipOverLine(QPlainTextEdit& list, int line) {
  const QRect r = list.cursorRect(QTextCursor(list.document()->findBlockByNumber(line)));
  const QPoint pos = r.center();
  QHelpEvent help(QEvent::ToolTip, pos, list.viewport()->mapToGlobal(pos));
  QToolTip::hideText();
  if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000)) return QStringLiteral("?");
  QCoreApplication::sendEvent(list.viewport(), &help);
  return QToolTip::isVisible() ? QToolTip::text() : QString();
}

}  // namespace

void CreatedScriptMarksTest::marksShadesTipsAndStatus() {
  QPlainTextEdit list;
  QStatusBar status;
  list.setPlainText(QStringLiteral("Script(s) Created:\na.avs\ncrash.avs"));
  list.show();
  QVERIFY(QTest::qWaitForWindowExposed(&list));
  CreatedScriptMarks marks(&list, &status);
  marks.start({CLIPQUILL_FAKE_AVISYNTH, std::chrono::seconds(2), CLIPQUILL_CHECK_HELPER}, "/s/",
              {"Script(s) Created:", "a.avs", "crash.avs"});
  QCOMPARE(status.currentMessage(), QStringLiteral("AviSynth+: checking 2 scripts"));
  QTRY_VERIFY_WITH_TIMEOUT(status.currentMessage().contains(QStringLiteral("failed")), 10000);
  QVERIFY2(status.currentMessage().startsWith(
               QStringLiteral("AviSynth+: 1 of 2 scripts failed; crash.avs: crashed")),
           qPrintable(status.currentMessage()));
  QCOMPARE(list.extraSelections().size(), 2);
  QCOMPARE(list.extraSelections()[0].cursor.blockNumber(), 1);
  QVERIFY(list.extraSelections()[0].format.background() !=
          list.extraSelections()[1].format.background());
  QCOMPARE(tipOverLine(list, 1),
           QStringLiteral("AviSynth+: good\n64x48, 25 fps, 10 frames (0.400 s), RGB32; no audio"));
  QVERIFY(tipOverLine(list, 2).startsWith(QStringLiteral("AviSynth+: crashed")));
  QCOMPARE(tipOverLine(list, 0), QString());

  marks.clear();
  QCOMPARE(list.extraSelections().size(), 0);
  QCOMPARE(status.currentMessage(), QString());
}

void CreatedScriptMarksTest::withoutAvisynthTheStatusSaysHowToGetIt() {
  QPlainTextEdit list;
  QStatusBar status;
  list.setPlainText(QStringLiteral("Script(s) Created:\na.avs"));
  CreatedScriptMarks marks(&list, &status);
  marks.start({"/nonexistent/libavisynth.so", std::chrono::seconds(2), CLIPQUILL_CHECK_HELPER},
              "/s/", {"Script(s) Created:", "a.avs"});
  QTRY_VERIFY_WITH_TIMEOUT(marks.checks().unavailable(), 10000);
  QVERIFY(status.currentMessage().startsWith(QStringLiteral("AviSynth+ is not available: ")));
  QVERIFY(status.currentMessage().contains(QStringLiteral("Install AviSynth+")));
  QCOMPARE(list.extraSelections().size(), 0);
}

}  // namespace clipquill

QTEST_MAIN(clipquill::CreatedScriptMarksTest)
#include "created_script_marks_test.moc"
