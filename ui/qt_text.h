// SPDX-License-Identifier: GPL-3.0-or-later
// Bytes and the window's text. Files, fields and names are bytes; the window
// shows UTF-8 when the bytes are valid UTF-8 and Latin-1 otherwise, and gives
// back the same bytes for text the user has not changed.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace clipquill {

// Whether bytes are well-formed UTF-8 (no overlong forms, surrogates or code
// points beyond U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// The text the window shows for bytes: UTF-8 when valid, else Latin-1.
QString shownText(std::string_view bytes);

// Bytes for a text the window holds. Text shown as Latin-1 goes back as
// Latin-1 while every character fits, so unedited bytes come back as read;
// anything else goes back as UTF-8, so that no typed character is lost.
std::string textBytes(const QString& text, bool shownAsLatin1);

}  // namespace clipquill
