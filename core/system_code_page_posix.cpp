// SPDX-License-Identifier: GPL-3.0-or-later
// The code page of a system whose names are UTF-8: AviSynth+ there reads a
// script's strings as UTF-8, so names go into scripts as they are.
#include "core/script_encoding.h"

namespace clipquill {

namespace {

class Utf8CodePage final : public CodePage {
 public:
  unsigned number() const override { return kUtf8; }
  std::optional<std::string> fromUtf8(std::string_view text) const override {
    return std::string(text);
  }
};

}  // namespace

const CodePage& systemCodePage() {
  static const Utf8CodePage codePage;
  return codePage;
}

}  // namespace clipquill
