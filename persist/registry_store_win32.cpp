// SPDX-License-Identifier: GPL-3.0-or-later
// The registry store on Windows: the machine-wide hive, through the ANSI
// registry functions.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "persist/registry_store.h"

namespace clipquill {

namespace {

// The functions take C strings: a name holding NUL would name another value.
bool holdsNul(std::string_view name) {
  return name.find('\0') != std::string_view::npos;
}

class Win32Key final : public RegistryKey {
 public:
  explicit Win32Key(HKEY key) : key_(key) {}
  Win32Key(const Win32Key&) = delete;
  Win32Key& operator=(const Win32Key&) = delete;
  ~Win32Key() override { ::RegCloseKey(key_); }

  std::optional<RegistryValue> query(std::string_view name) override {
    if (holdsNul(name)) return std::nullopt;
    const std::string valueName(name);
    DWORD type = 0;
    BYTE buffer[4] = {};
    DWORD size = sizeof buffer;
    // A value longer than the buffer fails with ERROR_MORE_DATA: no value.
    if (::RegQueryValueExA(key_, valueName.c_str(), nullptr, &type, buffer, &size) !=
        ERROR_SUCCESS) {
      return std::nullopt;
    }
    const RegistryValueType kind = type == REG_DWORD ? RegistryValueType::Dword
                                   : type == REG_SZ  ? RegistryValueType::String
                                                     : RegistryValueType::Other;
    return RegistryValue{kind, std::string(reinterpret_cast<const char*>(buffer), size)};
  }

  bool setDword(std::string_view name, std::uint32_t value) override {
    if (holdsNul(name)) return false;
    const std::string valueName(name);
    const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                           static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
    return ::RegSetValueExA(key_, valueName.c_str(), 0, REG_DWORD, bytes, sizeof bytes) ==
           ERROR_SUCCESS;
  }

  bool setString(std::string_view name, std::string_view text) override {
    if (holdsNul(name) || holdsNul(text)) return false;
    const std::string valueName(name);
    const std::string data(text);
    return ::RegSetValueExA(key_, valueName.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
  }

 private:
  HKEY key_;
};

class Win32Registry final : public RegistryStore {
 public:
  std::unique_ptr<RegistryKey> openOrCreate(std::string_view keyPath) override {
    if (holdsNul(keyPath)) return nullptr;
    const std::string path(keyPath);
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
      return nullptr;
    }
    return std::make_unique<Win32Key>(key);
  }
};

}  // namespace

std::unique_ptr<RegistryStore> makeSystemRegistryStore() {
  return std::make_unique<Win32Registry>();
}

}  // namespace clipquill
