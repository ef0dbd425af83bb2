// SPDX-License-Identifier: GPL-3.0-or-later
// Paths between the model, which holds them as the system's bytes (POSIX) or
// UTF-8 (Windows), and Qt, which holds them as text. Qt's own conversion
// (QFile::encodeName) is the local code page on Windows, which cannot hold
// every name; each platform gets its own file instead.
#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace clipquill {

// A path of the model's as Qt text.
QString pathText(std::string_view path);
// A path Qt gave (a file dialog's choice, a drop) as the model's, with the
// platform's own separators.
std::string pathBytes(const QString& path);
// The program's arguments after its name, once QApplication has taken its
// own out of argv.
std::vector<std::string> programArguments(int argc, char** argv);

}  // namespace clipquill
