// SPDX-License-Identifier: GPL-3.0-or-later
// std::filesystem paths to and from the UTF-8 every layer holds. On Windows
// a path made from a plain string is read in the ANSI code page, which would
// garble every name beyond it; elsewhere the bytes pass as they are.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace clipquill {

inline std::filesystem::path pathFromUtf8(std::string_view text) {
#if defined(_WIN32)
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
#else
  return std::filesystem::path(std::string(text));
#endif
}

inline std::string utf8Of(const std::filesystem::path& path) {
#if defined(_WIN32)
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
#else
  return path.string();
#endif
}

}  // namespace clipquill
