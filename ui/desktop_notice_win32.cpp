// SPDX-License-Identifier: GPL-3.0-or-later
// The notice on Windows: a balloon from the notification area, where there is
// one. The icon is there only while its balloon may show.
#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>

#include "ui/desktop_notice.h"

namespace clipquill {

namespace {

constexpr int kBalloonMs = 10000;

}  // namespace

void notifyDesktop(const QString& summary, const QString& body) {
  if (!QSystemTrayIcon::isSystemTrayAvailable() || !QSystemTrayIcon::supportsMessages()) return;
  static QSystemTrayIcon* icon = nullptr;
  static QTimer* hide = nullptr;
  if (icon == nullptr) {
    icon = new QSystemTrayIcon(QApplication::windowIcon(), qApp);
    icon->setToolTip(QStringLiteral("Clipquill"));
    hide = new QTimer(icon);
    hide->setSingleShot(true);
    QObject::connect(hide, &QTimer::timeout, icon, &QSystemTrayIcon::hide);
  }
  icon->show();
  icon->showMessage(summary, body, QSystemTrayIcon::Information, kBalloonMs);
  hide->start(kBalloonMs + 1000);
}

bool notifyDesktopWithFolder(const QString& summary, const QString& body, const QString& folder) {
  if (!QSystemTrayIcon::isSystemTrayAvailable() || !QSystemTrayIcon::supportsMessages())
    return false;
  QSystemTrayIcon icon(QApplication::windowIcon());
  icon.setToolTip(QStringLiteral("Clipquill"));
  QEventLoop loop;
  // A click on the balloon opens the folder the scripts went to.
  QObject::connect(&icon, &QSystemTrayIcon::messageClicked, &loop, [&] {
    if (!folder.isEmpty()) QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    loop.quit();
  });
  icon.show();
  icon.showMessage(summary, body, QSystemTrayIcon::Information, kBalloonMs);
  QTimer::singleShot(kBalloonMs + 1000, &loop, &QEventLoop::quit);
  loop.exec();
  return true;
}

}  // namespace clipquill
