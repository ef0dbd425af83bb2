// SPDX-License-Identifier: GPL-3.0-or-later
// Paths crossing between Qt and the model on Windows: a name Qt gives back
// (from a file dialog or a drop) must reach the W API as the same file, and a
// model path must show as the name Explorer shows, whatever its characters.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <string>

#include "core/win32_file.h"
#include "support/temp_dir.h"
#include "ui/platform_paths.h"

namespace clipquill {
namespace {

struct PathCase {
  const char* name;
  QString qt;         // as Qt gives it
  std::string model;  // as the model holds it
};

TEST(Win32PlatformPaths, QtPathsAndModelPathsMapBothWays) {
  const PathCase cases[] = {
      {"separators", QStringLiteral("C:/clips/take one/a.avi"), "C:\\clips\\take one\\a.avi"},
      {"beyond the code page", QString::fromUtf8("C:/Vid\xC3\xA9os/\xE6\x98\xA0\xE5\x83\x8F.avi"),
       "C:\\Vid\xC3\xA9os\\\xE6\x98\xA0\xE5\x83\x8F.avi"},
      {"beyond the BMP", QString::fromUtf8("D:/\xF0\x9F\x8E\xAC.avs"), "D:\\\xF0\x9F\x8E\xAC.avs"},
      {"a share", QStringLiteral("//server/share/clips"), "\\\\server\\share\\clips"},
  };
  for (const PathCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(pathBytes(c.qt), c.model);
    EXPECT_EQ(QDir::fromNativeSeparators(pathText(c.model)), c.qt);
  }
}

TEST(Win32PlatformPaths, AFileQtMadeIsFoundThroughTheModelsPath) {
  testing::TempDir dir;
  const QString folder = pathText(dir.path());
  const QString name = folder + QString::fromUtf8("/\xC3\xA9t\xC3\xA9 \xE6\x98\xA0.avi");
  QFile file(name);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  EXPECT_EQ(win32::kindOf(win32::widePath(pathBytes(name)), true), win32::Kind::File);
}

}  // namespace
}  // namespace clipquill
