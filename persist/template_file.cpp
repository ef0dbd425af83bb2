#include "persist/template_file.h"

#include <cstring>

#include "core/constants.h"

namespace clipquill {

namespace {

constexpr char kCtrlZ = '\x1A';

// The position of c in [from, to), or to when it is not there.
const char* findIn(const char* from, const char* to, char c) {
  const void* hit = std::memchr(from, c, static_cast<std::size_t>(to - from));
  return hit != nullptr ? static_cast<const char*>(hit) : to;
}

// Adds [from, to) as a line, without its CRs.
void addLine(std::vector<std::string>& lines, const char* from, const char* to) {
  const char* cr = findIn(from, to, '\r');
  std::string& line = lines.emplace_back(from, cr);
  // Mostly there is none, or only the one of a CR LF, at the end.
  while (to - cr > 1) {
    from = cr + 1;
    cr = findIn(from, to, '\r');
    line.append(from, cr);
  }
}

}  // namespace

std::vector<std::string> parseTemplate(std::string_view bytes) {
  const char* pos = bytes.data();
  const char* const end = pos + bytes.size();
  // The next Ctrl-Z, looked for once and again only after reading passes it,
  // so that a file without one is not searched line by line.
  const char* mark = findIn(pos, end, kCtrlZ);
  std::vector<std::string> lines;
  for (;;) {
    // CRs are dropped, so a Ctrl-Z behind them still stands at the line's start.
    while (pos != end && *pos == '\r')
      ++pos;
    if (pos == mark) break;
    const char* lineEnd = findIn(pos, end, '\n');
    if (mark >= lineEnd) {  // no Ctrl-Z in this line
      addLine(lines, pos, lineEnd);
    } else {
      addLine(lines, pos, mark);
      mark = findIn(mark + 1, end, kCtrlZ);
      if (mark < lineEnd) break;  // a second one before the line's end
    }
    if (lineEnd == end) break;
    pos = lineEnd + 1;
  }
  return lines;
}

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

std::vector<std::string> editorLines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    std::string_view piece = text.substr(0, lf);
    if (lf != std::string_view::npos && piece.ends_with('\r')) piece.remove_suffix(1);
    lines.emplace_back(piece);
    text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
  }
  return lines;
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
