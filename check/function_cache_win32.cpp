// SPDX-License-Identifier: GPL-3.0-or-later
// The user's local (not roaming) application data: a cache has no business
// following the user from machine to machine.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "check/function_cache.h"
#include "core/utf8_path.h"

namespace clipquill {

std::string userCacheFolder() {
  const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
  if (local == nullptr || *local == L'\0') return {};
  return utf8Of(std::filesystem::path(local) / L"Clipquill" / L"cache");
}

const char* pluginFileEnding() {
  return ".dll";
}

}  // namespace clipquill
