// SPDX-License-Identifier: GPL-3.0-or-later
// The first window on a screen of a given size and scale (CLIPQUILL_TEST_SCREEN
// "WIDTHxHEIGHT" and QT_SCALE_FACTOR, on Qt's offscreen platform): with the
// preview shown it takes a fair share of the screen, gives the picture, the
// editor and the lists their room, and keeps every text whole; with the
// preview hidden it opens at its drawn size; a kept size wins. The scripts
// are checked and pictured by AviSynth+ itself, through the command line
// beside the program. KEEP_SHOTS=DIR keeps a picture of each window.
#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QtTest>
#include <filesystem>

#include "app/created_script_checks.h"
#include "main_window_fixture.h"
#include "ui/elided_label.h"
#include "ui/frame_pane.h"
#include "ui/template_editor.h"

using namespace clipquill;
using namespace clipquill::testing;

namespace {

// What the window shows of each part, in logical pixels.
struct Figures {
  QSize window, pictureRoom, picture;
  int editorLines = 0, scriptLines = 0, problemRows = 0;
  bool propertiesWhole = false, errorWhole = false, runWhole = false, checkWhole = false;
};

QString describe(const Figures& f) {
  return QStringLiteral(
             "window %1x%2, picture room %3x%4 (a 320x240 frame drawn %5x%6), editor %7 lines, "
             "scripts %8 lines, problems %9 rows, properties %10, error %11, run %12, check %13")
      .arg(f.window.width())
      .arg(f.window.height())
      .arg(f.pictureRoom.width())
      .arg(f.pictureRoom.height())
      .arg(f.picture.width())
      .arg(f.picture.height())
      .arg(f.editorLines)
      .arg(f.scriptLines)
      .arg(f.problemRows)
      .arg(f.propertiesWhole ? "whole" : "CUT")
      .arg(f.errorWhole ? "whole" : "CUT")
      .arg(f.runWhole ? "whole" : "CUT")
      .arg(f.checkWhole ? "whole" : "CUT");
}

// A wrapped label shows its text whole when it is as tall as its text at
// its width; a hidden one says nothing.
bool whole(const QLabel* label) {
  return label->isVisible() && label->height() >= label->heightForWidth(label->width());
}

}  // namespace

class MainWindowLayoutTest : public MainWindowFixture {
  Q_OBJECT

 private slots:
  void withThePreviewThePanesHaveRoom();
  void withoutThePreviewTheDrawnSize();
  void aKeptSizeAndPictureWin();

 private:
  QRect area() const { return QGuiApplication::primaryScreen()->availableGeometry(); }
  // Room on the screen for every figure (not so at 640x512).
  bool roomy() const { return area().width() >= 900 && area().height() >= 900; }
  void startWith(const std::string& templateText);
  Figures measure();
  void keepShot(const char* what);
};

void MainWindowLayoutTest::startWith(const std::string& templateText) {
  std::filesystem::create_symlink(CLIPQUILL_CLI_BINARY, path("app/clipquill-cli"));
  writeFile(path("Hall.qtpl"), templateText);
  writeFile(path("Hall.ini"), "[Entries]\r\nClipLoc=" + path("clips") +
                                  "\r\nScriptDest=" + path("out") +
                                  "\r\n[FilterBy]\r\nExt0=avi\r\nExt1=mpg\r\n"
                                  "[FilterState]\r\nExt0State=1\r\nExt1State=1\r\n");
  for (const char* clip : {"e.avi", "f.avi"})
    writeFile(path("clips/") + clip, "");
  start({path("Hall.qtpl")});
}

Figures MainWindowLayoutTest::measure() {
  QTest::qWait(50);  // the layout's posted requests
  Figures f;
  f.window = form->size();
  auto* frame = child<FramePane>(form, objectNames::kFramePane);
  auto* room = frame->findChild<QAbstractScrollArea*>();
  f.pictureRoom = room->viewport()->size();
  f.picture = child<QLabel>(form, objectNames::kFramePicture)->pixmap().size();
  auto* editor = child<TemplateEditor>(form, objectNames::kScriptMemo);
  f.editorLines = static_cast<int>(editor->SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN));
  auto* scripts = child<QPlainTextEdit>(form, objectNames::kScriptNameMemo);
  f.scriptLines = (scripts->viewport()->height() -
                   2 * static_cast<int>(scripts->document()->documentMargin())) /
                  scripts->fontMetrics().lineSpacing();
  auto* problems = child<QListWidget>(form, objectNames::kProblemsList);
  if (problems->isVisible() && problems->count() > 0)
    f.problemRows = problems->viewport()->height() / problems->sizeHintForRow(0);
  f.propertiesWhole = whole(child<QLabel>(form, objectNames::kClipProperties));
  f.errorWhole = whole(child<QLabel>(form, objectNames::kScriptError));
  // A status place is read whole when its text is not shortened and it
  // lies inside the status bar as the window shows it.
  const auto wholeInBar = [this](const ElidedLabel* label) {
    const QRect bar(form->statusBar()->mapTo(form.get(), QPoint(0, 0)), form->statusBar()->size());
    const QRect place(label->mapTo(form.get(), QPoint(0, 0)), label->size());
    return label->isVisible() && label->text() == label->fullText() && bar.contains(place) &&
           form->rect().contains(bar);
  };
  f.runWhole = wholeInBar(child<ElidedLabel>(form, objectNames::kRunStatus));
  f.checkWhole = wholeInBar(child<ElidedLabel>(form, objectNames::kCheckStatus));
  return f;
}

void MainWindowLayoutTest::keepShot(const char* what) {
  const QByteArray keep = qgetenv("KEEP_SHOTS");
  if (keep.isEmpty()) return;
  const QString name = QStringLiteral("%1/window-%2-scale%3-%4.png")
                           .arg(QString::fromLocal8Bit(keep),
                                QString::fromLocal8Bit(qgetenv("CLIPQUILL_TEST_SCREEN")),
                                QString::number(form->devicePixelRatio()), QLatin1String(what));
  form->grab().save(name);
}

// The first window with the preview: a picture of the current clip's
// script with its properties, then a run whose scripts all fail their
// check, with AviSynth's error under the picture.
void MainWindowLayoutTest::withThePreviewThePanesHaveRoom() {
  if (std::string(CLIPQUILL_AVISYNTH_LIBRARY).empty()) QSKIP("no AviSynth+ library");
  startWith("BlankClip(width=320, height=240, length=100, color=$204060)\r\n# <F>\r\n");
  fileDialogs.libraries.push_back(CLIPQUILL_AVISYNTH_LIBRARY);
  child<QAction>(form, objectNames::kAvisynthLibrary)->trigger();
  QVERIFY2(area().contains(form->frameGeometry()), "inside the screen");
  // A fair share of the screen, never past it.
  QVERIFY(form->width() >= area().width() * 3 / 4 || form->width() == area().width());
  QTest::mouseClick(child<QPushButton>(form, objectNames::kSelectAllButton), Qt::LeftButton);
  form->refreshPreview();
  auto* frame = child<FramePane>(form, objectNames::kFramePane);
  QTRY_VERIFY_WITH_TIMEOUT(!frame->image().isNull(), 20000);
  const Figures pictured = measure();
  qInfo("%s", qPrintable("pictured: " + describe(pictured)));
  keepShot("picture");
  QVERIFY2(pictured.propertiesWhole, qPrintable(describe(pictured)));

  // Line 3 names no function AviSynth+ has: every script fails (a, b,
  // c.mpg, d, e, f).
  form->model().setTemplateText(
      "BlankClip(width=320, height=240, length=100)\n# <F>\nNoSuchFilter()\n");
  form->refreshPreview();
  QTRY_VERIFY_WITH_TIMEOUT(frame->errorText().contains(QStringLiteral("NoSuchFilter")), 20000);
  QTest::mouseClick(child<QPushButton>(form, objectNames::kCreateScriptsButton), Qt::LeftButton);
  auto* problems = child<QListWidget>(form, objectNames::kProblemsList);
  QTRY_VERIFY_WITH_TIMEOUT(form->scriptChecks().finished(), 30000);
  QTRY_COMPARE(problems->count(), 6);  // a to f
  const Figures failed = measure();
  qInfo("%s", qPrintable("failed: " + describe(failed)));
  keepShot("failed");

  // Inside the screen with the problems list shown too.
  QVERIFY2(area().contains(form->frameGeometry()), qPrintable(describe(failed)));
  // Whole texts come first, on every screen.
  QVERIFY2(failed.errorWhole, qPrintable(describe(failed)));
  QVERIFY2(failed.runWhole, qPrintable(describe(failed)));
  QVERIFY2(failed.checkWhole, qPrintable(describe(failed)));
  // Then the picture, then the lists, each as far as the screen has room.
  if (roomy()) {
    QVERIFY2(pictured.pictureRoom.width() >= 320 && pictured.pictureRoom.height() >= 180,
             qPrintable(describe(pictured)));
    QVERIFY2(pictured.picture.width() >= 240 && pictured.picture.height() >= 180,
             qPrintable(describe(pictured)));
    QVERIFY2(failed.editorLines >= 15, qPrintable(describe(failed)));
    QVERIFY2(failed.scriptLines >= 4 && failed.problemRows >= 4, qPrintable(describe(failed)));
  } else {
    // What the drawn layout's texts leave.
    QVERIFY2(pictured.pictureRoom.width() >= 150 && pictured.pictureRoom.height() >= 84,
             qPrintable(describe(pictured)));
    QVERIFY2(failed.scriptLines >= 1 && failed.problemRows >= 1, qPrintable(describe(failed)));
  }
}

// Without the preview the window opens at its drawn size, as before the
// preview was there, and grows by the picture's width when it is shown.
void MainWindowLayoutTest::withoutThePreviewTheDrawnSize() {
  std::filesystem::create_directories(path("cfg/Clipquill"));
  writeFile(path("cfg/Clipquill/settings"), "PreviewShown=0\n");
  startWith("AVISource(\"<P><F>\")\r\n");
  QVERIFY(!child<FramePane>(form, objectNames::kFramePane)->isVisible());
  const int frame = form->frameGeometry().height() - form->height();
  const QSize drawn(555, std::min(635, area().height() - frame));
  QTRY_COMPARE(form->size(), drawn);
  keepShot("no-preview");
  child<QCheckBox>(form, objectNames::kPreviewCheckBox)->click();
  QVERIFY(child<FramePane>(form, objectNames::kFramePane)->isVisible());
  QTRY_VERIFY(form->width() > 555 || form->width() == area().width());
  QTest::qWait(50);  // the picture's split, once the window has its width
  QVERIFY(area().contains(form->frameGeometry()));
  child<QCheckBox>(form, objectNames::kPreviewCheckBox)->click();
  QTRY_COMPARE(form->width(), drawn.width());
}

// A size kept from the last time wins over the fair share, and so does the
// picture's width; both are kept again on closing.
void MainWindowLayoutTest::aKeptSizeAndPictureWin() {
  const int scale = static_cast<int>(qApp->devicePixelRatio());
  const std::string suffix = scale == 1 ? "" : ".scale" + std::to_string(scale);
  std::filesystem::create_directories(path("cfg/Clipquill"));
  writeFile(path("cfg/Clipquill/settings"),
            "WindowPlace" + suffix + "=20 30 620 500\nPictureWidth" + suffix + "=120\n");
  startWith("AVISource(\"<P><F>\")\r\n");
  QTRY_COMPARE(form->size(), QSize(620, 500).expandedTo(form->minimumSizeHint()));
  auto* split = child<QSplitter>(form, objectNames::kPictureSplitter);
  QCOMPARE(split->sizes().value(1), 120);
  split->setSizes({split->width() - 130, 130});
  const int kept = split->sizes().value(1);
  form->close();
  const std::string settings = readFile(path("cfg/Clipquill/settings"));
  QVERIFY2(settings.find("PictureWidth" + suffix + "=" + std::to_string(kept) + "\n") !=
               std::string::npos,
           settings.c_str());
}

int main(int argc, char** argv) {
  // The screen the case names, on Qt's offscreen platform.
  TempDir config;
  const QByteArray size = qgetenv("CLIPQUILL_TEST_SCREEN");
  const qsizetype x = size.indexOf('x');
  if (x < 0) {
    std::fprintf(stderr, "CLIPQUILL_TEST_SCREEN=WIDTHxHEIGHT names the screen\n");
    return 2;
  }
  const std::string screen = config.path() + "/screen.json";
  writeFile(screen, R"({"screens":[{"name":"Screen","x":0,"y":0,"width":)" +
                        size.left(x).toStdString() + R"(,"height":)" +
                        size.mid(x + 1).toStdString() +
                        R"(,"logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
  qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString("offscreen:configfile=" + screen));
  return runWindowTests<MainWindowLayoutTest>(argc, argv);
}
#include "main_window_layout_test.moc"
