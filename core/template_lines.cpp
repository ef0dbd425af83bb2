// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/template_lines.h"

#include <algorithm>

namespace clipquill {

std::size_t TemplateLines::lineCount() const {
  std::size_t count = static_cast<std::size_t>(std::count(text_.begin(), text_.end(), '\n'));
  // A last line without its "\n" is a line all the same.
  if (!text_.empty() && text_.back() != '\n') ++count;
  return count;
}

TemplateLines TemplateLines::slice(std::size_t first, std::size_t count) const {
  iterator from = begin();
  for (std::size_t skipped = 0; skipped < first && from != end(); ++skipped)
    ++from;
  iterator to = from;
  for (std::size_t taken = 0; taken < count && to != end(); ++taken)
    ++to;
  const std::size_t start = static_cast<std::size_t>(from.rest_.data() - text_.data());
  const std::size_t stop = static_cast<std::size_t>(to.rest_.data() - text_.data());
  return TemplateLines(text_.substr(start, stop - start));
}

}  // namespace clipquill
