// SPDX-License-Identifier: GPL-3.0-or-later
// The registry store on Windows: the flags below HKEY_LOCAL_MACHINE, where
// the program has always kept them. Only an administrator may write there on
// a modern Windows, so a key that cannot be created or written there is kept
// below HKEY_CURRENT_USER instead, or no user would ever have a flag stored;
// reading looks first in the hive the key writes to. Strings cross as UTF-16
// (REG_SZ), and are UTF-8 on this side as every name is.
#include "core/windows_api.h"

#include <algorithm>
#include <iterator>
#include <vector>

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

// The text of a REG_SZ value as the registry hands it over: UTF-16 units,
// ended by a NUL that another program's writer may have left out. Nothing
// for an odd number of bytes, which is no UTF-16 at all.
std::optional<std::string> textOfString(const std::vector<BYTE>& bytes) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  std::u16string units(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  while (!units.empty() && units.back() == u'\0')
    units.pop_back();
  return utf8FromUtf16(units);
}

class Win32Key final : public RegistryKey {
 public:
  Win32Key(HKEY machine, bool machineWritable, HKEY user, HKEY userRoot, std::wstring path)
      : machine_(machine),
        machineWritable_(machineWritable),
        user_(user),
        userRoot_(userRoot),
        path_(std::move(path)) {}

  // The hive that takes this key's writes is read first, so that a value
  // stored reads back as stored even where an older one sits in the other.
  std::optional<RegistryValue> query(std::string_view name) override {
    const std::optional<std::wstring> valueName = wideName(name);
    if (!valueName) return std::nullopt;
    HKEY first = machineWritable_ ? machine_.get() : user_.get();
    HKEY second = machineWritable_ ? user_.get() : machine_.get();
    for (HKEY key : {first, second}) {
      if (!key) continue;
      if (auto value = queryIn(key, *valueName)) return value;
    }
    return std::nullopt;
  }

  bool setDword(std::string_view name, std::uint32_t value) override {
    const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                           static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
    return set(name, REG_DWORD, std::vector<BYTE>(std::begin(bytes), std::end(bytes)));
  }

  // REG_SZ holds UTF-16 ended by a NUL: a text holding NUL itself would read
  // back cut short, so it is refused, as is one that is not UTF-8.
  bool setString(std::string_view name, std::string_view text) override {
    if (text.find('\0') != std::string_view::npos) return false;
    const std::optional<std::u16string> units = utf16FromUtf8(text);
    if (!units || units->size() >= kMaxStringUnits) return false;
    std::vector<BYTE> bytes;
    bytes.reserve((units->size() + 1) * 2);
    for (const char16_t unit : *units) {
      bytes.push_back(static_cast<BYTE>(unit & 0xFF));
      bytes.push_back(static_cast<BYTE>(unit >> 8));
    }
    bytes.insert(bytes.end(), 2, 0);
    return set(name, REG_SZ, bytes);
  }

 private:
  // Beyond what a DWORD counts in bytes, NUL included.
  static constexpr std::size_t kMaxStringUnits = 0x7FFFFFFE;
  // A value that keeps changing size while it is read is given up on.
  static constexpr int kReadAttempts = 8;

  bool set(std::string_view name, DWORD type, const std::vector<BYTE>& bytes) {
    const std::optional<std::wstring> valueName = wideName(name);
    if (!valueName) return false;
    if (machineWritable_ && setIn(machine_.get(), *valueName, type, bytes)) return true;
    if (!user_.get()) user_ = createKey(userRoot_, path_);
    return user_.get() && setIn(user_.get(), *valueName, type, bytes);
  }

  // The whole value, however long: the buffer grows to the size the registry
  // asks for, and again should another program lengthen the value meanwhile.
  static std::optional<RegistryValue> queryIn(HKEY key, const std::wstring& name) {
    std::vector<BYTE> buffer(256);
    DWORD type = 0;
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
      DWORD size = static_cast<DWORD>(buffer.size());
      const LONG status =
          ::RegQueryValueExW(key, name.c_str(), nullptr, &type, buffer.data(), &size);
      if (status == ERROR_SUCCESS) {
        buffer.resize(size);
        return valueOf(type, buffer);
      }
      if (status != ERROR_MORE_DATA) return std::nullopt;
      buffer.resize(std::max<std::size_t>(size, buffer.size() * 2));
    }
    return std::nullopt;
  }

  static std::optional<RegistryValue> valueOf(DWORD type, const std::vector<BYTE>& bytes) {
    if (type == REG_SZ) {
      std::optional<std::string> text = textOfString(bytes);
      if (!text) return std::nullopt;
      return RegistryValue{RegistryValueType::String, std::move(*text)};
    }
    return RegistryValue{type == REG_DWORD ? RegistryValueType::Dword : RegistryValueType::Other,
                         std::string(bytes.begin(), bytes.end())};
  }

  static bool setIn(HKEY key, const std::wstring& name, DWORD type,
                    const std::vector<BYTE>& bytes) {
    return ::RegSetValueExW(key, name.c_str(), 0, type, bytes.data(),
                            static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
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
