// SPDX-License-Identifier: GPL-3.0-or-later
// The main window on a crowded desktop: a 1920x1080 screen at a scale factor
// of 2 (960 by 540 logical pixels), where the designed 555 by 635 does not
// fit, and a session bus of the test's own with a notification service that
// records what it is sent.
#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QtTest>
#include <filesystem>

#include "support/named_child.h"
#include "support/temp_dir.h"
#include "ui/main_window.h"
#include "ui/object_names.h"
#include "ui/preview_pane.h"

using namespace clipquill;
using clipquill::testing::child;
using clipquill::testing::readFile;
using clipquill::testing::TempDir;
using clipquill::testing::writeFile;

namespace {

class NoBoxes : public MessageBoxes {
 public:
  QStringList seen;
  Answer ask(QWidget*, MessageKind, Buttons buttons, const QString& text) override {
    seen << text;
    return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
  }
  void error(QWidget*, const QString&, const QString& text) override { seen << text; }
};

}  // namespace

// What a desktop's notification service is sent.
class FakeNotifications : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  QStringList received;  // "app|summary|body"

 public slots:
  uint Notify(const QString& app, uint, const QString&, const QString& summary, const QString& body,
              const QStringList&, const QVariantMap&, int) {
    received << app + "|" + summary + "|" + body;
    return 1;
  }
};

class MainWindowDesktopTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TempDir> dir;
  NoBoxes boxes;
  std::unique_ptr<MainWindow> form;
  QProcess bus;

  std::string path(const std::string& rel) const { return dir->path() + "/" + rel; }
  void start(std::vector<std::string> args = {}) {
    form = std::make_unique<MainWindow>(MainWindowSetup{
        .startup = {.executablePath = path("app/clipquill"),
                    .args = std::move(args),
                    .homeFolder = path("home")},
        .registryRoot = path("registry"),
        .boxes = &boxes,
        .userConfig = userConfigPlace(path("cfg").c_str(), nullptr),
    });
    form->show();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
  }
  static bool inside(const QRect& outer, const QRect& r) { return outer.contains(r, false); }

 private slots:
  void initTestCase() {
    QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry().size(), QSize(960, 540));
    // A bus of the test's own; the window reaches it as the session bus.
    bus.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
    if (!bus.waitForStarted() || !bus.waitForReadyRead(5000)) QSKIP("no dbus-daemon");
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.readLine().trimmed());
  }
  void cleanupTestCase() {
    bus.terminate();
    bus.waitForFinished();
  }
  void init() {
    dir = std::make_unique<TempDir>();
    for (const char* sub : {"app", "home", "clips", "out", "cfg"})
      std::filesystem::create_directory(path(sub));
    boxes = {};
  }
  void cleanup() {
    form.reset();
    dir.reset();
  }

  // Opened, moved off the screen and closed, opened again: always inside
  // the available area, the size and place kept as far as they fit.
  void theWindowIsAlwaysInsideTheScreen() {
    start();
    const QRect area = form->screen()->availableGeometry();
    QVERIFY2(inside(area, form->frameGeometry()), "first start");
    QVERIFY(form->height() <= area.height());
    QVERIFY(form->width() >= 555);  // the width has room
    // Every label whole however little room the screen leaves, the
    // preview's wrapped title too.
    QTest::qWait(0);
    for (QLabel* label : form->findChildren<QLabel*>()) {
      if (!label->isVisibleTo(form.get())) continue;
      const int needed =
          label->wordWrap() ? label->heightForWidth(label->width()) : label->sizeHint().height();
      QVERIFY2(label->height() >= needed, qPrintable(label->objectName() + ": " + label->text()));
    }
    form->setGeometry(300, 50, 500, 460);
    form->close();
    start();
    // Kept, but never below the window's own least size.
    const QSize least = form->minimumSizeHint();
    QTRY_COMPARE(form->size(), QSize(std::max(500, least.width()), std::max(460, least.height())));
    QVERIFY(std::abs(form->x() - 300) <= 1);  // a pixel of rounding at a scale of 2
    QVERIFY(form->y() <= 50 && inside(area, form->frameGeometry()));

    // Kept where a larger screen once had it: moved back in.
    form->setGeometry(1500, -56, 555, 635);
    form->close();
    start();
    QTRY_VERIFY(inside(area, form->frameGeometry()));
    QVERIFY(form->y() >= 0);
  }

  // The least size fits this screen (960x540 at a scale of 2) with room for
  // a frame; the place is kept per scale, and so is the maximised state.
  void sizeAndPlaceAreKeptPerScale() {
    std::filesystem::create_directories(path("cfg/Clipquill"));
    writeFile(path("cfg/Clipquill/settings"), "WindowPlace=10 20 958 534\n");
    start();
    QVERIFY2(form->minimumSizeHint().height() <= 540 - 40,
             qPrintable(QString::number(form->minimumSizeHint().height())));
    // Scale 1's place is not this scale's.
    QVERIFY(form->size() != QSize(958, 534));
    form->setGeometry(100, 60, 600, 480);
    form->close();
    const std::string kept = readFile(path("cfg/Clipquill/settings"));
    QVERIFY2(kept.find("WindowPlace=10 20 958 534\n") != std::string::npos, kept.c_str());
    QVERIFY2(kept.find("WindowPlace.scale2=100 60 600 480\n") != std::string::npos, kept.c_str());
    QVERIFY2(kept.find("WindowMaximised.scale2=0\n") != std::string::npos, kept.c_str());

    start();
    QTRY_COMPARE(form->size(), QSize(600, 480));
    form->showMaximized();
    QTRY_VERIFY(form->isMaximized());
    form->close();
    start();
    QTRY_VERIFY(form->isMaximized());
  }

  // Where a clip's name ends is the user's, kept with the window's settings;
  // the preview's title names the script by the other rule as well.
  void theClipNameRuleIsKeptAndThePreviewNamesBoth() {
    writeFile(path("Hall.qtpl"), "AVISource(\"<P><F>\")\r\n");
    writeFile(path("Hall.ini"),
              "[Entries]\r\nClipLoc=" + path("clips") + "\r\nScriptDest=" + path("out") + "\r\n");
    writeFile(path("clips/Show.S01E01.avi"), "");
    start({path("Hall.qtpl")});
    auto* item = child<QAction>(form, objectNames::kNameToLastDot1);
    auto* pane = child<PreviewPane>(form, objectNames::kPreviewPane);
    QVERIFY(item->isCheckable() && !item->isChecked());
    QCOMPARE(item->text(), QStringLiteral("Clip &Name to Last Dot"));
    QTRY_VERIFY2(pane->title().startsWith(QStringLiteral("Preview of Show.avs in ")),
                 qPrintable(pane->title()));
    QVERIFY2(pane->title().contains(
                 QStringLiteral("(with the clip's name to its last dot: Show.S01E01.avs)")),
             qPrintable(pane->title()));
    item->trigger();
    QVERIFY(item->isChecked());
    QTRY_VERIFY2(pane->title().startsWith(QStringLiteral("Preview of Show.S01E01.avs in ")),
                 qPrintable(pane->title()));
    QVERIFY(pane->title().contains(
        QStringLiteral("(with the clip's name to its first dot: Show.avs)")));
    form->close();
    QVERIFY(readFile(path("cfg/Clipquill/settings")).find("NameToLastDot=1\n") !=
            std::string::npos);
    start({path("Hall.qtpl")});
    QVERIFY(child<QAction>(form, objectNames::kNameToLastDot1)->isChecked());
  }

  // A long run that ends while the user looks elsewhere: one notice on the
  // bus, with the count and the folder. Without a service nothing is said.
  void aLongUnwatchedRunIsNotified() {
    if (bus.state() != QProcess::Running) QSKIP("no dbus-daemon");
    writeFile(path("Hall.qtpl"), "AVISource(\"<P><F>\")\r\n");
    writeFile(path("Hall.ini"),
              "[Entries]\r\nClipLoc=" + path("clips") + "\r\nScriptDest=" + path("out") +
                  "\r\n[FilterBy]\r\nExt0=avi\r\n[FilterState]\r\nExt0State=1\r\n");
    for (const char* clip : {"a.avi", "b.avi", "c.avi"})
      writeFile(path("clips/") + clip, "");
    start({path("Hall.qtpl")});
    form->setNotifyAfter(-1);  // any run is long
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    QTRY_VERIFY(QApplication::activeWindow() == &elsewhere);
    QTest::mouseClick(child<QPushButton>(form, objectNames::kSelectAllButton), Qt::LeftButton);

    // No service on the bus yet: the run ends as ever, nothing reported.
    child<QPushButton>(form, objectNames::kCreateScriptsButton)->click();
    QVERIFY(std::filesystem::exists(path("out/c.avs")));
    QVERIFY(boxes.seen.isEmpty());

    FakeNotifications service;
    QDBusConnection connection = QDBusConnection::connectToBus(
        QString::fromLocal8Bit(qgetenv("DBUS_SESSION_BUS_ADDRESS")), "service");
    QVERIFY(connection.registerObject("/org/freedesktop/Notifications", &service,
                                      QDBusConnection::ExportAllSlots));
    QVERIFY(connection.registerService("org.freedesktop.Notifications"));
    boxes.seen.clear();
    for (const char* script : {"a.avs", "b.avs", "c.avs"})
      std::filesystem::remove(path("out/") + script);
    child<QPushButton>(form, objectNames::kCreateScriptsButton)->click();
    QTRY_COMPARE(
        service.received,
        QStringList{QString::fromStdString("Clipquill|3 scripts written|in " + path("out/"))});

    // Watched, or quick: no notice.
    form->activateWindow();
    QTRY_VERIFY(QApplication::activeWindow() == form.get());
    for (const char* script : {"a.avs", "b.avs", "c.avs"})
      std::filesystem::remove(path("out/") + script);
    child<QPushButton>(form, objectNames::kCreateScriptsButton)->click();
    QTest::qWait(200);
    QCOMPARE(service.received.size(), 1);
    connection.unregisterService("org.freedesktop.Notifications");
    QDBusConnection::disconnectFromBus("service");
  }
};

int main(int argc, char** argv) {
  // A 1920x1080 screen at twice the scale, on Qt's offscreen platform.
  TempDir config;
  const std::string screen = config.path() + "/screen.json";
  writeFile(screen, R"({"screens":[{"name":"FullHD","x":0,"y":0,"width":1920,"height":1080,)"
                    R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
  qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString("offscreen:configfile=" + screen));
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication app(argc, argv);
  MainWindowDesktopTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "main_window_desktop_test.moc"
