// SPDX-License-Identifier: GPL-3.0-or-later
// AviSynth's parameter strings are a type letter per parameter, a name in
// brackets before it for a named one (which is always optional), and '*' or
// '+' after it for zero or more, one or more.
#include "core/avisynth_functions.h"

#include <cstdint>

namespace clipquill {
namespace {

std::optional<AvsType> typeOf(char c) {
  switch (c) {
    case 'c':
      return AvsType::Clip;
    case 'i':
      return AvsType::Int;
    case 'f':
      return AvsType::Float;
    case 's':
      return AvsType::String;
    case 'b':
      return AvsType::Bool;
    case '.':
    case 'v':
      return AvsType::Any;
    case 'n':
      return AvsType::Function;
    case 'a':
      return AvsType::Array;
    default:
      return std::nullopt;
  }
}

// The table's bytes: a tag, a count, then per function three
// length-counted texts. Counts are bounded by what is left, so that a
// broken count cannot ask for more memory than the bytes could hold.
constexpr std::string_view kTag = "clipquill-functions 1\n";
constexpr std::string_view kRecordTag = "clipquill-function-cache 1\n";

void putU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

void putText(std::string& out, std::string_view text) {
  putU32(out, static_cast<std::uint32_t>(text.size()));
  out += text;
}

bool getU32(std::string_view& in, std::uint32_t& v) {
  if (in.size() < 4) return false;
  v = 0;
  for (int i = 0; i < 4; ++i)
    v |= std::uint32_t{static_cast<unsigned char>(in[static_cast<std::size_t>(i)])} << (8 * i);
  in.remove_prefix(4);
  return true;
}

bool getText(std::string_view& in, std::string& text) {
  std::uint32_t n = 0;
  if (!getU32(in, n) || n > in.size()) return false;
  text.assign(in.substr(0, n));
  in.remove_prefix(n);
  return true;
}

}  // namespace

std::optional<std::vector<AvsParam>> parseAvsParams(std::string_view signature) {
  std::vector<AvsParam> params;
  std::size_t i = 0;
  while (i < signature.size()) {
    AvsParam param;
    if (signature[i] == '[') {
      const std::size_t close = signature.find(']', i + 1);
      if (close == std::string_view::npos) return std::nullopt;
      param.name.assign(signature.substr(i + 1, close - i - 1));
      param.optional = true;
      i = close + 1;
      if (i == signature.size()) return std::nullopt;  // a name without a type
    }
    const std::optional<AvsType> type = typeOf(signature[i]);
    if (!type) return std::nullopt;
    param.type = *type;
    ++i;
    if (i < signature.size() && (signature[i] == '*' || signature[i] == '+')) {
      param.repeated = true;
      if (signature[i] == '*') param.optional = true;
      ++i;
    }
    params.push_back(std::move(param));
  }
  return params;
}

const char* avsTypeName(AvsType type) {
  switch (type) {
    case AvsType::Clip:
      return "clip";
    case AvsType::Int:
      return "int";
    case AvsType::Float:
      return "float";
    case AvsType::String:
      return "string";
    case AvsType::Bool:
      return "bool";
    case AvsType::Any:
      return "val";
    case AvsType::Function:
      return "func";
    case AvsType::Array:
      return "array";
  }
  return "val";
}

std::string describeParams(const std::vector<AvsParam>& params) {
  std::string text;
  for (const AvsParam& p : params) {
    if (!text.empty()) text += ", ";
    text += avsTypeName(p.type);
    if (!p.name.empty()) text += " " + p.name;
    if (p.repeated) text += p.optional ? "*" : "+";
  }
  return text;
}

std::string encodeFunctions(const std::vector<AvsFunction>& functions) {
  std::string out(kTag);
  putU32(out, static_cast<std::uint32_t>(functions.size()));
  for (const AvsFunction& f : functions) {
    for (const std::string* text : {&f.name, &f.source, &f.signature})
      putText(out, *text);
  }
  return out;
}

std::optional<std::vector<AvsFunction>> decodeFunctions(std::string_view bytes) {
  if (!bytes.starts_with(kTag)) return std::nullopt;
  bytes.remove_prefix(kTag.size());
  std::uint32_t count = 0;
  // Each function takes at least its three counts.
  if (!getU32(bytes, count) || count > bytes.size() / 12) return std::nullopt;
  std::vector<AvsFunction> functions(count);
  for (AvsFunction& f : functions) {
    if (!getText(bytes, f.name) || !getText(bytes, f.source) || !getText(bytes, f.signature))
      return std::nullopt;
    if (f.name.empty()) return std::nullopt;
    f.params = parseAvsParams(f.signature);
  }
  if (!bytes.empty()) return std::nullopt;
  return functions;
}

std::string encodeFunctionRecord(const FunctionTableRecord& record) {
  std::string out(kRecordTag);
  putText(out, record.key);
  putText(out, record.library);
  putText(out, record.version);
  putU32(out, static_cast<std::uint32_t>(record.pluginFolders.size()));
  for (const std::string& folder : record.pluginFolders)
    putText(out, folder);
  putText(out, record.passedOver);
  out += encodeFunctions(record.functions);
  return out;
}

std::optional<FunctionTableRecord> decodeFunctionRecord(std::string_view bytes) {
  if (!bytes.starts_with(kRecordTag)) return std::nullopt;
  bytes.remove_prefix(kRecordTag.size());
  FunctionTableRecord record;
  std::uint32_t folders = 0;
  if (!getText(bytes, record.key) || !getText(bytes, record.library) ||
      !getText(bytes, record.version) || !getU32(bytes, folders) || folders > bytes.size() / 4)
    return std::nullopt;
  record.pluginFolders.resize(folders);
  for (std::string& folder : record.pluginFolders) {
    if (!getText(bytes, folder)) return std::nullopt;
  }
  if (!getText(bytes, record.passedOver)) return std::nullopt;
  std::optional<std::vector<AvsFunction>> functions = decodeFunctions(bytes);
  if (!functions) return std::nullopt;
  record.functions = std::move(*functions);
  return record;
}

}  // namespace clipquill
