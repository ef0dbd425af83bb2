// SPDX-License-Identifier: GPL-3.0-or-later
// The registry store on Windows: the flags below HKEY_LOCAL_MACHINE, where
// the program has always kept them. Only an administrator may write there on
// a modern Windows, so a key that cannot be created or written there is kept
// below HKEY_CURRENT_USER instead, or no user would ever have a flag stored;
// reading looks in the same order, the machine's value first.
#include "core/windows_api.h"

#include "core/wide_text.h"
#include "persist/registry_store.h"
#include "persist/registry_store_win32.h"

namespace clipquill {

namespace {

// A name as the W functions take it; nothing for one holding NUL (which would
// name another value) or one that is not UTF-8.
std::optional<std::wstring> wideName(std::string_view name) {
  if (name.find('\0') != std::string_view::npos) return std::nullopt;
  const std::optional<std::u16string> units = utf16FromUtf8(name);
  if (!units) return std::nullopt;
  return std::wstring(units->begin(), units->end());
}

// Empty names are skipped, as the folder store skips them: a path ending in
// "\" is the key above it.
std::wstring normalKeyPath(const std::wstring& path) {
  std::wstring out;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find(L'\\', start), path.size());
    if (end > start) {
      if (!out.empty()) out += L'\\';
      out.append(path, start, end - start);
    }
    start = end + 1;
  }
  return out;
}

HKEY createKey(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return key;
}

class OwnedKey {
 public:
  OwnedKey() = default;
  explicit OwnedKey(HKEY key) : key_(key) {}
  OwnedKey(const OwnedKey&) = delete;
  OwnedKey& operator=(const OwnedKey&) = delete;
  OwnedKey& operator=(HKEY key) {
    if (key_) ::RegCloseKey(key_);
    key_ = key;
    return *this;
  }
  ~OwnedKey() {
    if (key_) ::RegCloseKey(key_);
  }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

class Win32Key final : public RegistryKey {
 public:
  Win32Key(HKEY machine, bool machineWritable, HKEY user, HKEY userRoot, std::wstring path)
      : machine_(machine),
        machineWritable_(machineWritable),
        user_(user),
        userRoot_(userRoot),
        path_(std::move(path)) {}

  std::optional<RegistryValue> query(std::string_view name) override {
    const std::optional<std::wstring> valueName = wideName(name);
    if (!valueName) return std::nullopt;
    if (machine_.get()) {
      if (auto value = queryIn(machine_.get(), *valueName)) return value;
    }
    if (user_.get()) return queryIn(user_.get(), *valueName);
    return std::nullopt;
  }

  bool setDword(std::string_view name, std::uint32_t value) override {
    const std::optional<std::wstring> valueName = wideName(name);
    if (!valueName) return false;
    const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                           static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
    if (machineWritable_ && setIn(machine_.get(), *valueName, bytes)) return true;
    if (!user_.get()) user_ = createKey(userRoot_, path_);
    return user_.get() && setIn(user_.get(), *valueName, bytes);
  }

 private:
  static std::optional<RegistryValue> queryIn(HKEY key, const std::wstring& name) {
    DWORD type = 0;
    BYTE buffer[4] = {};
    DWORD size = sizeof buffer;
    // A value longer than the buffer fails with ERROR_MORE_DATA: no value.
    if (::RegQueryValueExW(key, name.c_str(), nullptr, &type, buffer, &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    const RegistryValueType kind = type == REG_DWORD ? RegistryValueType::Dword
                                   : type == REG_SZ  ? RegistryValueType::String
                                                     : RegistryValueType::Other;
    return RegistryValue{kind, std::string(reinterpret_cast<const char*>(buffer), size)};
  }

  static bool setIn(HKEY key, const std::wstring& name, const BYTE (&bytes)[4]) {
    return ::RegSetValueExW(key, name.c_str(), 0, REG_DWORD, bytes, sizeof bytes) == ERROR_SUCCESS;
  }

  OwnedKey machine_;
  bool machineWritable_;
  OwnedKey user_;
  HKEY userRoot_;
  std::wstring path_;
};

class Win32Registry final : public RegistryStore {
 public:
  Win32Registry(HKEY machineRoot, HKEY userRoot) : machineRoot_(machineRoot), userRoot_(userRoot) {}

  std::unique_ptr<RegistryKey> openOrCreate(std::string_view keyPath) override {
    const std::optional<std::wstring> wide = wideName(keyPath);
    if (!wide) return nullptr;
    const std::wstring path = normalKeyPath(*wide);
    if (HKEY machine = createKey(machineRoot_, path)) {
      return std::make_unique<Win32Key>(machine, true, nullptr, userRoot_, path);
    }
    // The machine's key as far as it may be read, then the user's own.
    HKEY machine = nullptr;
    if (::RegOpenKeyExW(machineRoot_, path.c_str(), 0, KEY_QUERY_VALUE, &machine) !=
        ERROR_SUCCESS) {
      machine = nullptr;
    }
    HKEY user = createKey(userRoot_, path);
    if (!machine && !user) return nullptr;
    return std::make_unique<Win32Key>(machine, false, user, userRoot_, path);
  }

 private:
  HKEY machineRoot_;
  HKEY userRoot_;
};

}  // namespace

std::unique_ptr<RegistryStore> makeWin32RegistryStore(void* machineRoot, void* userRoot) {
  return std::make_unique<Win32Registry>(static_cast<HKEY>(machineRoot),
                                         static_cast<HKEY>(userRoot));
}

std::unique_ptr<RegistryStore> makeSystemRegistryStore() {
  return makeWin32RegistryStore(HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER);
}

}  // namespace clipquill
