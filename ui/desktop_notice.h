// SPDX-License-Identifier: GPL-3.0-or-later
// A notification on the desktop when a long run ends unwatched: the
// desktop's notification service (desktop_notice_dbus.cpp), or the
// notification area's balloon on Windows. Where there is none, nothing
// happens and nothing is said: the notice is a courtesy, the window holds
// the same news.
#pragma once

#include <QString>

namespace clipquill {

void notifyDesktop(const QString& summary, const QString& body);

}  // namespace clipquill
