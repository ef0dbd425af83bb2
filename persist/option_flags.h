// SPDX-License-Identifier: GPL-3.0-or-later
// The two options of a template: whether its settings file is loaded with it
// and whether it is saved with it. They are kept in the registry store under
// a key named after the template's stem, which templates of the same stem
// share, wherever they are.
#pragma once

#include <string>
#include <string_view>

#include "core/user_port.h"
#include "persist/registry_store.h"

namespace clipquill {

struct OptionFlags {
  bool loadInis = true;
  bool saveInis = true;
  bool operator==(const OptionFlags&) const = default;
};

// The characters before the template name's first "."; empty when it has
// none or begins with one ('my.best.avs' -> 'my', 'plain' -> '').
std::string flagsStem(std::string_view templateName);
// "Software\<appTitle>\<stem>", ending in "\" when the stem is empty.
std::string flagsKeyForWriting(std::string_view appTitle, std::string_view templateName);
// The same, but "Software\<appTitle>" when there is no template name at all.
std::string flagsKeyForReading(std::string_view appTitle, std::string_view templateName);

// The stored flags of the template. The key is created when missing, so a
// first load leaves an empty key behind. When it can be neither opened nor
// created, current is kept. A flag is unchecked only when stored as a DWORD
// of exactly 4 bytes that is 0; missing, of another type or of another size,
// it is checked. Never raises.
OptionFlags readOptionFlags(RegistryStore& store, std::string_view appTitle,
                            std::string_view templateName, OptionFlags current);

// Stores the flags as DWORDs 1 and 0. A key that cannot be opened stores
// nothing and says nothing; a value that cannot be stored is reported in a
// warning box, and the other is still tried. Never raises.
void writeOptionFlags(RegistryStore& store, UserPort& user, std::string_view appTitle,
                      std::string_view templateName, OptionFlags flags);

}  // namespace clipquill
