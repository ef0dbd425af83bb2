// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/platform/usage_text.h"

namespace clipquill {

std::string fillUsagePlaces(std::string_view text, std::span<const UsagePlace> places) {
  std::string out;
  out.reserve(text.size());
  for (;;) {
    const std::size_t open = text.find("{{");
    const std::size_t close = open == std::string_view::npos ? open : text.find("}}", open + 2);
    if (close == std::string_view::npos) break;
    const std::string_view name = text.substr(open + 2, close - open - 2);
    out.append(text.substr(0, open));
    const UsagePlace* found = nullptr;
    for (const UsagePlace& place : places) {
      if (place.name == name) found = &place;
    }
    if (found) {
      out.append(found->text);
    } else {
      out.append(text.substr(open, close + 2 - open));
    }
    text.remove_prefix(close + 2);
  }
  out.append(text);
  return out;
}

}  // namespace clipquill
