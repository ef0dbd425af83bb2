#include "ui/qt_text.h"

#include <algorithm>

namespace clipquill {

bool isValidUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    const unsigned char lead = *p;
    if (lead < 0x80) {
      ++p;
      continue;
    }
    std::size_t length;
    unsigned char low = 0x80;   // the range of the second byte, which rules out
    unsigned char high = 0xBF;  // overlong forms, surrogates and beyond U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (static_cast<std::size_t>(end - p) < length) return false;
    if (p[1] < low || p[1] > high) return false;
    for (std::size_t i = 2; i < length; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
    }
    p += length;
  }
  return true;
}

QString shownText(std::string_view bytes) {
  const auto size = static_cast<qsizetype>(bytes.size());
  return isValidUtf8(bytes) ? QString::fromUtf8(bytes.data(), size)
                            : QString::fromLatin1(bytes.data(), size);
}

std::string textBytes(const QString& text, bool shownAsLatin1) {
  const bool fits =
      std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
  const QByteArray bytes = shownAsLatin1 && fits ? text.toLatin1() : text.toUtf8();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace clipquill
