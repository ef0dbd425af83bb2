// SPDX-License-Identifier: GPL-3.0-or-later
// The system's ANSI code page, as AviSynth+ reads a script's strings without
// utf8=true. A character without a place in it is refused, not replaced by
// "?" or a look-alike: a name spelt otherwise names another file, or none.
#include "core/windows_api.h"
// windows_api.h first.
#include <climits>

#include "core/script_encoding.h"
#include "core/wide_text.h"

namespace clipquill {

namespace {

class AnsiCodePage final : public CodePage {
 public:
  AnsiCodePage() : number_(GetACP()) {}

  unsigned number() const override { return number_; }

  std::optional<std::string> fromUtf8(std::string_view text) const override {
    if (number_ == kUtf8) return std::string(text);
    const std::optional<std::u16string> units = utf16FromUtf8(text);
    if (!units) return std::nullopt;
    if (units->empty()) return std::string();
    if (units->size() > INT_MAX) return std::nullopt;
    const auto* wide = reinterpret_cast<const wchar_t*>(units->data());
    const int length = static_cast<int>(units->size());
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(number_, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0,
                                         nullptr, &usedDefault);
    if (size <= 0 || usedDefault) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(number_, WC_NO_BEST_FIT_CHARS, wide, length, bytes.data(), size, nullptr,
                        &usedDefault);
    if (usedDefault) return std::nullopt;
    return bytes;
  }

 private:
  unsigned number_;
};

}  // namespace

const CodePage& systemCodePage() {
  static const AnsiCodePage codePage;
  return codePage;
}

}  // namespace clipquill
