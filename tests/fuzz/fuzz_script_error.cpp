// SPDX-License-Identifier: GPL-3.0-or-later
// AviSynth's error text carries file names and script text the user chose:
// reading it back must never crash or read out of bounds, and the place it
// finds must be one the text holds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "check/script_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The first byte splits the rest into the checked script's name and the text.
  const std::size_t split = data[0] % size;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string_view script = rest.substr(0, std::min(split, rest.size()));
  const std::string_view text = rest.substr(script.size());

  const clipquill::ScriptErrorText parsed = clipquill::parseScriptError(text, script);
  if (parsed.message.size() > text.size()) std::abort();
  for (const auto& place : parsed.places) {
    if (place.line < 0 || place.column < 0) std::abort();
    if (text.find(place.file) == std::string_view::npos) std::abort();
  }
  const clipquill::LocatedError located = clipquill::locateScriptError(text, script);
  if (located.line < 0 || located.message.find('\n') != std::string::npos) std::abort();
  return 0;
}
