// SPDX-License-Identifier: GPL-3.0-or-later
// The editor reads whatever template the user opens: its reading of calls,
// names and marks must never crash or point outside the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/avs_script_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace clipquill;
  static const FunctionIndex index({
      {"Blur", "internal", "cf[amountV]f", parseAvsParams("cf[amountV]f")},
      {"FFVideoSource", "/p/x.so", "[source]s[width]i", parseAvsParams("[source]s[width]i")},
  });
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const DefinedNames own = definedNames(text);
  for (const NameMark& mark : unknownNames(text, index, own, "AviSynth+")) {
    if (mark.start + mark.length > text.size() || mark.length == 0) std::abort();
  }
  const std::size_t caret = size == 0 ? 0 : data[0] % (size + 1);
  if (statementStart(text, caret, 64) > caret) std::abort();
  completionsAt(text, caret, index, own, true);
  if (const auto tip = callTipAt(text, caret, index)) {
    if (tip->markStart > tip->markEnd || tip->markEnd > tip->text.size()) std::abort();
  }
  return 0;
}
