// SPDX-License-Identifier: GPL-3.0-or-later
// The hash tables of the profile reader and of the settings file's filter
// list share one hash of a name and one first slot: names compare by ASCII
// case only, the same in every locale, and so they hash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace clipquill {

inline char foldedAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// FNV-1a of the name with its ASCII letters folded to lower case.
inline std::uint32_t foldedNameHash(std::string_view name) {
  std::uint32_t hash = 2166136261u;
  for (const char c : name)
    hash = (hash ^ static_cast<unsigned char>(foldedAscii(c))) * 16777619u;
  return hash;
}

// Where a hash starts its probe in a table of mask + 1 slots. Names such as
// "Ext17" and "Ext18" differ in their last byte, which the hash carries into
// its high bits only; every bit is mixed into the low ones first, or linear
// probing meets runs as long as the table (a million names took seconds).
inline std::size_t slotOf(std::uint32_t hash, std::size_t mask) {
  hash ^= hash >> 16;
  hash *= 0x85EBCA6Bu;
  hash ^= hash >> 13;
  hash *= 0xC2B2AE35u;
  hash ^= hash >> 16;
  return hash & mask;
}

}  // namespace clipquill
