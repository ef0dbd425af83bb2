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
int clip;
// Every clip the stand-in gives: a small picture, no audio.
const AVS_VideoInfo kClipInfo = {64, 48, 25, 1, 10, AVS_CS_BGR32, 0, 0, 0, 0, 0};
}  // namespace

extern "C" {

AVS_ScriptEnvironment* AVSC_CC avs_create_script_environment(int) {
  return reinterpret_cast<AVS_ScriptEnvironment*>(&environment);
}
void AVSC_CC avs_delete_script_environment(AVS_ScriptEnvironment*) {}
const char* AVSC_CC avs_get_error(AVS_ScriptEnvironment*) {
  return nullptr;
}
void AVSC_CC avs_release_value(AVS_Value) {}
AVS_Clip* AVSC_CC avs_take_clip(AVS_Value, AVS_ScriptEnvironment*) {
  return reinterpret_cast<AVS_Clip*>(&clip);
}
void AVSC_CC avs_release_clip(AVS_Clip*) {}
const AVS_VideoInfo* AVSC_CC avs_get_video_info(AVS_Clip*) {
  return &kClipInfo;
}
// No frames: a picture asked for fails as a plugin's frame would.
AVS_VideoFrame* AVSC_CC avs_get_frame(AVS_Clip*, int) {
  return nullptr;
}
const char* AVSC_CC avs_clip_get_error(AVS_Clip*) {
  return "no frames in the stand-in";
}
void AVSC_CC avs_release_video_frame(AVS_VideoFrame*) {}
int AVSC_CC avs_get_pitch_p(const AVS_VideoFrame*, int) {
  return 0;
}
const BYTE* AVSC_CC avs_get_read_ptr_p(const AVS_VideoFrame*, int) {
  return nullptr;
}

AVS_Value AVSC_CC avs_invoke(AVS_ScriptEnvironment*, const char* name, AVS_Value args,
                             const char**) {
  AVS_Value v = avs_void;
  if (std::strcmp(name, "VersionString") == 0) {
    v.type = 's';
    v.d.string = "Fake AviSynth";
    return v;
  }
  if (std::strcmp(name, "PixelType") == 0) {
    v.type = 's';
    v.d.string = "RGB32";
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
