// SPDX-License-Identifier: GPL-3.0-or-later
// Windows names are UTF-16, which the model holds as UTF-8; Qt's dialogs give
// "/" where Windows users read "\".
#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include "ui/platform_paths.h"

namespace clipquill {

QString pathText(std::string_view path) {
  return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
}

std::string pathBytes(const QString& path) {
  return QDir::toNativeSeparators(path).toUtf8().toStdString();
}

// argv holds the arguments in the ANSI code page; Qt reads the wide command
// line, less the arguments it took for itself.
std::vector<std::string> programArguments(int, char**) {
  const QStringList args = QCoreApplication::arguments();
  std::vector<std::string> result;
  for (qsizetype i = 1; i < args.size(); ++i)
    result.push_back(args[i].toUtf8().toStdString());
  return result;
}

}  // namespace clipquill
