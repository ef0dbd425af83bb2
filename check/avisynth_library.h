// SPDX-License-Identifier: GPL-3.0-or-later
// AviSynth+'s core library loaded into this process through its C API, with
// dlopen: Clipquill is never linked against it and starts without it. Only
// the checking helper process loads it, since importing a script runs it, in
// this process, and changes the process's working folder meanwhile.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "check/script_check.h"
#include "core/avisynth_functions.h"

namespace clipquill {

class AvisynthLibrary {
 public:
  // Loads the library at `path`, or the one the dynamic loader finds when
  // `path` is empty. nullptr with the reason in `why` when it cannot be
  // loaded or lacks a function the check needs.
  static std::unique_ptr<AvisynthLibrary> load(const std::string& path, std::string& why);

  ~AvisynthLibrary();
  AvisynthLibrary(const AvisynthLibrary&) = delete;
  AvisynthLibrary& operator=(const AvisynthLibrary&) = delete;

  // AviSynth+'s own version text, such as "AviSynth+ 3.7.5 (r4351, ...)".
  std::string version();
  // The file it was loaded from (the loader's choice when none was named).
  std::string path() const;

  // Folders whose plugins each script environment loads when a script
  // calls a function the core lacks, before AviSynth+'s own folders.
  void setPluginFolders(std::vector<std::string> folders);
  // Loads each plugin of those folders once, in a script environment of its
  // own, with the file's path written to `marker` first: a plugin that
  // crashes AviSynth+ as it loads leaves its name there for the checker.
  // The marker is removed after the last.
  void loadPluginsOnce(const std::string& marker);

  // Every function AviSynth+ lists: its own ($InternalFunctions$), then
  // each plugin's of the plugin folders ($PluginFunctions$, the prefixed
  // aliases included), each plugin loaded in a script environment of its
  // own so that its functions are told apart from the next one's. Names
  // come with the parameter string AviSynth+ keeps for them; a name
  // AviSynth+ lists twice with one string is listed once.
  std::vector<AvsFunction> listFunctions();

  // Imports the script at `path` (absolute) in a script environment of its
  // own, made for it and deleted after, so that nothing one script sets is
  // seen by the next. Good when it gives a clip, with the clip's properties.
  ScriptCheck importScript(const std::string& path);
  // The same, and with `frame` >= 0 also that frame's picture, converted to
  // RGB32 by AviSynth+ itself (or why there is none).
  ScriptCheck importScript(const std::string& path, int frame);

  struct Api;

 private:
  explicit AvisynthLibrary(std::unique_ptr<Api> api);
  std::unique_ptr<Api> api_;
  std::vector<std::string> pluginFiles() const;
  std::vector<std::string> pluginFolders_;
};

}  // namespace clipquill
