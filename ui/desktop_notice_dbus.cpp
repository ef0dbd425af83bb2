// SPDX-License-Identifier: GPL-3.0-or-later
// The notice through the freedesktop.org notification service on the
// session bus (Linux and the BSDs).
#include "ui/desktop_notice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QVariantMap>
#include <cstdlib>

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

}  // namespace

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
