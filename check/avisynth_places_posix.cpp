// SPDX-License-Identifier: GPL-3.0-or-later
// Where AviSynth+ comes from on POSIX: what a user without it reads, and
// the bundled copy, in the package's private folder beside the programs'
// (off the dynamic loader's path, so that nothing else on the system sees
// it), or in a build tree, where scripts/avisynth.sh and scripts/ffms2.sh
// build them beside bin/.
#include <signal.h>

#include <cerrno>
#include <cstdlib>

#include "check/avisynth_places.h"
#include "check/script_check.h"

namespace clipquill {

const char* avisynthLibraryPattern() {
  return "libavisynth.so*";
}

const char* avisynthHint() {
  return "Install AviSynth+ where the dynamic loader finds it, or name its library: in the window "
         "under Options > AviSynth+ Library..., on the command line with --avisynth PATH. "
         "Clipquill's own AviSynth+ comes with its Debian package, and bash scripts/run.sh builds "
         "it beside the programs.";
}

std::vector<BundledLayout> bundledLayouts() {
  return {
      {"../lib/clipquill/avisynth/libavisynth.so", "../lib/clipquill/avisynth/plugins"},
      {"../avisynthplus/build/avs_core/libavisynth.so", "../ffms2/plugins"},
  };
}

const char* bundledPluginsNote() {
  return "";
}

const char* bundledBuildMarker() {
  return "../avisynth-building";
}

bool markerProcessRuns(const std::string& markerText) {
  char* end = nullptr;
  const long pid = std::strtol(markerText.c_str(), &end, 10);
  if (end == markerText.c_str() || pid <= 0) return false;
  // EPERM: it runs, as another user's.
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace clipquill
