// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for AviSynth+'s library with the functions the check loads, for
// what the real one does not do on demand: crash, hang, exit, take its time,
// take memory without end or tell the bounds it runs within, in the middle
// of an import. A script path
// naming one of those does it. The same on every system (a shared library
// here, a DLL on Windows). (A sanitizer build reports the helper's crash on
// standard error: that report is expected.)
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

// The header's declarations without dllimport, which a definition may not
// carry; a DLL without dllexport exports all it defines.
#define AVS_STATIC_LIB
#include <avisynth_c.h>

// The bounds the system set on this process, in words (fake_limits_*.cpp).
const char* limitsOfThisProcess();

namespace {
int environment;
const char* error = nullptr;
int clip;
// Every clip the stand-in gives: a small picture, no audio.
const AVS_VideoInfo kClipInfo = {64, 48, 25, 1, 10, AVS_CS_BGR32, 0, 0, 0, 0, 0};
}  // namespace

extern "C" {

AVSC_API(AVS_ScriptEnvironment*, avs_create_script_environment)(int) {
  return reinterpret_cast<AVS_ScriptEnvironment*>(&environment);
}
AVSC_API(void, avs_delete_script_environment)(AVS_ScriptEnvironment*) {}
AVSC_API(const char*, avs_get_error)(AVS_ScriptEnvironment*) {
  return error;
}
AVSC_API(void, avs_release_value)(AVS_Value) {}
AVSC_API(AVS_Clip*, avs_take_clip)(AVS_Value, AVS_ScriptEnvironment*) {
  return reinterpret_cast<AVS_Clip*>(&clip);
}
AVSC_API(void, avs_release_clip)(AVS_Clip*) {}
AVSC_API(const AVS_VideoInfo*, avs_get_video_info)(AVS_Clip*) {
  return &kClipInfo;
}
// No frames: a picture asked for fails as a plugin's frame would.
AVSC_API(AVS_VideoFrame*, avs_get_frame)(AVS_Clip*, int) {
  return nullptr;
}
AVSC_API(const char*, avs_clip_get_error)(AVS_Clip*) {
  return "no frames in the stand-in";
}
AVSC_API(void, avs_release_video_frame)(AVS_VideoFrame*) {}
AVSC_API(int, avs_get_pitch_p)(const AVS_VideoFrame*, int) {
  return 0;
}
AVSC_API(const BYTE*, avs_get_read_ptr_p)(const AVS_VideoFrame*, int) {
  return nullptr;
}

AVSC_API(AVS_Value, avs_invoke)
(AVS_ScriptEnvironment*, const char* name, AVS_Value args, const char**) {
  AVS_Value v = avs_void;
  if (std::strcmp(name, "VersionString") == 0) {
    // A helper slow to start, as on a busy machine.
    if (std::getenv("CLIPQUILL_FAKE_SLOW_START") != nullptr)
      std::this_thread::sleep_for(std::chrono::seconds(3));
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
  if (std::strstr(path, "crash") != nullptr) {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
  }
  if (std::strstr(path, "hang") != nullptr) {
    for (;;)
      std::this_thread::sleep_for(std::chrono::hours(1));
  }
  if (std::strstr(path, "exit") != nullptr) std::_Exit(3);
  if (std::strstr(path, "slow") != nullptr)
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  if (std::strstr(path, "hog") != nullptr) {
    // Memory taken and touched until none is given, up to a bound that
    // keeps a machine without a limit on the helper safe: 1 GiB.
    static std::vector<char*> taken;
    try {
      for (int i = 0; i < 16; ++i) {
        taken.push_back(new char[64 << 20]);
        std::memset(taken.back(), 1, 64 << 20);
      }
    } catch (const std::bad_alloc&) {
      v.type = 'e';
      v.d.string = "out of memory";
      return v;
    }
  }
  if (std::strstr(path, "limits") != nullptr) {
    v.type = 'e';
    v.d.string = limitsOfThisProcess();
    return v;
  }
  v.type = 'c';
  return v;
}
}
