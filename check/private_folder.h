// SPDX-License-Identifier: GPL-3.0-or-later
// Folders of this user's alone for the files the helper is handed (the
// picture's script, the helper's own temporary files): made with a name no
// other user can guess or take first (mkdtemp), in the user's runtime
// folder where there is one, else the temporary folder. A window ended by
// a signal leaves its folder behind; the name carries the process's number,
// so that the next start sweeps those whose process is gone.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace clipquill {

enum class FolderBase {
  Runtime,    // XDG_RUNTIME_DIR where set (the user's own), else Temporary
  Temporary,  // TMPDIR, else the system's temporary folder
};

// "" when none can be made.
std::string makePrivateFolder(std::string_view prefix, FolderBase base);

// Removes this user's folders of `prefix` in `base` whose process no longer
// runs; never another user's, never a link. The number of folders removed.
int sweepStalePrivateFolders(std::string_view prefix, FolderBase base);

// The process number a private folder's name carries ("<prefix><pid>-XXXXXX");
// nullopt for a name of another shape.
std::optional<unsigned long> privateFolderOwner(std::string_view name, std::string_view prefix);

}  // namespace clipquill
