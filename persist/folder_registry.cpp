// SPDX-License-Identifier: GPL-3.0-or-later
#include "persist/folder_registry.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/constants.h"
#include "core/error.h"
#include "persist/path_rules.h"

namespace clipquill {

namespace {

constexpr std::string_view kDwordTag = "dword:";
constexpr std::string_view kStringTag = "sz:";
constexpr std::string_view kHexTag = "hex:";
constexpr std::string_view kOddDwordTag = "hex(4):";
constexpr std::size_t kDwordDigits = 8;
constexpr char kHexDigits[] = "0123456789abcdef";

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// An editor may well end the one line with a line end; one is allowed.
std::string_view withoutLineEnd(std::string_view line) {
  if (line.ends_with("\r\n")) {
    line.remove_suffix(2);
  } else if (line.ends_with('\n')) {
    line.remove_suffix(1);
  }
  return line;
}

std::optional<std::uint32_t> parseDword(std::string_view digits) {
  if (digits.size() != kDwordDigits) return std::nullopt;
  std::uint32_t value = 0;
  for (const char c : digits) {
    const int d = hexDigit(c);
    if (d < 0) return std::nullopt;
    value = value << 4 | static_cast<std::uint32_t>(d);
  }
  return value;
}

// "01,02,0a": two digits a byte, a comma between bytes; "" is no bytes.
std::optional<std::string> parseHexList(std::string_view list) {
  std::string bytes;
  if (list.empty()) return bytes;
  bytes.reserve(list.size() / 3 + 1);
  for (;;) {
    if (list.size() < 2) return std::nullopt;
    const int high = hexDigit(list[0]);
    const int low = hexDigit(list[1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<char>(high << 4 | low));
    list.remove_prefix(2);
    if (list.empty()) return bytes;
    if (list.front() != ',') return std::nullopt;
    list.remove_prefix(1);
  }
}

void appendHexByte(std::string& out, unsigned char byte) {
  out.push_back(kHexDigits[byte >> 4]);
  out.push_back(kHexDigits[byte & 0xF]);
}

std::string dwordBytes(std::uint32_t value) {
  std::string bytes(4, '\0');
  for (std::size_t i = 0; i < 4; ++i)
    bytes[i] = static_cast<char>(value >> (8 * i) & 0xFF);
  return bytes;
}

// Whether name can be a file or folder name of its own, inside its folder.
bool isPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

char foldCase(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return foldCase(x) == foldCase(y);
         });
}

std::string join(const std::string& folder, std::string_view name) {
  std::string path = folder;
  if (!path.ends_with('/')) path.push_back('/');
  path.append(name);
  return path;
}

// The name in folder that stands for name: name itself, else one that differs
// only in case, of the kind wanted (file for a value, folder for a key). Of
// several, the lowest in byte order, so the choice holds from run to run.
// name when there is none, to be created as asked.
std::string existingName(PersistFiles& files, const std::string& folder, std::string_view name,
                         bool wantFile) {
  std::optional<std::string> found;
  for (std::string& entry : files.names(folder)) {
    if (!sameName(entry, name) || files.isFile(join(folder, entry)) != wantFile) continue;
    if (entry == name) return entry;
    if (!found || entry < *found) found = std::move(entry);
  }
  return found ? *found : std::string(name);
}

class FolderKey final : public RegistryKey {
 public:
  FolderKey(std::shared_ptr<PersistFiles> owned, PersistFiles& files, std::string folder)
      : owned_(std::move(owned)), files_(files), folder_(std::move(folder)) {}

  std::optional<RegistryValue> query(std::string_view name) override {
    if (!isPlainName(name)) return std::nullopt;
    try {
      const std::optional<std::string> bytes = files_.read(valuePath(name));
      if (!bytes) return std::nullopt;
      return parseRegistryValue(*bytes);
    } catch (const Error&) {
      return std::nullopt;
    }
  }

  bool setDword(std::string_view name, std::uint32_t value) override {
    return set(name, {RegistryValueType::Dword, dwordBytes(value)});
  }

  bool setString(std::string_view name, std::string_view text) override {
    return set(name, {RegistryValueType::String, std::string(text)});
  }

 private:
  bool set(std::string_view name, const RegistryValue& value) {
    if (!isPlainName(name)) return false;
    try {
      files_.write(valuePath(name), formatRegistryValue(value));
      return true;
    } catch (const Error&) {
      return false;
    }
  }

  std::string valuePath(std::string_view name) {
    const std::string exact = join(folder_, name);
    if (files_.isFile(exact)) return exact;  // spares a listing in the usual case
    return join(folder_, existingName(files_, folder_, name, true));
  }

  std::shared_ptr<PersistFiles> owned_;
  PersistFiles& files_;
  std::string folder_;
};

// The key of a store that has nowhere to be: nothing is read, nothing kept.
class HomelessKey final : public RegistryKey {
 public:
  std::optional<RegistryValue> query(std::string_view) override { return std::nullopt; }
  bool setDword(std::string_view, std::uint32_t) override { return false; }
};

// root without its last name.
std::string above(const std::string& root) {
  const std::size_t slash = root.rfind('/');
  if (slash == std::string::npos) return "";
  return root.substr(0, slash == 0 ? 1 : slash);
}

// The folder that holds the store's own folders: above the root, above the
// application's folder when the root is in one, and above a ".config" that
// holds that.
std::string baseOf(const std::string& root) {
  std::string base = above(root);
  const auto strip = [&](std::string_view name) {
    if (!base.ends_with("/" + std::string(name))) return false;
    base = above(base);
    return true;
  };
  if (strip(kAppTitle)) strip(".config");
  return base;
}

}  // namespace

std::optional<RegistryValue> parseRegistryValue(std::string_view fileBytes) {
  if (fileBytes.starts_with(kStringTag)) {
    return RegistryValue{RegistryValueType::String,
                         std::string(fileBytes.substr(kStringTag.size()))};
  }
  const std::string_view line = withoutLineEnd(fileBytes);
  if (line.starts_with(kDwordTag)) {
    const auto value = parseDword(line.substr(kDwordTag.size()));
    if (!value) return std::nullopt;
    return RegistryValue{RegistryValueType::Dword, dwordBytes(*value)};
  }
  const bool other = line.starts_with(kHexTag);
  if (!other && !line.starts_with(kOddDwordTag)) return std::nullopt;
  auto bytes = parseHexList(line.substr(other ? kHexTag.size() : kOddDwordTag.size()));
  if (!bytes) return std::nullopt;
  return RegistryValue{other ? RegistryValueType::Other : RegistryValueType::Dword,
                       std::move(*bytes)};
}

std::string formatRegistryValue(const RegistryValue& value) {
  std::string out;
  switch (value.type) {
    case RegistryValueType::String:
      return std::string(kStringTag) + value.data;
    case RegistryValueType::Dword:
      if (value.data.size() == 4) {
        out = kDwordTag;
        for (std::size_t i = 4; i-- > 0;)
          appendHexByte(out, static_cast<unsigned char>(value.data[i]));
        return out;
      }
      out = kOddDwordTag;
      break;
    case RegistryValueType::Other:
      out = kHexTag;
      break;
  }
  out.reserve(out.size() + value.data.size() * 3);
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    if (i > 0) out.push_back(',');
    appendHexByte(out, static_cast<unsigned char>(value.data[i]));
  }
  return out;
}

FolderRegistry::FolderRegistry(PersistFiles& files, std::string root)
    : FolderRegistry(nullptr, files, std::move(root)) {}

FolderRegistry::FolderRegistry(std::shared_ptr<PersistFiles> files, std::string root)
    : FolderRegistry(files, *files, std::move(root)) {}

FolderRegistry::FolderRegistry(std::shared_ptr<PersistFiles> owned, PersistFiles& files,
                               std::string root)
    : owned_(std::move(owned)), files_(files), root_(std::move(root)) {
  while (root_.size() > 1 && root_.ends_with('/'))
    root_.pop_back();
  base_ = baseOf(root_);
}

void FolderRegistry::makeRoot() {
  try {
    files_.makeFolder(root_);
    return;
  } catch (const Error&) {
  }
  // The store's folders above it may be missing too (a fresh ~/.config).
  // Those that exist may refuse a new folder all the same: only the root's
  // own creation counts.
  for (std::size_t slash = root_.find('/', base_.size() + 1); slash != std::string::npos;
       slash = root_.find('/', slash + 1)) {
    try {
      files_.makeFolder(root_.substr(0, slash));
    } catch (const Error&) {
    }
  }
  files_.makeFolder(root_);
}

std::unique_ptr<RegistryKey> FolderRegistry::openOrCreate(std::string_view keyPath) {
  if (root_.empty()) return nullptr;
  // Every name is checked before anything is created.
  std::vector<std::string_view> names;
  for (std::size_t start = 0; start <= keyPath.size();) {
    const std::size_t end = std::min(keyPath.find('\\', start), keyPath.size());
    const std::string_view name = keyPath.substr(start, end - start);
    if (!name.empty()) {
      if (!isPlainName(name)) return nullptr;
      names.push_back(name);
    }
    start = end + 1;
  }
  // Nothing at all where the store's folders go: not made, and not kept.
  if (!base_.empty() && !files_.isFolder(base_) && !files_.isFile(base_)) {
    return std::make_unique<HomelessKey>();
  }
  try {
    makeRoot();
    std::string folder = root_;
    for (const std::string_view name : names) {
      folder = join(folder, existingName(files_, folder, name, false));
      files_.makeFolder(folder);
    }
    // A key that takes no values is refused as a whole, as the registry
    // refuses a key opened for all access without the rights to it.
    if (!files_.canWrite(folder)) return nullptr;
    return std::make_unique<FolderKey>(owned_, files_, std::move(folder));
  } catch (const Error&) {
    return nullptr;
  }
}

// Windows has the registry itself, in its own file.
#if !defined(_WIN32)
std::unique_ptr<RegistryStore> makeSystemRegistryStore() {
  return std::make_unique<FolderRegistry>(makeSystemPersistFiles(), defaultRegistryRoot());
}
#endif

}  // namespace clipquill
