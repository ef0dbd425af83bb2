// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/model/system_platform.h"

namespace clipquill {

SystemPlatform::SystemPlatform(const std::string& registryRoot)
    : folders(makeSystemFolders()),
      scripts(makeSystemScriptFiles()),
      files(makeSystemPersistFiles()),
      registry(*files, registryRoot) {}

}  // namespace clipquill
