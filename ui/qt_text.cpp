// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt_text.h"

namespace clipquill {

bool isValidUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    const unsigned char c = *p;
    if (c < 0x80) {
      ++p;
      continue;
    }
    int more = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // the range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
      more = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      more = 2;
      if (c == 0xE0) lo = 0xA0;  // no overlong forms
      if (c == 0xED) hi = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3;
      if (c == 0xF0) lo = 0x90;  // no overlong forms
      if (c == 0xF4) hi = 0x8F;  // nothing beyond U+10FFFF
    } else {
      return false;
    }
    if (end - p <= more) return false;
    if (p[1] < lo || p[1] > hi) return false;
    for (int i = 2; i <= more; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
    }
    p += more + 1;
  }
  return true;
}

QString shownText(std::string_view bytes) {
  const auto size = static_cast<qsizetype>(bytes.size());
  if (isValidUtf8(bytes)) return QString::fromUtf8(bytes.data(), size);
  return QString::fromLatin1(bytes.data(), size);
}

std::string textBytes(const QString& text, bool shownAsLatin1) {
  if (shownAsLatin1) {
    bool fits = true;
    for (QChar c : text) {
      if (c.unicode() > 0xFF) {
        fits = false;
        break;
      }
    }
    if (fits) return text.toLatin1().toStdString();
  }
  return text.toUtf8().toStdString();
}

}  // namespace clipquill
