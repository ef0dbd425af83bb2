// SPDX-License-Identifier: GPL-3.0-or-later
// A template's settings file: the four text fields of the main window and the
// extension filter list, in the profile format (profile.h). Three sections:
//   [Entries]      ClipLoc, ClipName, ScriptName, ScriptDest
//   [FilterBy]     Ext0, Ext1, ...          the text of filter entry i
//   [FilterState]  Ext0State, Ext1State, ... "1" checked, "0" not
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "clips/filter_list.h"
#include "core/user_port.h"
#include "persist/persist_files.h"

namespace clipquill {

struct TemplateSettings {
  std::string clipLoc;
  std::string clipName;
  std::string scriptName;
  std::string scriptDest;
  std::vector<FilterEntry> filters;

  bool operator==(const TemplateSettings&) const = default;
};

// A boolean of the file: true when the whole text is an integer other than
// zero, after leading spaces: an optional sign, then decimal digits, or hex
// digits after "$", "0x" or "0X". Anything else is false.
bool parseProfileBoolean(std::string_view text);

// Nothing when there is no file at iniPath. Otherwise the four fields (a
// missing key reads ""), then one filter entry for each key listed in
// "FilterBy", in file order, whatever its name: its text is that key's value,
// its check mark the boolean "Ext" + position + "State" of "FilterState".
// Never raises: a file that cannot be read gives empty fields and no entries.
std::optional<TemplateSettings> readSettings(PersistFiles& files, const std::string& iniPath);
// The same, from the file's bytes.
TemplateSettings parseSettings(std::string_view bytes);

// Writes the settings into the file at iniPath, in one write. An existing file
// brings up the overwrite question: OK writes a fresh file, anything else
// updates the file, replacing the keys written and keeping every other line.
// When iniPath is the template itself, the file is updated without a question,
// so that the template text just written survives. Raises "Unable to write to
// <iniPath>" when the file cannot be written, or cannot be read for updating;
// the file is then as it was.
void writeSettings(PersistFiles& files, UserPort& user, const std::string& iniPath,
                   const std::string& templatePath, const TemplateSettings& settings);

}  // namespace clipquill
