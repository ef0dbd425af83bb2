// SPDX-License-Identifier: GPL-3.0-or-later
// The XDG base directory rule for the user's cache folder.
#include <cstdlib>
#include <string>

#include "check/function_cache.h"

namespace clipquill {

std::string userCacheFolder() {
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && *cache == '/')
    return std::string(cache) + "/clipquill";
  if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/')
    return std::string(home) + "/.cache/clipquill";
  return {};
}

const char* pluginFileEnding() {
  return ".so";
}

}  // namespace clipquill
