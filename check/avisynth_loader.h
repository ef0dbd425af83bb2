// SPDX-License-Identifier: GPL-3.0-or-later
// Finding and loading AviSynth+'s library as each system has it installed:
// dlopen of libavisynth.so on POSIX, LoadLibraryW of AviSynth.dll on
// Windows (avisynth_loader_*.cpp). The C API use on top is the same.
#pragma once

#include <string>
#include <vector>

namespace clipquill::avisynth_loader {

// The library at `path`, or the installed one when `path` is empty; nullptr
// with the reason in `why`.
void* open(const std::string& path, std::string& why);
void* symbol(void* handle, const char* name);
void close(void* handle);
// The file name ending of AviSynth+ plugins on this system (".so", ".dll").
const char* pluginExtension();
// The file the loaded library came from, as the system resolved it; empty
// when the system does not tell.
std::string loadedPath(void* handle);

// Where an installed AviSynth+ is looked for on Windows, in order: the
// system folder's avisynth.dll, then AviSynth.dll in each folder its
// registry entries name. Empty inputs are left out.
std::vector<std::wstring> installedCandidates(const std::wstring& systemFolder,
                                              const std::vector<std::wstring>& registryFolders);

}  // namespace clipquill::avisynth_loader
