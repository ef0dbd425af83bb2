// SPDX-License-Identifier: GPL-3.0-or-later
// The created-scripts list's check marks as the window shows them, on Qt's
// offscreen platform, with the stand-in AviSynth+ library (it crashes on
// demand) and the check's test program as the helper.
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QToolTip>

#include "ui/created_script_marks.h"
#include "ui/elided_label.h"
#include "ui/script_view_dialog.h"

namespace clipquill {

class CreatedScriptMarksTest : public QObject {
  Q_OBJECT

 private slots:
  void marksShadesTipsAndStatus();
  void withoutAvisynthTheStatusSaysHowToGetIt();
  void problemsAreListedShownAndCopied();
  void unconfinedIsSaidOnceWithItsReasonInTheTip();
  void theScriptViewReadsAsItShows();
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
  CreatedScriptsView list;
  ElidedLabel status;
  QListWidget problems;
  list.setPlainText(QStringLiteral("Script(s) Created:\na.avs\ncrash.avs"));
  list.show();
  QVERIFY(QTest::qWaitForWindowExposed(&list));
  CreatedScriptMarks marks(&list, &status, &problems);
  marks.start({CLIPQUILL_FAKE_AVISYNTH, std::chrono::seconds(2), CLIPQUILL_CHECK_HELPER}, "/s/",
              {"Script(s) Created:", "a.avs", "crash.avs"});
  QCOMPARE(status.fullText(), QStringLiteral("AviSynth+: checking 2 scripts"));
  QTRY_VERIFY_WITH_TIMEOUT(status.fullText().contains(QStringLiteral("failed")), 10000);
  QVERIFY2(status.fullText().startsWith(
               QStringLiteral("AviSynth+: 1 of 2 scripts failed; crash.avs: crashed")),
           qPrintable(status.fullText()));
  QCOMPARE(list.extraSelections().size(), 2);
  QCOMPARE(list.extraSelections()[0].cursor.blockNumber(), 1);
  QVERIFY(list.extraSelections()[0].format.background() !=
          list.extraSelections()[1].format.background());
  QCOMPARE(tipOverLine(list, 1),
           QStringLiteral("AviSynth+: good\n64x48, 25 fps, 10 frames (0.400 s), RGB32; no audio"));
  QVERIFY(tipOverLine(list, 2).startsWith(QStringLiteral("AviSynth+: crashed")));
  QCOMPARE(tipOverLine(list, 0), QString());
  // An icon beside the failed line, not only its colour.
  QVERIFY(list.failed && list.failed(2) && !list.failed(1));

  marks.clear();
  QCOMPARE(list.extraSelections().size(), 0);
  QCOMPARE(status.fullText(), QString());
}

void CreatedScriptMarksTest::withoutAvisynthTheStatusSaysHowToGetIt() {
  QPlainTextEdit list;
  ElidedLabel status;
  QListWidget problems;
  list.setPlainText(QStringLiteral("Script(s) Created:\na.avs"));
  CreatedScriptMarks marks(&list, &status, &problems);
  marks.start({"/nonexistent/libavisynth.so", std::chrono::seconds(2), CLIPQUILL_CHECK_HELPER},
              "/s/", {"Script(s) Created:", "a.avs"});
  QTRY_VERIFY_WITH_TIMEOUT(marks.checks().unavailable(), 10000);
  QVERIFY(status.fullText().startsWith(QStringLiteral("AviSynth+ is not available: ")));
  QVERIFY(status.fullText().contains(QStringLiteral("Install AviSynth+")));
  QCOMPARE(list.extraSelections().size(), 0);
  QVERIFY(problems.isHidden());
}

// The failed scripts are rows of the problems list, which the keyboard
// reaches: Enter shows the script read-only, Ctrl+C copies its place.
void CreatedScriptMarksTest::problemsAreListedShownAndCopied() {
  QTemporaryDir dir;
  const QString folder = dir.path() + QLatin1Char('/');
  QFile script(folder + QStringLiteral("crash.avs"));
  QVERIFY(script.open(QIODevice::WriteOnly));
  script.write("BlankClip()\r\nNoSuchFilter()\r\n");
  script.close();
  CreatedScriptsView list;
  ElidedLabel status;
  QListWidget problems;
  list.setPlainText(QStringLiteral("Script(s) Created:\na.avs\ncrash.avs"));
  CreatedScriptMarks marks(&list, &status, &problems);
  QVERIFY(problems.isHidden());
  marks.start({CLIPQUILL_FAKE_AVISYNTH, std::chrono::seconds(2), CLIPQUILL_CHECK_HELPER},
              folder.toStdString(), {"Script(s) Created:", "a.avs", "crash.avs"});
  QTRY_VERIFY_WITH_TIMEOUT(marks.checks().finished(), 10000);
  QVERIFY(!problems.isHidden());
  QCOMPARE(problems.count(), 1);
  QVERIFY2(problems.item(0)->text().startsWith(QStringLiteral("crash.avs: crashed")),
           qPrintable(problems.item(0)->text()));
  QVERIFY(!problems.item(0)->icon().isNull());

  problems.setCurrentRow(0);
  problems.item(0)->setSelected(true);
  QTest::keyClick(&problems, Qt::Key_C, Qt::ControlModifier);
  QVERIFY2(QGuiApplication::clipboard()->text().startsWith(folder + "crash.avs: crashed"),
           qPrintable(QGuiApplication::clipboard()->text()));

  QString shown;
  QTimer::singleShot(50, [&] {
    if (auto* view = qobject_cast<ScriptViewDialog*>(QApplication::activeModalWidget())) {
      shown = view->textView()->toPlainText();
      QVERIFY(view->textView()->isReadOnly());
      view->reject();
    }
  });
  emit problems.itemActivated(problems.item(0));
  QCOMPARE(shown, QStringLiteral("BlankClip()\nNoSuchFilter()\n"));
}

// A helper without its bounds: the status says so briefly, its tip says why;
// the next run's status no more.
void CreatedScriptMarksTest::unconfinedIsSaidOnceWithItsReasonInTheTip() {
  QPlainTextEdit list;
  ElidedLabel status;
  QListWidget problems;
  list.setPlainText(QStringLiteral("Script(s) Created:\na.avs"));
  CreatedScriptMarks marks(&list, &status, &problems);
  const CheckerOptions options{CLIPQUILL_FAKE_AVISYNTH, std::chrono::seconds(2),
                               CLIPQUILL_UNCONFINED_HELPER};
  marks.start(options, "/s/", {"Script(s) Created:", "a.avs"});
  QTRY_VERIFY_WITH_TIMEOUT(marks.checks().finished(), 10000);
  QTRY_VERIFY(status.fullText().endsWith(QStringLiteral(" (unconfined)")));
  QVERIFY(status.fullText().startsWith(QStringLiteral("AviSynth+: ")));
  QVERIFY2(status.toolTip().contains(QStringLiteral("\nthe check runs unconfined: no Landlock")),
           qPrintable(status.toolTip()));
  marks.start(options, "/s/", {"Script(s) Created:", "a.avs"});
  QTRY_VERIFY_WITH_TIMEOUT(marks.checks().finished(), 10000);
  QTest::qWait(50);  // a late word would land by now
  QVERIFY2(!status.fullText().contains(QStringLiteral("unconfined")),
           qPrintable(status.fullText()));
  // The tip says which AviSynth+ checked, and from where; no more of the bounds.
  QCOMPARE(status.toolTip(), status.fullText() + QStringLiteral("\nChecked with Fake AviSynth, ") +
                                 QStringLiteral(CLIPQUILL_FAKE_AVISYNTH) +
                                 QStringLiteral(", named with --avisynth"));
}

// The script viewer: captioned with the script's name, AviSynth's message
// over the text, and the text as a screen reader is told it: the characters
// the eye reads, the caret's line the failing one, each offset's place on
// the screen where that character is drawn, also after the view scrolled
// the failing line into sight.
void CreatedScriptMarksTest::theScriptViewReadsAsItShows() {
  QString script;
  for (int i = 1; i <= 60; ++i)
    script += QStringLiteral("Trim(%1, 0)\r\n").arg(i);
  script += QStringLiteral("\tNoSuchFilter(\"\u00e9t\u00e9\")\r\nreturn last\r\n");
  const QString problem =
      QStringLiteral("/s/a.avs:61:2: There is no function named 'NoSuchFilter'.");
  ScriptViewDialog view(QStringLiteral("a.avs"), problem, script, 61);
  view.show();
  QVERIFY(QTest::qWaitForWindowExposed(&view));
  QCOMPARE(view.windowTitle(), QStringLiteral("a.avs"));
  QCOMPARE(view.problemLabel()->text(), problem);
  QVERIFY(!view.windowTitle().contains(QStringLiteral("NoSuchFilter")));

  QPlainTextEdit* text = view.textView();
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(text);
  QVERIFY(accessible);
  QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("a.avs"));
  QAccessibleTextInterface* reader = accessible->textInterface();
  QVERIFY(reader);
  const QString shown = text->toPlainText();
  QCOMPARE(reader->characterCount(), shown.size());
  QCOMPARE(reader->text(0, reader->characterCount()), shown);
  int start = -1, end = -1;
  const QString line =
      reader->textAtOffset(reader->cursorPosition(), QAccessible::LineBoundary, &start, &end);
  QVERIFY2(line.startsWith(QStringLiteral("\tNoSuchFilter(")), qPrintable(line));
  QCOMPARE(shown.mid(start, end - start), line);
  // The failing line's first characters, where they are drawn.
  const QTextCursor caret = text->textCursor();
  for (int offset : {caret.position(), caret.position() + 3}) {
    QTextCursor at(text->document());
    at.setPosition(offset);
    const QRect drawn = text->cursorRect(at);
    const QRect told = reader->characterRect(offset);
    const QPoint local = text->viewport()->mapFromGlobal(told.topLeft());
    QVERIFY2(std::abs(local.y() - drawn.y()) <= 2 && std::abs(local.x() - drawn.x()) <= 2,
             qPrintable(QStringLiteral("offset %1").arg(offset)));
    QCOMPARE(reader->offsetAtPoint(told.center()), offset);
  }
}

}  // namespace clipquill

QTEST_MAIN(clipquill::CreatedScriptMarksTest)
#include "created_script_marks_test.moc"
