// SPDX-License-Identifier: GPL-3.0-or-later
// The sandbox's words and sizes, the same on every system.
#include "check/sandbox.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace clipquill {

std::optional<std::uint64_t> parseMemorySize(std::string_view text) {
  std::string number;
  std::size_t i = 0;
  for (; i < text.size() && (std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.');
       ++i)
    number += text[i];
  if (number.empty() || std::count(number.begin(), number.end(), '.') > 1 || number == ".") {
    return std::nullopt;
  }
  std::string unit(text.substr(i));
  for (char& c : unit)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (unit.size() == 2 && unit[1] == 'B') unit.pop_back();
  int shift = 0;
  if (unit == "K") {
    shift = 10;
  } else if (unit == "M") {
    shift = 20;
  } else if (unit == "G") {
    shift = 30;
  } else if (unit == "T") {
    shift = 40;
  } else if (!unit.empty() && unit != "B") {
    return std::nullopt;
  }
  const double value = std::strtod(number.c_str(), nullptr) * std::ldexp(1.0, shift);
  // Past 2^62 is no machine's memory, and no double rounds there well.
  if (!(value >= 16.0 * (1 << 20)) || value > std::ldexp(1.0, 62)) return std::nullopt;
  return static_cast<std::uint64_t>(value);
}

std::string describeMemorySize(std::uint64_t bytes) {
  constexpr const char* kUnits = "KMGT";
  int unit = -1;
  while (unit < 3 && bytes >= 1024 && bytes % 1024 == 0) {
    bytes /= 1024;
    ++unit;
  }
  return std::to_string(bytes) + (unit >= 0 ? std::string(1, kUnits[unit]) : std::string("B"));
}

bool saysOutOfMemory(std::string_view message) {
  std::string lower(message);
  for (char& c : lower)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find("out of memory") != std::string::npos ||
         lower.find("bad_alloc") != std::string::npos ||
         lower.find("could not allocate") != std::string::npos ||
         lower.find("cannot allocate memory") != std::string::npos;
}

}  // namespace clipquill
