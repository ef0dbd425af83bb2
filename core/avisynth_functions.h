// SPDX-License-Identifier: GPL-3.0-or-later
// The functions an installed AviSynth+ has, as it lists them itself: each
// one's name, where it comes from (the core, or a plugin's file) and its
// parameter string, read apart into parameters for completion and call tips.
// The table travels from the checking helper as bytes and is kept in the
// user's cache folder in the same form, so reading it back is a parser of
// bytes that may be broken: a broken table is no table.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clipquill {

enum class AvsType { Clip, Int, Float, String, Bool, Any, Function, Array };

struct AvsParam {
  std::string name;  // empty for a positional parameter
  AvsType type = AvsType::Any;
  bool optional = false;
  bool repeated = false;
  bool operator==(const AvsParam&) const = default;
};

// AviSynth's parameter string ("c[width]i[height]i", "s+[cache]b") read
// apart; nullopt when it is malformed (a plugin's bug): such a function is
// shown without parameters.
std::optional<std::vector<AvsParam>> parseAvsParams(std::string_view signature);

// AviSynth's own word for a type: "clip", "int", "float", "string", "bool",
// "val", "func", "array".
const char* avsTypeName(AvsType type);

// Where a function comes from when it is AviSynth+'s own.
inline constexpr std::string_view kInternalSource = "internal";

struct AvsFunction {
  std::string name;
  std::string source;                           // kInternalSource or the plugin's file
  std::string signature;                        // AviSynth's parameter string, as it gave it
  std::optional<std::vector<AvsParam>> params;  // nullopt: malformed signature
};

// A parameter list as a call tip shows it: "clip, int width, ...".
std::string describeParams(const std::vector<AvsParam>& params);

// The table as bytes, and read back; nullopt for bytes that are not one.
std::string encodeFunctions(const std::vector<AvsFunction>& functions);
std::optional<std::vector<AvsFunction>> decodeFunctions(std::string_view bytes);

// The table as kept in the user's cache folder: with what it was made from,
// so that a start can tell whether it still holds without asking AviSynth+.
struct FunctionTableRecord {
  // The library's and plugins' paths, sizes and times (functionCacheKey).
  std::string key;
  std::string library;                     // the file the helper loaded
  std::string version;                     // AviSynth+'s own version text
  std::vector<std::string> pluginFolders;  // those whose plugins it holds
  std::string passedOver;                  // what was left out, and why
  std::vector<AvsFunction> functions;
};

std::string encodeFunctionRecord(const FunctionTableRecord& record);
// nullopt for bytes that are not one: a broken cache is no cache.
std::optional<FunctionTableRecord> decodeFunctionRecord(std::string_view bytes);

}  // namespace clipquill
