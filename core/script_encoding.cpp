// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/script_encoding.h"

#include <algorithm>
#include <cctype>

#include "core/wide_text.h"

namespace clipquill {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Whether the line gives utf8=true, spaced and cased as AviSynth allows.
bool givesUtf8(std::string_view line) {
  std::string lower(line);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  for (std::size_t at = lower.find("utf8"); at != std::string::npos;
       at = lower.find("utf8", at + 1)) {
    std::size_t k = at + 4;
    while (k < lower.size() && blank(lower[k]))
      ++k;
    if (k == lower.size() || lower[k] != '=') continue;
    ++k;
    while (k < lower.size() && blank(lower[k]))
      ++k;
    if (lower.compare(k, 4, "true") == 0) return true;
  }
  return false;
}

bool isComment(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t");
  return first != std::string_view::npos && line[first] == '#';
}

}  // namespace

bool isAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

TemplateEncoding templateEncoding(TemplateLines lines) {
  const std::string_view text = lines.text();
  if (text.starts_with(kByteOrderMark)) return TemplateEncoding::Utf8;
  bool beyondAscii = false;
  for (std::size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const std::size_t length = utf8SequenceAt(text, i);
    if (length == 0) return TemplateEncoding::CodePage;
    beyondAscii = true;
    i += length;
  }
  return beyondAscii ? TemplateEncoding::Utf8 : TemplateEncoding::CodePage;
}

bool readsNamesAsUtf8(TemplateLines lines) {
  bool given = false;
  for (const std::string_view line : lines) {
    if (isComment(line)) continue;
    const bool utf8 = givesUtf8(line);
    given = given || utf8;
    const bool passesName =
        line.find("<P>") != std::string_view::npos || line.find("<F>") != std::string_view::npos;
    if (passesName && line.find('(') != std::string_view::npos && !utf8) return false;
  }
  return given;
}

NameEncoding nameEncoding(TemplateLines whole, const CodePage& codePage) {
  if (codePage.isUtf8()) return {};
  if (templateEncoding(whole) == TemplateEncoding::CodePage)
    return {.codePage = &codePage, .misreadIn = 0};
  return {.codePage = nullptr, .misreadIn = readsNamesAsUtf8(whole) ? 0 : codePage.number()};
}

EncodedName encodeName(const NameEncoding& encoding, std::string_view name) {
  if (encoding.codePage) {
    if (std::optional<std::string> bytes = encoding.codePage->fromUtf8(name))
      return {NameFit::Fits, std::move(*bytes)};
    return {NameFit::Unwritable, std::string(name)};
  }
  const bool misread = encoding.misreadIn != 0 && !isAscii(name);
  return {misread ? NameFit::Misread : NameFit::Fits, std::string(name)};
}

EncodedNames encodeNames(const NameEncoding& encoding, std::string_view folder,
                         std::span<const std::string> clips) {
  EncodedNames names;
  names.trouble.codePage = encoding.codePage ? encoding.codePage->number() : encoding.misreadIn;
  names.trouble.folder = folder;
  EncodedName encodedFolder = encodeName(encoding, folder);
  names.folder = std::move(encodedFolder.bytes);
  names.trouble.folderUnwritable = encodedFolder.fit == NameFit::Unwritable;
  names.trouble.folderMisread = encodedFolder.fit == NameFit::Misread;
  names.clips.reserve(clips.size());
  names.writable.reserve(clips.size());
  for (const std::string& clip : clips) {
    EncodedName encoded = encodeName(encoding, clip);
    names.clips.push_back(std::move(encoded.bytes));
    names.writable.push_back(encoded.fit != NameFit::Unwritable && !names.trouble.folderUnwritable);
    if (encoded.fit == NameFit::Unwritable) names.trouble.unwritable.push_back(clip);
    if (encoded.fit == NameFit::Misread) names.trouble.misread.push_back(clip);
  }
  return names;
}

}  // namespace clipquill
