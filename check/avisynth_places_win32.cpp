// SPDX-License-Identifier: GPL-3.0-or-later
// Where AviSynth+ comes from on Windows: what a user without it reads, and
// the bundled AviSynth.dll, in a folder of its own in the program folder, so
// that it loads whatever the current folder (the compiler's run-time is in
// the program folder, which Windows searches) and never shadows an
// installed one through the DLL search path.
#include "core/windows_api.h"

#include <cstdlib>

#include "check/avisynth_places.h"
#include "check/script_check.h"

namespace clipquill {

const char* avisynthLibraryPattern() {
  return "AviSynth.dll";
}

const char* avisynthHint() {
  return "Install AviSynth+ (its installer puts AviSynth.dll in the system folder), or name its "
         "library: in the window under Options > AviSynth+ Library..., on the command line with "
         "--avisynth PATH.";
}

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
