// SPDX-License-Identifier: GPL-3.0-or-later
// The template reader against a reader that is slow but plainly right: one
// byte at a time through the rule's states, with every CR taken out first
// (a CR is dropped wherever it stands, and the one before an LF leaves the LF
// to end the line). Both must agree on any bytes, and what they read must
// survive a write and a second read unchanged. The encoding read from a
// template's bytes agrees with a decoder that takes one code point at a time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/script_encoding.h"
#include "persist/template_file.h"

namespace {

using Lines = std::vector<std::string>;

Lines referenceParse(std::string_view bytes) {
  Lines lines;
  std::string line;
  bool inLine = false;    // a byte of this line's text has been seen
  bool skipping = false;  // past a Ctrl-Z, up to the line's LF
  for (const char c : bytes) {
    if (c == '\r') continue;
    if (skipping) {
      if (c == '\x1A') return lines;
      if (c == '\n') skipping = false;
      continue;
    }
    if (c == '\n' || c == '\x1A') {
      if (c == '\x1A' && !inLine) return lines;
      lines.push_back(line);
      line.clear();
      inLine = false;
      skipping = c == '\x1A';
      continue;
    }
    line += c;
    inLine = true;
  }
  if (inLine) lines.push_back(line);
  return lines;
}

// Whether bytes are UTF-8, code point by code point: the shortest form,
// no surrogate, nothing past U+10FFFF.
bool referenceUtf8(std::string_view bytes, bool& beyondAscii) {
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const std::size_t length = lead < 0x80       ? 1
                               : lead >> 5 == 6  ? 2
                               : lead >> 4 == 14 ? 3
                               : lead >> 3 == 30 ? 4
                                                 : 0;
    if (length == 0 || bytes.size() - i < length) return false;
    std::uint32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      cp = cp << 6 | (next & 0x3F);
    }
    const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[length] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
    beyondAscii = beyondAscii || length > 1;
    i += length;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const Lines lines = clipquill::parseTemplate(bytes);
  if (lines != referenceParse(bytes)) std::abort();

  std::string joined;
  for (const std::string& line : lines) {
    if (line.find_first_of("\r\n\x1A") != std::string::npos) std::abort();
    joined += line;
    joined += '\n';
  }
  const std::string written = clipquill::serializeTemplate(lines);
  if (written.size() != joined.size() + lines.size()) std::abort();
  if (clipquill::parseTemplate(written) != lines) std::abort();
  // What the editor shows is what it hands back, whichever line end it uses.
  if (clipquill::editorLines(joined) != lines) std::abort();
  if (clipquill::editorLines(written) != lines) std::abort();

  // The editor's own split of any text: no line holds an LF, and the lines
  // with "\n" after each give back the text, its "\r\n" ends as "\n" and a
  // last line end added.
  std::string normal;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    normal += bytes[i];
  }
  if (!normal.empty() && normal.back() != '\n') normal += '\n';
  std::string rejoined;
  for (const std::string& line : clipquill::editorLines(bytes)) {
    if (line.find('\n') != std::string::npos) std::abort();
    rejoined += line;
    rejoined += '\n';
  }
  if (rejoined != normal) std::abort();

  // Lines as the model keeps them: the encoding is the bytes' own.
  bool beyondAscii = false;
  const bool utf8 = referenceUtf8(joined, beyondAscii);
  const bool marked = std::string_view(joined).starts_with("\xEF\xBB\xBF");
  const clipquill::TemplateLines kept(joined);
  if ((clipquill::templateEncoding(kept) == clipquill::TemplateEncoding::Utf8) !=
      (marked || (utf8 && beyondAscii)))
    std::abort();
  clipquill::readsNamesAsUtf8(kept);
  return 0;
}
