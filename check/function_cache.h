// SPDX-License-Identifier: GPL-3.0-or-later
// AviSynth+'s function table kept in the user's cache folder, so that the
// editor knows the filters at once on a start: loading AviSynth+ and every
// plugin takes a while, and the table only changes when the library or a
// plugin does. A table is keyed by the library's and the plugins' paths,
// sizes and times; a changed file, or a cache file that cannot be read, is
// a miss and the table is asked anew.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "check/script_checker.h"
#include "core/avisynth_functions.h"

namespace clipquill {

// The user's cache folder for Clipquill ($XDG_CACHE_HOME/clipquill, else
// ~/.cache/clipquill; %LOCALAPPDATA%\Clipquill\cache on Windows); empty when
// there is none.
std::string userCacheFolder();
// How AviSynth+ plugins' file names end here (".so", ".dll": any case).
const char* pluginFileEnding();

// The library's and each plugin's (the files AviSynth+ would load from the
// folders) path, size and modification time, as one text.
std::string functionCacheKey(const std::string& library,
                             const std::vector<std::string>& pluginFolders);

// Where the table for these places and plugin folders is kept in `folder`:
// one file per choice of AviSynth+, so that switching back finds it warm.
std::string functionCachePath(const std::string& folder, const CheckerOptions& options);

// The table kept at `path` when it still holds for the files it was made
// from; nullopt for a miss (missing, broken, or a file changed since).
std::optional<FunctionTableRecord> readFunctionCache(const std::string& path);
// Kept at `path` (its folder made when missing), replacing the file whole
// so that a reader never sees half of one. False when it cannot be written.
bool writeFunctionCache(const std::string& path, const FunctionTableRecord& record);

// The table asked of AviSynth+ through `checker` (in its sandboxed helper),
// as a record to keep; nullopt with the reason in `why`.
std::optional<FunctionTableRecord> askFunctionTable(ScriptChecker& checker, std::string* why);

// How marks' tooltips name what the table came from: "AviSynth+ 3.7.5 with
// the plugins of /usr/lib/clipquill/avisynth/plugins" (the version without
// its build details).
std::string describeInstallation(const FunctionTableRecord& record);

// The cached table when it holds, else asked of AviSynth+ and kept. `cached`
// says which it was.
std::optional<FunctionTableRecord> loadFunctionTable(const CheckerOptions& options,
                                                     const std::string& cacheFolder,
                                                     std::string* why, bool* cached = nullptr);

}  // namespace clipquill
