// SPDX-License-Identifier: GPL-3.0-or-later
// The fonts on Windows: the message font the system's settings name (Segoe
// UI on Windows 10), else a sans-serif that is installed, and for the editor
// a monospaced family that is installed. Under Wine the system names "MS
// Shell Dlg" and Qt "Courier New", neither of which is there: every text
// fell back to a serif.
#include "core/windows_api.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <algorithm>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/wide_text.h"
#include "ui/platform/font_choice.h"
#include "ui/platform_fonts.h"

namespace clipquill {

namespace {

// Windows' own monospaced families first, then those a Wine prefix borrows
// from the Linux host.
constexpr std::string_view kEditorFamilies[] = {"Consolas",        "Lucida Console",
                                                "Courier New",     "DejaVu Sans Mono",
                                                "Liberation Mono", "Noto Mono"};
// Where the system's message font is not installed: Wine names "MS Shell
// Dlg", a substitute for Tahoma, which it may not have.
constexpr std::string_view kInterfaceFamilies[] = {"Segoe UI",    "Tahoma",          "Noto Sans",
                                                   "DejaVu Sans", "Liberation Sans", "Arial"};

// Whether name is one of the families this file may choose.
bool isCandidate(std::string_view name, std::string_view message) {
  const auto listed = [name](std::span<const std::string_view> names) {
    return std::any_of(names.begin(), names.end(), [name](std::string_view candidate) {
      return sameFamilyName(candidate, name);
    });
  };
  return listed(kEditorFamilies) || listed(kInterfaceFamilies) || sameFamilyName(message, name);
}

// The families that are what they say: the font database lists substitute
// names too ("MS Shell Dlg"), which under Wine resolve to whatever font is
// left, a serif. Only the candidates, and those of fixed pitch for the
// editor's last resort, are looked at.
std::vector<FontFamily> installedFamilies(std::string_view message) {
  std::vector<FontFamily> installed;
  for (const QString& family : QFontDatabase::families()) {
    const std::string name = family.toStdString();
    const bool fixed = QFontDatabase::isFixedPitch(family);
    if (!fixed && !isCandidate(name, message)) continue;
    const QString resolved = QFontInfo(QFont(family)).family();
    if (resolved.compare(family, Qt::CaseInsensitive) != 0) continue;
    installed.push_back({name, fixed});
  }
  return installed;
}

// The system's message font: its family and its height in pixels.
std::pair<std::string, LONG> messageFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return {};
  const std::wstring_view face(metrics.lfMessageFont.lfFaceName);
  return {utf8FromUtf16(std::u16string(face.begin(), face.end())), metrics.lfMessageFont.lfHeight};
}

}  // namespace

void usePlatformFonts(QApplication&) {
  const auto [name, height] = messageFont();
  const std::optional<std::string> family =
      interfaceFamily(name, kInterfaceFamilies, installedFamilies(name));
  if (!family) return;  // Qt's own choice, rather than a name that is not there
  QFont font = QApplication::font();
  font.setFamily(QString::fromStdString(*family));
  HDC screen = ::GetDC(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ::ReleaseDC(nullptr, screen);
  if (const std::optional<int> points = pointSizeOfHeight(height, dpi)) {
    font.setPointSize(*points);
  }
  QApplication::setFont(font);
}

QFont editorFont() {
  // Looked up once: the fonts installed do not change while the window runs.
  static const std::optional<std::string> family =
      monospacedFamily(kEditorFamilies, installedFamilies({}));
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  if (family) font.setFamily(QString::fromStdString(*family));
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  return font;
}

}  // namespace clipquill
