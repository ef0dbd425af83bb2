// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for AviSynth+'s library with the functions the check loads, for
// what the real one does not do on demand: crash, hang, exit or take its
// time in the middle of an import. A script path naming one of those does it. (A sanitizer build
// reports the helper's crash on standard error: that report is expected.)
#include <signal.h>
#include <unistd.h>

#include <cstring>

#include <avisynth_c.h>

namespace {
int environment;
}

extern "C" {

AVS_ScriptEnvironment* AVSC_CC avs_create_script_environment(int) {
  return reinterpret_cast<AVS_ScriptEnvironment*>(&environment);
}
void AVSC_CC avs_delete_script_environment(AVS_ScriptEnvironment*) {}
const char* AVSC_CC avs_get_error(AVS_ScriptEnvironment*) {
  return nullptr;
}
void AVSC_CC avs_release_value(AVS_Value) {}

AVS_Value AVSC_CC avs_invoke(AVS_ScriptEnvironment*, const char* name, AVS_Value args,
                             const char**) {
  AVS_Value v = avs_void;
  if (std::strcmp(name, "VersionString") == 0) {
    v.type = 's';
    v.d.string = "Fake AviSynth";
    return v;
  }
  const char* path = args.d.string;
  if (std::strstr(path, "crash") != nullptr) ::raise(SIGSEGV);
  if (std::strstr(path, "hang") != nullptr) {
    for (;;)
      ::pause();
  }
  if (std::strstr(path, "exit") != nullptr) ::_exit(3);
  if (std::strstr(path, "slow") != nullptr) ::usleep(300 * 1000);
  v.type = 'c';
  return v;
}
}
