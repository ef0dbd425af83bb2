// SPDX-License-Identifier: GPL-3.0-or-later
// Template lines are whatever the user typed or loaded: expanding them must
// never crash, read out of bounds or lose bytes, whatever they hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/expansion.h"
#include "core/naming.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::size_t clipCount = data[0] % 5;
  const std::string_view line(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::vector<std::string> clips(clipCount, "c.avi");

  std::string out;
  clipquill::appendPerClipLine(out, line, "/s/", "c.avi");
  // Without tokens a line is copied unchanged.
  if (line.find('<') == std::string_view::npos && out != line) std::abort();

  const std::string widened = clipquill::widenLine(line, clipCount);
  if (widened.size() < line.size()) std::abort();
  out.clear();
  clipquill::appendJoinedLine(out, widened, "/s/", clips);
  // A limited expansion is the whole one's first bytes.
  const std::size_t limit = data[0] * 7u;
  std::string limited;
  clipquill::appendJoinedLine(limited, widened, "/s/", clips, limit);
  if (limited != std::string_view(out).substr(0, limit)) std::abort();

  // Each byte of the expansion comes from the line, never before where the
  // byte ahead of it came from; a byte the line copied as it is comes from
  // that very byte.
  std::size_t from = 0;
  for (std::size_t at = 0; at < out.size(); ++at) {
    const std::size_t now = clipquill::templateOffsetOf(line, "/s/", clips, true, at);
    if (now < from || now >= line.size()) std::abort();
    if (line.find('<') == std::string_view::npos && clipCount < 2 && now != at) std::abort();
    from = now;
  }

  clipquill::perClipScriptName(line, line);
  clipquill::joinedScriptName(line);
  return 0;
}
