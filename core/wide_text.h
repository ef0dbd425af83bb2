// SPDX-License-Identifier: GPL-3.0-or-later
// Names as the Windows API takes them: UTF-16. Every layer holds UTF-8, and
// converts only where a name crosses into a system call and back.
//
// Windows names are sequences of 16-bit units that need not be valid UTF-16:
// a lone surrogate is a legal part of a file name there. So that such a name,
// read from a folder listing, still names the same file when it is handed
// back, a lone surrogate travels as its three-byte form (as UTF-8 would encode
// the code point if it were one). Anything else that is not UTF-8 (a stray
// continuation byte, an overlong or cut-short sequence) names no file at all.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace clipquill {

// The length of the UTF-8 sequence at text[i], or 0 when none starts there
// (ASCII included): overlong forms, surrogates and code points past U+10FFFF
// are not UTF-8.
std::size_t utf8SequenceAt(std::string_view text, std::size_t i);

// The UTF-16 form of text; nothing when text is not UTF-8 as said above.
std::optional<std::u16string> utf16FromUtf8(std::string_view text);

// The UTF-8 form of UTF-16 units; lone surrogates in their three-byte form.
std::string utf8FromUtf16(std::u16string_view units);

}  // namespace clipquill
