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

// The notice of a batch that wrote into folder, with an action that opens
// the folder ("" for none). Returns once the notice is gone (acted on,
// closed, or left unanswered for long): the program that shows it exists for
// nothing else. False when there was nowhere to show it.
bool notifyDesktopWithFolder(const QString& summary, const QString& body, const QString& folder);

}  // namespace clipquill
