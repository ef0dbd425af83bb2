// SPDX-License-Identifier: GPL-3.0-or-later
// An AviSynth+ plugin of the tests that crashes the process as AviSynth+
// loads it, as a broken build of a real plugin may: the check must name it
// once and go on without the plugin folders.
#include <csignal>

#include <avisynth.h>

const AVS_Linkage* AVS_linkage = nullptr;

extern "C" const char* __stdcall AvisynthPluginInit3(IScriptEnvironment*,
                                                     const AVS_Linkage* const vectors) {
  AVS_linkage = vectors;
  std::raise(SIGSEGV);
  return "crashes as it loads";
}
