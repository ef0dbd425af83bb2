// SPDX-License-Identifier: GPL-3.0-or-later
// The bundled AviSynth+ on Windows: AviSynth.dll in a folder of its own in
// the program folder, with the compiler's run-time beside it, so that it
// loads whatever the current folder and never shadows an installed one
// through the DLL search path.
#include "core/windows_api.h"

#include <cstdlib>

#include "check/avisynth_places.h"

namespace clipquill {

std::vector<BundledLayout> bundledLayouts() {
  return {
      {"avisynth/AviSynth.dll", "avisynth/plugins"},
  };
}

const char* bundledPluginsNote() {
  return "The AviSynth+ that came with Clipquill has no source plugins: they come with "
         "AviSynth+'s own installer, whose AviSynth+ Clipquill then uses.";
}

const char* bundledBuildMarker() {
  return "../avisynth-building";
}

bool markerProcessRuns(const std::string& markerText) {
  char* end = nullptr;
  const unsigned long pid = std::strtoul(markerText.c_str(), &end, 10);
  if (end == markerText.c_str() || pid == 0) return false;
  HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr) return false;
  const bool runs = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  ::CloseHandle(process);
  return runs;
}

}  // namespace clipquill
