// SPDX-License-Identifier: GPL-3.0-or-later
// Whether a folder takes new files, asked of POSIX: the permission the
// kernel would check when a script is made there, for this process's user.
#include <unistd.h>

#include "app/clip_batch.h"

namespace clipquill {

bool folderTakesNewFiles(const std::string& folder) {
  return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace clipquill
