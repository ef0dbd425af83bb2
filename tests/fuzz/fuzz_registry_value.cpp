// SPDX-License-Identifier: GPL-3.0-or-later
// The option flags store's value files: any bytes parse without harm, and a
// value survives being written and read back, whether it came from a parsed
// file or was made up from the input directly.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "persist/folder_registry.h"

namespace {

void checkRoundTrip(const clipquill::RegistryValue& value) {
  const std::string file = clipquill::formatRegistryValue(value);
  if (clipquill::parseRegistryValue(file) != value) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  if (const auto parsed = clipquill::parseRegistryValue(input)) checkRoundTrip(*parsed);

  // The first byte picks the type, the rest is the data.
  if (!input.empty()) {
    const auto type =
        static_cast<clipquill::RegistryValueType>(static_cast<unsigned char>(input.front()) % 3);
    checkRoundTrip({type, std::string(input.substr(1))});
  }
  return 0;
}
