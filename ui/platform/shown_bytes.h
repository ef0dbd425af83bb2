// SPDX-License-Identifier: GPL-3.0-or-later
// Bytes of a clip's name shown inside UTF-8 text: a name that is not valid
// UTF-8 would turn the whole text into Latin-1, and the template's own
// characters into mojibake. Its stray bytes are shown as escapes instead.
#pragma once

#include <string>
#include <string_view>

namespace clipquill {

// bytes with every byte that is not part of a valid UTF-8 sequence written
// as "\xNN" (two upper-case hex digits); valid sequences stay as they are.
// Overlong forms, surrogates and code points past U+10FFFF are not valid.
std::string withInvalidUtf8Escaped(std::string_view bytes);

}  // namespace clipquill
