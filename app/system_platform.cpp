// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/system_platform.h"

namespace clipquill {

SystemPlatform::SystemPlatform(const std::string& registryRoot)
    : folders(makeSystemFolders()),
      scripts(makeSystemScriptFiles()),
      files(makeSystemPersistFiles()),
      ownRegistry(registryRoot.empty() ? makeSystemRegistryStore()
                                       : std::make_unique<FolderRegistry>(*files, registryRoot)),
      registry(*ownRegistry) {}

}  // namespace clipquill
