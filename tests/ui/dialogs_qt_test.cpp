// SPDX-License-Identifier: GPL-3.0-or-later
// The dialogs and the splash on Qt's offscreen platform: what each shows, how
// it closes, and what it hands back.
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/named_child.h"
#include "ui/about_box.h"
#include "ui/file_dialogs.h"
#include "ui/filter_editor_dialog.h"
#include "ui/object_names.h"
#include "ui/qt_text.h"
#include "ui/splash_screen.h"
#include "ui/usage_dialog.h"

namespace clipquill {
namespace {

using Lines = std::vector<std::string>;
using testing::child;

// Runs act once window is shown and active, from inside the modal loop that
// shows it. Fails the test (and closes the window) if it never is.
void whenActive(QWidget* window, std::function<void()> act) {
  auto* poll = new QTimer(window);
  auto tries = std::make_shared<int>(0);
  QObject::connect(poll, &QTimer::timeout, window, [=] {
    if (window->isVisible() && QApplication::activeWindow() == window) {
      poll->deleteLater();
      act();
    } else if (++*tries > 200) {
      poll->deleteLater();
      QTest::qFail("window never became active", __FILE__, __LINE__);
      window->close();
    }
  });
  poll->start(10);
}

// Types text at the end of memo, "\n" as the Return key.
void typeInMemo(QPlainTextEdit* memo, const QString& text) {
  memo->setFocus();
  memo->moveCursor(QTextCursor::End);
  const QStringList lines = text.split(QLatin1Char('\n'));
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (i > 0) QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, lines[i]);
  }
}

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void bytesAndShownText();

  void filterEditorFocusStartsOnOkThenStaysWhereItWas();
  void filterEditorTakesEnterAsANewLine();
  void filterEditorClosedWithoutOkGivesNothing();
  void filterEditorKeepsTypedLinesWhateverTheWrapping();
  void filterEditorGivesBackUneditedBytes();

  void aboutBoxIsRefreshedAtEachShowing();
  void aboutBoxGrowsForALargeFont();
  void usageWindowIsOneInstanceBroughtForward();
  void usageTextCoversTheMainWindow();
  void saveDialogLeavesTheReplaceQuestionToTheProgram();
  void splashShowsItsPartsAndFillsTheBar();
  void splashStepsAsideForAModalBox();
};

void DialogsTest::bytesAndShownText() {
  const struct {
    const char* name;
    std::string bytes;
    bool valid;
  } cases[] = {
      {"ASCII", "clip.avs", true},
      {"two, three and four bytes", "\xc3\xa9\xe2\x82\xac\xf0\x9f\x8e\xac", true},
      {"Latin-1 e acute", "caf\xe9", false},
      {"overlong slash", "\xc0\xaf", false},
      {"overlong three-byte", "\xe0\x80\xaf", false},
      {"surrogate", "\xed\xa0\x80", false},
      {"beyond U+10FFFF", "\xf4\x90\x80\x80", false},
      {"truncated", "\xe2\x82", false},
      {"lone continuation", "\x80", false},
      {"U+10FFFF", "\xf4\x8f\xbf\xbf", true},
  };
  for (const auto& c : cases) {
    QVERIFY2(isValidUtf8(c.bytes) == c.valid, c.name);
    QVERIFY2(textBytes(shownText(c.bytes), !c.valid) == c.bytes, c.name);
  }
  // A character Latin-1 cannot hold goes back as UTF-8 rather than be lost.
  QCOMPARE(textBytes(QStringLiteral("\u20ac"), true), std::string("\xe2\x82\xac"));
}

void DialogsTest::filterEditorFocusStartsOnOkThenStaysWhereItWas() {
  FilterEditorDialog dlg;
  QCOMPARE(dlg.windowTitle(), QStringLiteral("Filename Filters"));
  QVERIFY(child<QPushButton>(&dlg, objectNames::kOKBtn)->isDefault());
  QWidget* focused = nullptr;
  QString shown;
  whenActive(&dlg, [&] {
    focused = QApplication::focusWidget();
    shown = child<QPlainTextEdit>(&dlg, objectNames::kFilterMemo)->toPlainText();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // presses OK
    if (dlg.isVisible()) dlg.reject();
  });
  const auto edited = dlg.edit({"avs", "mpg", "mpeg"});
  QCOMPARE(focused, static_cast<QWidget*>(child<QPushButton>(&dlg, objectNames::kOKBtn)));
  QCOMPARE(shown, QStringLiteral("avs\nmpg\nmpeg"));
  QVERIFY(edited);
  QCOMPARE(*edited, (Lines{"avs", "mpg", "mpeg"}));

  // Closed with the focus in the text box, it opens with it there.
  whenActive(&dlg, [&] {
    child<QPlainTextEdit>(&dlg, objectNames::kFilterMemo)->setFocus();
    dlg.close();
  });
  dlg.edit({"avs"});
  whenActive(&dlg, [&] {
    focused = QApplication::focusWidget();
    dlg.close();
  });
  dlg.edit({"avs"});
  QCOMPARE(focused, static_cast<QWidget*>(child<QPlainTextEdit>(&dlg, objectNames::kFilterMemo)));
}

void DialogsTest::filterEditorTakesEnterAsANewLine() {
  FilterEditorDialog dlg;
  bool stillOpen = false;
  whenActive(&dlg, [&] {
    typeInMemo(child<QPlainTextEdit>(&dlg, objectNames::kFilterMemo),
               QStringLiteral("\navi"));  // Return, then "avi"
    QTest::keyClick(child<QPlainTextEdit>(&dlg, objectNames::kFilterMemo), Qt::Key_Return);
    QTest::keyClick(child<QPlainTextEdit>(&dlg, objectNames::kFilterMemo), Qt::Key_Enter);
    stillOpen = dlg.isVisible();
    child<QPushButton>(&dlg, objectNames::kOKBtn)->click();
  });
  const auto edited = dlg.edit({"avs"});
  QVERIFY(stillOpen);
  QVERIFY(edited);
  // The empty lines are the model's to drop; the editor reports them.
  QCOMPARE(*edited, (Lines{"avs", "avi", "", ""}));
}

void DialogsTest::filterEditorClosedWithoutOkGivesNothing() {
  FilterEditorDialog dlg;
  const std::vector<std::pair<const char*, std::function<void()>>> ways{
      {"close box", [&] { dlg.close(); }},
      {"Escape", [&] { QTest::keyClick(&dlg, Qt::Key_Escape); }},
  };
  for (const auto& [name, way] : ways) {
    whenActive(&dlg, [&] {
      typeInMemo(child<QPlainTextEdit>(&dlg, objectNames::kFilterMemo), QStringLiteral("\nwmv"));
      way();
    });
    QVERIFY2(!dlg.edit({"avs", "avi"}), name);
  }
  // The abandoned text leaves no trace on the next showing.
  QString shown;
  whenActive(&dlg, [&] {
    shown = child<QPlainTextEdit>(&dlg, objectNames::kFilterMemo)->toPlainText();
    dlg.close();
  });
  dlg.edit({"avs", "avi"});
  QCOMPARE(shown, QStringLiteral("avs\navi"));
}

void DialogsTest::filterEditorKeepsTypedLinesWhateverTheWrapping() {
  FilterEditorDialog dlg;
  const std::string longLine(300, 'x');
  const std::string spaced = "a long entry with many words " + std::string(40, 'y');
  int wrappedLines = 0;
  whenActive(&dlg, [&] {
    wrappedLines = child<QPlainTextEdit>(&dlg, objectNames::kFilterMemo)
                       ->document()
                       ->begin()
                       .layout()
                       ->lineCount();
    // Shift+Enter breaks the line as Enter does.
    typeInMemo(child<QPlainTextEdit>(&dlg, objectNames::kFilterMemo), QStringLiteral("\n"));
    QTest::keyClicks(child<QPlainTextEdit>(&dlg, objectNames::kFilterMemo), QStringLiteral("m2v"));
    QTest::keyClick(child<QPlainTextEdit>(&dlg, objectNames::kFilterMemo), Qt::Key_Return,
                    Qt::ShiftModifier);
    QTest::keyClicks(child<QPlainTextEdit>(&dlg, objectNames::kFilterMemo), QStringLiteral("ts"));
    child<QPushButton>(&dlg, objectNames::kOKBtn)->click();
  });
  const auto edited = dlg.edit({longLine, spaced,
                                "a\xc2\xa0"
                                "b"});
  QVERIFY2(wrappedLines > 1, "the long line is wrapped on screen");
  QVERIFY(edited);
  QCOMPARE(*edited, (Lines{longLine, spaced,
                           "a\xc2\xa0"
                           "b",
                           "m2v", "ts"}));
}

void DialogsTest::filterEditorGivesBackUneditedBytes() {
  FilterEditorDialog dlg;
  QString shown;
  whenActive(&dlg, [&] {
    shown = child<QPlainTextEdit>(&dlg, objectNames::kFilterMemo)->toPlainText();
    typeInMemo(child<QPlainTextEdit>(&dlg, objectNames::kFilterMemo), QStringLiteral("\n"));
    child<QPlainTextEdit>(&dlg, objectNames::kFilterMemo)
        ->insertPlainText(QStringLiteral("\u00e9t\u00e9"));  // as a keyboard would
    child<QPushButton>(&dlg, objectNames::kOKBtn)->click();
  });
  // The Latin-1 and the UTF-8 spelling of one word look alike on screen.
  const auto edited = dlg.edit({"caf\xe9", "caf\xc3\xa9", "caf\xe9", "  "});
  QCOMPARE(shown, QStringLiteral("caf\u00e9\ncaf\u00e9\ncaf\u00e9\n  "));
  QVERIFY(edited);
  QCOMPARE(*edited, (Lines{"caf\xe9", "caf\xc3\xa9", "caf\xe9", "  ", "\xc3\xa9t\xc3\xa9"}));
}

void DialogsTest::aboutBoxIsRefreshedAtEachShowing() {
  AboutBox about;
  // The design's width; its height at least the design's, grown to show the
  // whole comment with the licence line.
  QCOMPARE(about.width(), 362);
  QVERIFY(about.height() >= 208);
  QCOMPARE(child<QLabel>(&about, objectNames::kProgramIcon)->pixmap().size(),
           QSize(64, 64));  // the embedded icon decoded
  about.setTitleSource([] { return QStringLiteral("Clipquill"); });
  for (int showing = 1; showing <= 2; ++showing) {
    QString version, product;
    bool modal = false;
    whenActive(&about, [&] {
      version = child<QLabel>(&about, objectNames::kVersion)->text();
      product = child<QLabel>(&about, objectNames::kProductName)->text();
      modal = about.isModal();
      // Spoil the labels: the next showing must put them right again.
      child<QLabel>(&about, objectNames::kVersion)->setText(QStringLiteral("Version ?"));
      child<QLabel>(&about, objectNames::kProductName)->clear();
      QTest::keyClick(&about, Qt::Key_Return);
    });
    about.showModal();
    QCOMPARE(version, QStringLiteral("Version 2.22"));
    QCOMPARE(product, QStringLiteral("Clipquill"));
    QVERIFY(modal);
    QVERIFY(!about.isVisible());
  }
}

void DialogsTest::aboutBoxGrowsForALargeFont() {
  const QFont usual = QApplication::font();
  QFont large = usual;
  large.setPixelSize(22);
  QApplication::setFont(large);
  AboutBox about;
  QApplication::setFont(usual);
  QVERIFY(child<QLabel>(&about, objectNames::kComments)->height() >=
          child<QLabel>(&about, objectNames::kComments)
              ->heightForWidth(child<QLabel>(&about, objectNames::kComments)->width()));
  QVERIFY(child<QLabel>(&about, objectNames::kVersion)->height() >=
          child<QLabel>(&about, objectNames::kVersion)->fontMetrics().height());
  QVERIFY(child<QLabel>(&about, objectNames::kCopyright)->geometry().bottom() <
          child<QLabel>(&about, objectNames::kComments)->y());
  QVERIFY(child<QLabel>(&about, objectNames::kComments)->geometry().bottom() <
          child<QFrame>(&about, objectNames::kPanel1)->height());
  QVERIFY(child<QPushButton>(&about, objectNames::kOKButton)->geometry().bottom() < about.height());
  QVERIFY(child<QPushButton>(&about, objectNames::kOKButton)->y() >
          child<QFrame>(&about, objectNames::kPanel1)->geometry().bottom());
}

void DialogsTest::usageWindowIsOneInstanceBroughtForward() {
  QWidget main;
  main.show();
  auto* usage = new UsageDialog(&main);

  usage->showUsage();
  QVERIFY(QTest::qWaitForWindowActive(usage));
  QVERIFY(!usage->isModal());
  const QPoint placed = usage->pos();
  main.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&main));
  usage->showUsage();
  QVERIFY(QTest::qWaitForWindowActive(usage));
  QCOMPARE(usage->pos(), placed);
  int instances = 0;
  for (QWidget* w : QApplication::topLevelWidgets())
    instances += dynamic_cast<UsageDialog*>(w) != nullptr;
  QCOMPARE(instances, 1);

  // Tab from Close never lands in the text.
  child<QPushButton>(usage, objectNames::kOKBtn)->setFocus();
  QTest::keyClick(child<QPushButton>(usage, objectNames::kOKBtn), Qt::Key_Tab);
  QVERIFY(QApplication::focusWidget() != child<QPlainTextEdit>(usage, objectNames::kMemo1));

  child<QPushButton>(usage, objectNames::kOKBtn)->click();
  QVERIFY(!usage->isVisible());
  usage->showUsage();
  QVERIFY(usage->isVisible());
}

// Save Template asks once before replacing a template: the program asks
// after its extension rule, so the file dialog itself never does.
void DialogsTest::saveDialogLeavesTheReplaceQuestionToTheProgram() {
  QTemporaryDir dir;
  QFile existing(dir.filePath(QStringLiteral("Hall.qtpl")));
  QVERIFY(existing.open(QIODevice::WriteOnly));
  existing.close();
  int questions = 0;
  int ticks = 0;
  QTimer poll;
  connect(&poll, &QTimer::timeout, this, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      ++questions;
      box->done(QMessageBox::Yes);
    } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      // Typed and accepted as the user would, until the dialog closes.
      if (++ticks > 250) {
        dialog->reject();
        return;
      }
      if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        name->setText(QStringLiteral("Hall.qtpl"));
      QMetaObject::invokeMethod(dialog, "accept");
    }
  });
  poll.start(20);
  const auto choice = qtFileDialogs().save(nullptr, "", 1, dir.path().toStdString());
  poll.stop();
  QCOMPARE(questions, 0);
  QVERIFY(choice);
  QCOMPARE(QString::fromStdString(choice->path), existing.fileName());
}

void DialogsTest::usageTextCoversTheMainWindow() {
  UsageDialog usage;
  QCOMPARE(usage.windowTitle(), QStringLiteral("Using Clipquill"));
  const QString text = child<QPlainTextEdit>(&usage, objectNames::kMemo1)->toPlainText();
  for (const char* term : {"Location of sources:",
                           "Clips Folder",
                           "Name of source(s):",
                           "Name for script(s)",
                           "Destination folder for scripts:",
                           "Script Folder",
                           "Script template:",
                           "Create Script(s)",
                           "Join Sources",
                           "Source(s):",
                           "De/Select All",
                           "Load Template",
                           "Save Template",
                           "Script(s):",
                           "Filter By:",
                           "Edit Filter List",
                           "<P>",
                           "<F>",
                           "\"*\"",
                           "DefaultTemplate.qtpl",
                           ".ini",
                           "ClipLoc",
                           "ScriptDest",
                           "FilterState",
                           "$XDG_CONFIG_HOME/Clipquill/registry",
                           "New Folder"})
    QVERIFY2(text.contains(QString::fromUtf8(term)), term);
}

void DialogsTest::splashShowsItsPartsAndFillsTheBar() {
  SplashScreen splash;
  QVERIFY(splash.hasPicture());  // the embedded JPEG decoded
  QCOMPARE(child<QLabel>(&splash, objectNames::kAppName)->text(), QStringLiteral("Clipquill"));
  QCOMPARE(child<QLabel>(&splash, objectNames::kVersion)->text(), QStringLiteral("Version: 2.22"));
  SplashProgressBar* bar = child<SplashProgressBar>(&splash, objectNames::kLoadingProgressBar);
  QCOMPARE(bar->maximum(), 7);
  QCOMPARE(bar->caption(), QStringLiteral("Clipquill now loading..."));

  // Drawn: white while empty, lime once full; the outline is dark blue.
  const auto pixelAt = [&](int x) { return bar->grab().toImage().pixelColor(x, 3); };
  const QColor empty = pixelAt(20);
  QVERIFY2(empty.red() > 240 && empty.green() > 240 && empty.blue() > 240, "white");
  bar->setPosition(7);
  const QColor full = pixelAt(20);
  QVERIFY2(full.green() > full.red() && full.green() > full.blue() + 60, "lime");
  const QColor edge = bar->grab().toImage().pixelColor(136, 0);
  QVERIFY2(edge.blue() > edge.red() + 40 && edge.blue() > edge.green(), "dark-blue outline");
  bar->setPosition(99);
  QCOMPARE(bar->position(), 7);
}

void DialogsTest::splashStepsAsideForAModalBox() {
  SplashScreen splash;
  splash.show();
  QVERIFY(QTest::qWaitForWindowExposed(&splash));
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Clipquill"),
                  QStringLiteral("File access denied."));
  bool hiddenMeanwhile = false;
  whenActive(&box, [&] {
    hiddenMeanwhile = !splash.isVisible();
    box.accept();
  });
  box.exec();
  QVERIFY2(hiddenMeanwhile, "the splash would cover the box");
  QVERIFY(splash.isVisible());
}

}  // namespace clipquill

QTEST_MAIN(clipquill::DialogsTest)
#include "dialogs_qt_test.moc"
