// SPDX-License-Identifier: GPL-3.0-or-later
// The bundled AviSynth+ on POSIX: in the package's private folder beside
// the programs' (off the dynamic loader's path, so that nothing else on the
// system sees it), or in a build tree, where scripts/avisynth.sh and
// scripts/ffms2.sh build them beside bin/.
#include <signal.h>

#include <cerrno>
#include <cstdlib>

#include "check/avisynth_places.h"

namespace clipquill {

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
