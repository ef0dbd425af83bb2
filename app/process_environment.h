// SPDX-License-Identifier: GPL-3.0-or-later
// What the window's start-up reads from the process and the system before
// anything is shown: whether there is a display at all, the program's own
// path and the user's home folder. One implementation file per platform.
#pragma once

#include <string>
#include <string_view>

namespace clipquill {

// Whether the window toolkit can find a screen: a platform named in the
// environment (QT_QPA_PLATFORM) or on the command line ("-platform name"),
// or an X11 or Wayland display. Where there is always a screen, true.
bool hasDisplay(int argc, char** argv);

// The program's own path, so that the default template is found beside it
// however it was started; argv0 when the system cannot tell.
std::string executablePath(const char* argv0);

// Where the clip list starts: $HOME, else the account's home folder. ""
// when neither is set or the folder cannot be listed, since a start-up
// greeted by an error box for it helps nobody.
std::string homeFolder();

// The file name of one of our programs, such as the command line the window
// starts as its checking helper: "clipquill-cli", "clipquill-cli.exe" on
// Windows, where a process is started only by its file's whole name.
std::string programFileName(std::string_view name);

// The folder Windows keeps as current for a drive (by its letter), which a
// path such as "D:clips" is read against; "" when it keeps none, and always
// where there are no drives.
std::string driveCurrentFolder(char drive);

}  // namespace clipquill
