// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/paths.h"

namespace clipquill {

std::string withTrailingSeparator(std::string_view folder, const PathSeparators& seps) {
  std::string result(folder);
  if (!result.empty() && result.back() != seps.primary) result += seps.primary;
  return result;
}

}  // namespace clipquill
