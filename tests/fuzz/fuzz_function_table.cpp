// SPDX-License-Identifier: GPL-3.0-or-later
// The function table is read back from the user's cache folder, where any
// bytes may lie: reading must never crash, and a table (or the cache's
// record of one) read back must be written again as the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/avisynth_functions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  clipquill::parseAvsParams(bytes);
  if (const auto table = clipquill::decodeFunctions(bytes)) {
    if (clipquill::encodeFunctions(*table) != bytes) std::abort();
  }
  if (const auto record = clipquill::decodeFunctionRecord(bytes)) {
    if (clipquill::encodeFunctionRecord(*record) != bytes) std::abort();
  }
  return 0;
}
