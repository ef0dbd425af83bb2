// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt_text.h"

#include <QByteArrayView>

namespace clipquill {

bool isValidUtf8(std::string_view bytes) {
  // Qt's own check, which strides over ASCII: a 100 MB template is validated
  // before it is shown.
  return QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())).isValidUtf8();
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
