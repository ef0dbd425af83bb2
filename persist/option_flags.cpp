// SPDX-License-Identifier: GPL-3.0-or-later
#include "persist/option_flags.h"

#include <optional>

#include "core/constants.h"
#include "core/messages.h"

namespace clipquill {

namespace {

bool isChecked(const std::optional<RegistryValue>& value) {
  if (!value || value->type != RegistryValueType::Dword || value->data.size() != 4) return true;
  return value->data.find_first_not_of('\0') != std::string::npos;
}

void storeFlag(RegistryKey& key, UserPort& user, std::string_view name, bool checked,
               std::string_view failure) {
  if (!key.setDword(name, checked ? 1 : 0)) {
    user.messageBox(MessageKind::Warning, Buttons::Ok, failure);
  }
}

}  // namespace

std::string flagsStem(std::string_view templateName) {
  const std::size_t dot = templateName.find('.');
  if (dot == std::string_view::npos) return "";
  return std::string(templateName.substr(0, dot));
}

std::string flagsKeyForWriting(std::string_view appTitle, std::string_view templateName) {
  return flagsKeyForReading(appTitle, "") + "\\" + flagsStem(templateName);
}

std::string flagsKeyForReading(std::string_view appTitle, std::string_view templateName) {
  std::string path = std::string(kRegistryRoot) + std::string(appTitle);
  if (!templateName.empty()) path += "\\" + flagsStem(templateName);
  return path;
}

OptionFlags readOptionFlags(RegistryStore& store, std::string_view appTitle,
                            std::string_view templateName, OptionFlags current) {
  const auto key = store.openOrCreate(flagsKeyForReading(appTitle, templateName));
  if (!key) return current;
  OptionFlags flags;
  flags.loadInis = isChecked(key->query(kValueLoadInis));
  flags.saveInis = isChecked(key->query(kValueSaveInis));
  return flags;
}

void writeOptionFlags(RegistryStore& store, UserPort& user, std::string_view appTitle,
                      std::string_view templateName, OptionFlags flags) {
  const auto key = store.openOrCreate(flagsKeyForWriting(appTitle, templateName));
  if (!key) return;
  storeFlag(*key, user, kValueLoadInis, flags.loadInis, msg::kCouldNotSaveLoadInis);
  storeFlag(*key, user, kValueSaveInis, flags.saveInis, msg::kCouldNotSaveSaveInis);
}

}  // namespace clipquill
