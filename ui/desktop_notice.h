// SPDX-License-Identifier: GPL-3.0-or-later
// A notification on the desktop, through the freedesktop.org notification
// service on the session bus. Where there is no bus or no service, nothing
// happens and nothing is said: the notice is a courtesy, the window holds
// the same news.
#pragma once

#include <QString>

namespace clipquill {

void notifyDesktop(const QString& summary, const QString& body);

}  // namespace clipquill
