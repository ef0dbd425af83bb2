// SPDX-License-Identifier: GPL-3.0-or-later
// The fonts on Windows: the message font the system's settings name (Segoe
// UI on Windows 10, Tahoma under Wine), and for the editor a monospaced
// family that is installed. Qt's own defaults name "MS Shell Dlg 2" and
// "Courier New", which Wine does not have: every text fell back to a serif.
#include "core/windows_api.h"

#include <QApplication>
#include <QFontDatabase>
#include <string>
#include <string_view>
#include <vector>

#include "core/wide_text.h"
#include "ui/model/font_choice.h"
#include "ui/platform_fonts.h"

namespace clipquill {

namespace {

// Windows' own monospaced families first, then those a Wine prefix borrows
// from the Linux host.
constexpr std::string_view kEditorFamilies[] = {"Consolas",        "Lucida Console",
                                                "Courier New",     "DejaVu Sans Mono",
                                                "Liberation Mono", "Noto Mono"};

std::vector<FontFamily> installedFamilies() {
  std::vector<FontFamily> installed;
  for (const QString& family : QFontDatabase::families()) {
    installed.push_back({family.toStdString(), QFontDatabase::isFixedPitch(family)});
  }
  return installed;
}

}  // namespace

void usePlatformFonts(QApplication&) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return;
  const LOGFONTW& message = metrics.lfMessageFont;
  const std::wstring_view face(message.lfFaceName);
  const std::string name = utf8FromUtf16(std::u16string(face.begin(), face.end()));
  const std::vector<FontFamily> installed = installedFamilies();
  const std::optional<std::string> family = installedFamily(name, installed);
  if (!family) return;  // Qt's own choice, rather than a name that is not there
  QFont font = QApplication::font();
  font.setFamily(QString::fromStdString(*family));
  HDC screen = ::GetDC(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ::ReleaseDC(nullptr, screen);
  if (const std::optional<int> points = pointSizeOfHeight(message.lfHeight, dpi)) {
    font.setPointSize(*points);
  }
  QApplication::setFont(font);
}

QFont editorFont() {
  // Looked up once: the fonts installed do not change while the window runs.
  static const std::optional<std::string> family =
      monospacedFamily(kEditorFamilies, installedFamilies());
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  if (family) font.setFamily(QString::fromStdString(*family));
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  return font;
}

}  // namespace clipquill
