// SPDX-License-Identifier: GPL-3.0-or-later
// The registry where there is none: a folder per key below a root folder, a
// file per value in its key's folder.
//
// A key path such as 'Software\Clipquill\Hall' is the folder path
// 'Software/Clipquill/Hall' below the root. Empty names in the path are
// skipped, so a path ending in "\" is the key above it and an empty path is
// the root itself. Key and value names compare without regard to (ASCII)
// case, as in the registry: an existing folder or file whose name differs
// only in case is used, and a new one takes the case it was asked for.
//
// Names that a folder cannot hold as they are ("", ".", "..", or any with
// "/" or NUL) are refused rather than let out of the root. A value and a
// subkey of the same name cannot both exist, since both are names in one
// folder: the second of them fails as a store that refuses access does.
//
// A value file holds one line in the registry's export notation:
//   dword:0000002a      REG_DWORD: exactly eight hex digits
//   sz:some text        REG_SZ: every byte to the end of the file, as it is
//   hex:01,02,0a        any other type: its bytes, two hex digits each
//   hex(4):01,02        a REG_DWORD whose data is not 4 bytes long
// Hex digits may be of either case (they are written in lower case), and a
// dword or hex line may end in one LF or CR LF. Anything else (an empty or
// truncated file, an unknown type such as 'qword:', stray blanks, bad digits)
// is no value at all, as a value the registry cannot hand over would be.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "persist/persist_files.h"
#include "persist/registry_store.h"

namespace clipquill {

// The value a value file holds, or nothing when it is not in the notation.
std::optional<RegistryValue> parseRegistryValue(std::string_view fileBytes);
// The file that holds value; parsing it gives value back.
std::string formatRegistryValue(const RegistryValue& value);

// The per-user root: "$XDG_CONFIG_HOME/Clipquill/registry", else
// "$HOME/.config/Clipquill/registry". XDG_CONFIG_HOME counts only when it is
// an absolute path, as the XDG base directory rules ask. "" when there is no
// HOME either: a store without a root refuses access. On Windows always "":
// the flags live in the registry itself.
std::string defaultRegistryRoot();

// The store makes only its own folders: the root and, where the root has the
// default form, the application's folder above it and a ".config" above
// that. The folder that holds them (the config folder, or the home folder)
// must exist: a home that is gone is never made again, folders and all, as
// root would make it anywhere. Without it each key opens but holds no value
// and takes none, so that a save says that its flags were not stored.
class FolderRegistry : public RegistryStore {
 public:
  // root is made, as above, when a key is opened and it is missing.
  // files must outlive the store and every key it opens.
  FolderRegistry(PersistFiles& files, std::string root);
  // The same, owning files with the keys, so that a key may outlive the store
  // as a registry key does.
  FolderRegistry(std::shared_ptr<PersistFiles> files, std::string root);

  std::unique_ptr<RegistryKey> openOrCreate(std::string_view keyPath) override;

 private:
  FolderRegistry(std::shared_ptr<PersistFiles> owned, PersistFiles& files, std::string root);
  // Creates the root, and the store's folders above it when need be; raises
  // Error.
  void makeRoot();

  std::shared_ptr<PersistFiles> owned_;  // null when the caller owns files_
  PersistFiles& files_;
  std::string root_;
  std::string base_;  // the folder that holds the store's own folders
};

}  // namespace clipquill
