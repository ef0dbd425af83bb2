// SPDX-License-Identifier: GPL-3.0-or-later
// The notice through the freedesktop.org notification service on the
// session bus (Linux and the BSDs).
#include "ui/desktop_notice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>
#include <cstdlib>
#include <utility>

namespace clipquill {

namespace {

// A bus that is there to be reached: named in the environment, or the
// per-user socket. Without either, libdbus would try to launch a bus of its
// own, which a notice is not worth.
bool sessionBusKnown() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address != nullptr && address[0] != '\0') return true;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  return runtime != nullptr && runtime[0] == '/' &&
         QFileInfo::exists(QDir(QString::fromLocal8Bit(runtime)).filePath(QStringLiteral("bus")));
}

// How long the notice's action is waited for: a notice left in the
// desktop's list may still be clicked later, but no process should linger.
constexpr int kActionWaitMs = 10 * 60 * 1000;

// Ends the wait when the service says the notice is gone, opening the folder
// first when its action was chosen.
class NoticeWatch : public QObject {
  Q_OBJECT

 public:
  NoticeWatch(uint id, QString folder, QEventLoop& loop)
      : id_(id), folder_(std::move(folder)), loop_(loop) {}

 public slots:
  void actionInvoked(uint id, const QString&) {
    if (id != id_) return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder_));
    loop_.quit();
  }
  void closed(uint id, uint) {
    if (id == id_) loop_.quit();
  }

 private:
  uint id_;
  QString folder_;
  QEventLoop& loop_;
};

}  // namespace

bool notifyDesktopWithFolder(const QString& summary, const QString& body, const QString& folder) {
  if (!sessionBusKnown()) return false;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  const QString service = QStringLiteral("org.freedesktop.Notifications");
  const QString path = QStringLiteral("/org/freedesktop/Notifications");
  QDBusMessage call =
      QDBusMessage::createMethodCall(service, path, service, QStringLiteral("Notify"));
  // The default action is a click on the notice itself.
  const QStringList actions =
      folder.isEmpty() ? QStringList()
                       : QStringList{QStringLiteral("default"), QStringLiteral("Open Folder")};
  call << QStringLiteral("Clipquill") << 0u << QStringLiteral("org.clipquill.Clipquill") << summary
       << body << actions << QVariantMap() << -1;
  const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
  if (folder.isEmpty()) return true;
  QEventLoop loop;
  NoticeWatch watch(reply.arguments().front().toUInt(), folder, loop);
  bus.connect(service, path, service, QStringLiteral("ActionInvoked"), &watch,
              SLOT(actionInvoked(uint, QString)));
  bus.connect(service, path, service, QStringLiteral("NotificationClosed"), &watch,
              SLOT(closed(uint, uint)));
  QTimer::singleShot(kActionWaitMs, &loop, &QEventLoop::quit);
  loop.exec();
  return true;
}

void notifyDesktop(const QString& summary, const QString& body) {
  if (!sessionBusKnown()) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.Notifications"),
      QStringLiteral("/org/freedesktop/Notifications"),
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout
  call << QStringLiteral("Clipquill") << 0u << QStringLiteral("org.clipquill.Clipquill") << summary
       << body << QStringList() << QVariantMap() << -1;
  // Sent without waiting: no service means an error reply nobody reads.
  bus.send(call);
}

}  // namespace clipquill

#include "desktop_notice_dbus.moc"
