// SPDX-License-Identifier: GPL-3.0-or-later
// POSIX names are bytes: Qt's file name codec gives them back unchanged.
#include <QFile>

#include "ui/platform_paths.h"

namespace clipquill {

QString pathText(std::string_view path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string pathBytes(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

std::vector<std::string> programArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace clipquill
