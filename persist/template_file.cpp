// SPDX-License-Identifier: GPL-3.0-or-later
#include "persist/template_file.h"

#include "core/constants.h"

namespace clipquill {

std::string serializeTemplate(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const std::string& line : lines)
    size += line.size() + kLineEnd.size();
  std::string bytes;
  bytes.reserve(size);
  for (const std::string& line : lines) {
    bytes += line;
    bytes += kLineEnd;
  }
  return bytes;
}

std::optional<TemplateText> readTemplateText(PersistFiles& files, const std::string& path) {
  std::optional<std::string> bytes = files.read(path);
  if (!bytes) return std::nullopt;
  return TemplateText::parse(std::move(*bytes));
}

void writeTemplateText(PersistFiles& files, const std::string& path, const TemplateText& text) {
  // In pieces, each "\n" turned into CR LF on the way: the file is never
  // built whole in memory.
  constexpr std::size_t kPiece = 256 * 1024;
  files.writeWith(path, [&](PersistFiles::Sink& sink) {
    std::string piece;
    piece.reserve(kPiece + kLineEnd.size());
    text.forEachLine([&](std::string_view line) {
      if (piece.size() + line.size() > kPiece) {
        sink.put(piece);
        piece.clear();
      }
      // A line longer than a piece goes on its own.
      while (line.size() > kPiece) {
        sink.put(line.substr(0, kPiece));
        line.remove_prefix(kPiece);
      }
      piece += line;
      piece += kLineEnd;
    });
    if (!piece.empty()) sink.put(piece);
  });
}

std::optional<std::vector<std::string>> readTemplate(PersistFiles& files, const std::string& path) {
  const std::optional<std::string> bytes = files.read(path);
  if (!bytes) return std::nullopt;
  return parseTemplate(*bytes);
}

void writeTemplate(PersistFiles& files, const std::string& path,
                   const std::vector<std::string>& lines) {
  // Line by line: a large template is never copied whole into memory.
  files.writeWith(path, [&](PersistFiles::Sink& sink) {
    for (const std::string& line : lines) {
      sink.put(line);
      sink.put(kLineEnd);
    }
  });
}

}  // namespace clipquill
