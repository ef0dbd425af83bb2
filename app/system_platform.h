// SPDX-License-Identifier: GPL-3.0-or-later
// The model's platform on the real system: the folders, the script files,
// the settings files and the option flags' store, set up the one way that
// the window and the command line both run on. Each front end may stand a
// wrapper of its own in front of a part before handing the parts to the
// model (the window's busy cursor, the command line's dry run).
#pragma once

#include <memory>
#include <string>

#include "clips/folders.h"
#include "core/script_files.h"
#include "persist/folder_registry.h"
#include "persist/persist_files.h"
#include "persist/registry_store.h"

namespace clipquill {

struct SystemPlatform {
  // registryRoot: where the option flags are stored.
  explicit SystemPlatform(const std::string& registryRoot);

  std::unique_ptr<Folders> folders;
  std::unique_ptr<ScriptFiles> scripts;
  std::unique_ptr<PersistFiles> files;
  // The system's own store (the registry on Windows) when registryRoot is
  // empty, else a folder store below it.
  std::unique_ptr<RegistryStore> ownRegistry;
  RegistryStore& registry;
};

}  // namespace clipquill
