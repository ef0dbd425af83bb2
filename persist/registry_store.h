// SPDX-License-Identifier: GPL-3.0-or-later
// The store behind the option flags, shaped as the registry is: keys found by
// a path of names separated by "\", each holding typed values. On Windows it
// is the registry itself; elsewhere a folder per key and a file per value.
//
// No operation raises: a failure is a null key, a false or no value.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace clipquill {

// REG_DWORD, REG_SZ, and every other registry type alike.
enum class RegistryValueType { Dword, String, Other };

struct RegistryValue {
  RegistryValueType type;
  // A DWORD's 4 bytes, little-endian; a string's text in UTF-8, without the
  // NUL the registry ends it with; any other type's raw bytes.
  std::string data;
  bool operator==(const RegistryValue&) const = default;
};

// An open key; destroying it closes it.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  // The value, or nothing when it is missing or cannot be read whole.
  virtual std::optional<RegistryValue> query(std::string_view name) = 0;
  // Stores value as a DWORD of 4 bytes; false when it could not be stored.
  virtual bool setDword(std::string_view name, std::uint32_t value) = 0;
  // Stores text as a string (REG_SZ); false when it could not be stored,
  // and always false from a key that keeps no strings.
  virtual bool setString(std::string_view, std::string_view) { return false; }
};

class RegistryStore {
 public:
  virtual ~RegistryStore() = default;
  // Opens the key at keyPath, creating it and the keys above it when missing;
  // null when it can be neither opened nor created.
  virtual std::unique_ptr<RegistryKey> openOrCreate(std::string_view keyPath) = 0;
};

// The store of this platform.
std::unique_ptr<RegistryStore> makeSystemRegistryStore();

}  // namespace clipquill
