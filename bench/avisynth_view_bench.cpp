// SPDX-License-Identifier: GPL-3.0-or-later
// What seeing scripts through AviSynth+ costs, each job against its floor in
// the same run:
//
//   info      1,000 scripts checked with their clips' properties, as --info
//             does (the helper process, the JSON lines), against a plain C
//             API loop that imports each script in a fresh environment and
//             reads its clip's video info and pixel type in one process.
//   frame     a 1080p frame rendered by the helper as RGB32 and sent back,
//             against the same loop calling ConvertToRGB32 and avs_get_frame
//             and copying the picture's rows out.
//   sandbox   the check of 1,000 scripts with the helper's sandbox against
//             the same check without it (goal: at most 5% more); also the
//             helpers' processor time, and the sandbox's cost taken apart:
//             helper starts alternating, and scripts checked by a helper of
//             each kind in turn, script by script.
//   preview   the window's picture after a keystroke in a BlankClip
//             template: a changed 1080p script asked of the window's
//             renderer (FramePreview) until its frame is told back, against
//             the plain loop rendering the same script in one process (goal:
//             at most 100 ms a keystroke; Qt's scaling and painting of the
//             picture not counted).
//
// Floor and job alternate after a warm-up of each; the last line printed is
// "ratio <job median / floor median>".
//
// Usage: bench_avisynth_view [JOB [libavisynth.so [count [rounds]]]]
// (without a JOB, or with "all", each job in turn with its default count)
#include <dlfcn.h>
#include <sys/resource.h>

#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#define AVSC_NO_DECLSPEC
#include <avisynth_c.h>

#include "bench/bench_support.h"
#include "check/check_report.h"
#include "check/frame_preview.h"
#include "check/script_checker.h"

#ifndef CLIPQUILL_AVISYNTH_LIBRARY
#define CLIPQUILL_AVISYNTH_LIBRARY ""
#endif

namespace {

namespace support = clipquill::bench;
using support::Clock;
using support::die;
using support::msSince;

// The floor, as a C program would write it.
struct PlainAvisynth {
  avs_create_script_environment_func create;
  avs_delete_script_environment_func destroy;
  avs_invoke_func invoke;
  avs_release_value_func release;
  avs_take_clip_func takeClip;
  avs_release_clip_func releaseClip;
  avs_get_video_info_func videoInfo;
  avs_get_frame_func getFrame;
  avs_release_video_frame_func releaseFrame;
  avs_get_pitch_p_func pitch;
  avs_get_read_ptr_p_func readPtr;
};

template <typename F>
void need(void* h, const char* name, F& f) {
  f = reinterpret_cast<F>(dlsym(h, name));
  if (f == nullptr) die(std::string("the C API has no ") + name);
}

PlainAvisynth loadPlain(const std::string& library) {
  void* h = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (h == nullptr) die(std::string("cannot load ") + library + ": " + dlerror());
  PlainAvisynth a{};
  need(h, "avs_create_script_environment", a.create);
  need(h, "avs_delete_script_environment", a.destroy);
  need(h, "avs_invoke", a.invoke);
  need(h, "avs_release_value", a.release);
  need(h, "avs_take_clip", a.takeClip);
  need(h, "avs_release_clip", a.releaseClip);
  need(h, "avs_get_video_info", a.videoInfo);
  need(h, "avs_get_frame", a.getFrame);
  need(h, "avs_release_video_frame", a.releaseFrame);
  need(h, "avs_get_pitch_p", a.pitch);
  need(h, "avs_get_read_ptr_p", a.readPtr);
  return a;
}

// Imports a script in a fresh environment and reads what --info tells;
// with frame >= 0 also renders that frame as RGB32 into picture.
std::size_t plainView(const PlainAvisynth& a, const std::string& script, int frame,
                      std::vector<unsigned char>& picture) {
  AVS_ScriptEnvironment* env = a.create(6);
  AVS_Value v = a.invoke(env, "Import", avs_new_value_string(script.c_str()), nullptr);
  if (!avs_is_clip(v)) die("the floor's import of " + script + " failed");
  AVS_Clip* clip = a.takeClip(v, env);
  const AVS_VideoInfo* vi = a.videoInfo(clip);
  std::size_t seen = static_cast<std::size_t>(vi->width) + vi->num_frames;
  AVS_Value type = a.invoke(env, "PixelType", v, nullptr);
  seen += avs_is_string(type) ? std::strlen(avs_as_string(type)) : 0;
  a.release(type);
  if (frame >= 0) {
    AVS_Value rgb = a.invoke(env, "ConvertToRGB32", v, nullptr);
    AVS_Clip* rgbClip = a.takeClip(rgb, env);
    const AVS_VideoInfo* rvi = a.videoInfo(rgbClip);
    AVS_VideoFrame* f = a.getFrame(rgbClip, frame);
    if (f == nullptr) die("the floor got no frame");
    const std::size_t row = static_cast<std::size_t>(rvi->width) * 4;
    picture.resize(row * static_cast<std::size_t>(rvi->height));
    const int pitch = a.pitch(f, AVS_DEFAULT_PLANE);
    const BYTE* bottom = a.readPtr(f, AVS_DEFAULT_PLANE);
    for (int y = 0; y < rvi->height; ++y) {
      std::memcpy(picture.data() + row * static_cast<std::size_t>(y),
                  bottom + static_cast<std::ptrdiff_t>(rvi->height - 1 - y) * pitch, row);
    }
    seen += picture[picture.size() / 2];
    a.releaseFrame(f);
    a.releaseClip(rgbClip);
    a.release(rgb);
  }
  a.releaseClip(clip);
  a.release(v);
  a.destroy(env);
  return seen;
}

std::vector<std::string> writeScripts(const std::string& folder, std::size_t count,
                                      const std::string& clipText) {
  const std::string clips = folder + "/clips/";
  support::makeFolder(clips);
  support::makeFolder(folder + "/scripts");
  std::vector<std::string> scripts;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string clip = "take" + std::to_string(i) + ".avsi";
    support::floorWriteFile(clips + clip, clipText);
    scripts.push_back(folder + "/scripts/take" + std::to_string(i) + ".avs");
    support::floorWriteFile(scripts.back(),
                            support::expandForClip({"Import(\"<P><F>\")"}, clips, clip));
  }
  return scripts;
}

clipquill::CheckerOptions options(const std::string& library, const std::string& folder) {
  clipquill::CheckerOptions o{library, std::chrono::seconds(30), ""};
  o.writableFolders = {folder + "/clips"};
  return o;
}

void runJob(const std::string& job, const std::string& library, int argc, char** argv);
void compareScriptByScript(const std::string& library, const std::string& folder,
                           const std::vector<std::string>& scripts);

// The user and system time of the reaped child processes so far.
double childrenCpuMs() {
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  const auto ms = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_usec) / 1000.0;
  };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
  clipquill::runCheckHelperIfAsked(argc, argv);
  support::programName = "bench_avisynth_view";
  const std::string job = argc > 1 ? argv[1] : "all";
  if (job != "info" && job != "frame" && job != "sandbox" && job != "preview" && job != "all") {
    die("usage: bench_avisynth_view [info|frame|sandbox|preview|all [libavisynth.so [count "
        "[rounds]]]]");
  }
  const std::string library = argc > 2 && argv[2][0] != '\0' ? argv[2] : CLIPQUILL_AVISYNTH_LIBRARY;
  if (library.empty()) {
    std::printf("no AviSynth+ library configured (CLIPQUILL_AVISYNTH_LIBRARY); nothing to run\n");
    return 0;
  }
  if (job != "all") {
    runJob(job, library, argc, argv);
    return 0;
  }
  for (const char* each : {"info", "frame", "sandbox", "preview"}) {
    std::printf("--- %s\n", each);
    runJob(each, library, 1, argv);
  }
  return 0;
}

namespace {

// The sandbox's cost in its two parts, each measured so that a machine's
// changing pace falls on both sides alike: the helper's start (alternating
// starts), and each script's check, a helper of each kind side by side
// taking the scripts in turn.
void compareScriptByScript(const std::string& library, const std::string& folder,
                           const std::vector<std::string>& scripts) {
  std::vector<double> startMs[2];
  const int starts = static_cast<int>(support::byRun(40, 12));
  for (int i = 0; i < starts; ++i) {
    const bool sandbox = (i % 4 == 1 || i % 4 == 2);  // ABBA: neither always first
    clipquill::CheckerOptions o = options(library, folder);
    o.sandbox = sandbox;
    const auto start = Clock::now();
    clipquill::ScriptChecker checker(o);
    if (!checker.available()) die("no helper started");
    startMs[sandbox ? 1 : 0].push_back(msSince(start));
  }
  clipquill::CheckerOptions o = options(library, folder);
  o.sandbox = false;
  clipquill::ScriptChecker bare(o);
  o.sandbox = true;
  clipquill::ScriptChecker bounded(o);
  double total[2] = {0, 0};
  std::vector<double> ratios;
  for (int round = 0; round < 3; ++round) {
    for (std::size_t i = 0; i < scripts.size(); ++i) {
      double ms[2];
      for (int k = 0; k < 2; ++k) {
        const int which = (static_cast<int>(i) + k) % 2;  // in turn, first one then the other
        const auto start = Clock::now();
        if (!(which == 1 ? bounded : bare).check(scripts[i]).good()) die("the check failed");
        ms[which] = msSince(start);
      }
      if (round == 0) continue;  // the warm-up
      total[0] += ms[0];
      total[1] += ms[1];
      ratios.push_back(ms[1] / ms[0]);
    }
  }
  const double bareStart = support::median(startMs[0]);
  const double boundedStart = support::median(startMs[1]);
  const double perScript[2] = {total[0] / static_cast<double>(ratios.size()),
                               total[1] / static_cast<double>(ratios.size())};
  std::printf("helper start (median of %zu each): %.2f ms without the sandbox, %.2f ms with it\n",
              startMs[0].size(), bareStart, boundedStart);
  std::printf(
      "script by script (%zu each): %.1f us without, %.1f us with (%.3g; median ratio %.3g)\n",
      ratios.size(), perScript[0] * 1000, perScript[1] * 1000, perScript[1] / perScript[0],
      support::median(ratios));
  const double n = static_cast<double>(scripts.size());
  std::printf("so %zu scripts: %.1f ms without the sandbox, %.1f ms with it (%.3g)\n",
              scripts.size(), bareStart + n * perScript[0], boundedStart + n * perScript[1],
              (boundedStart + n * perScript[1]) / (bareStart + n * perScript[0]));
}

void runJob(const std::string& job, const std::string& library, int argc, char** argv) {
  const bool frames = job == "frame" || job == "preview";
  const std::size_t count = support::countArgument(
      argc, argv, 3, frames ? support::byRun(100, 15) : support::byRun(1000, 200),
      "script or frame count");
  const std::size_t rounds =
      support::countArgument(argc, argv, 4, support::byRun(5, 3), "round count");

  const std::string folder = support::makeScratchFolder();
  // A 1080p clip whose frames differ, so that no frame is the cache's.
  const std::vector<std::string> scripts = writeScripts(
      folder, frames ? 1 : count,
      frames ? "BlankClip(length=1000, width=1920, height=1080, pixel_type=\"YV12\")"
               ".Animate(0, 999, \"Levels\", 0, 1.0, 255, 0, 255, 0, 1.0, 255, 255, 0)\r\n"
             : "BlankClip(length=100, width=640, height=480)\r\n");
  const PlainAvisynth plain = loadPlain(library);
  std::vector<unsigned char> picture;
  std::size_t sink = 0;

  support::Rounds measured;
  if (job == "info") {
    std::printf("--info over %zu per-clip scripts with %s\n", count, library.c_str());
    measured = support::alternate(
        rounds,
        [&] {
          const auto start = Clock::now();
          for (const std::string& script : scripts)
            sink += plainView(plain, script, -1, picture);
          return msSince(start);
        },
        [&] {
          const auto start = Clock::now();
          clipquill::ScriptChecker checker(options(library, folder));
          std::ostringstream info, err;
          const clipquill::CheckReport report =
              clipquill::checkAndReport(checker, scripts, scripts, err, "bench", &info);
          if (report.failed > 0 || report.unavailable) die("the check failed: " + err.str());
          sink += info.str().size();
          return msSince(start);
        });
  } else if (job == "frame") {
    std::printf("%zu frames of a 1080p YV12 script as RGB32 with %s\n", count, library.c_str());
    measured = support::alternate(
        rounds,
        [&] {
          const auto start = Clock::now();
          for (std::size_t i = 0; i < count; ++i)
            sink += plainView(plain, scripts[0], static_cast<int>(i), picture);
          return msSince(start);
        },
        [&] {
          const auto start = Clock::now();
          clipquill::ScriptChecker checker(options(library, folder));
          for (std::size_t i = 0; i < count; ++i) {
            const clipquill::ScriptCheck r = checker.render(scripts[0], static_cast<int>(i));
            if (!r.good() || !r.picture || !r.picture->ok()) die("no frame: " + r.message);
            sink += r.picture->bgra[r.picture->bgra.size() / 2];
          }
          return msSince(start);
        });
  } else if (job == "preview") {
    std::printf("%zu keystrokes in a 1080p BlankClip template, each until its picture is told\n",
                count);
    // Each keystroke a script of its own colour, as typing a digit makes it.
    const auto keystroke = [&](std::size_t i) {
      char color[8];
      std::snprintf(color, sizeof color, "%06zx", (i * 2654435761u) & 0xffffff);
      return std::string(
                 "BlankClip(length=100, width=1920, height=1080, pixel_type=\"YV12\", "
                 "color=$") +
             color + ")\r\n";
    };
    measured = support::alternate(
        rounds,
        [&] {
          const auto start = Clock::now();
          for (std::size_t i = 0; i < count; ++i) {
            support::floorWriteFile(scripts[0], keystroke(i));
            sink += plainView(plain, scripts[0], 5, picture);
          }
          return msSince(start);
        },
        [&] {
          std::mutex m;
          std::condition_variable told;
          std::uint64_t last = 0;
          clipquill::FramePreview preview(options(library, folder),
                                          [&](clipquill::FramePreview::Result r) {
                                            std::lock_guard lock(m);
                                            last = r.request;
                                            told.notify_all();
                                          });
          const auto start = Clock::now();
          for (std::size_t i = 0; i < count; ++i) {
            const std::uint64_t asked = preview.request(keystroke(i), 5);
            std::unique_lock lock(m);
            if (!told.wait_for(lock, std::chrono::seconds(30), [&] { return last == asked; })) {
              die("no picture within 30 s");
            }
          }
          return msSince(start);
        });
  } else {
    std::printf("the check of %zu scripts without the sandbox (floor) and with it\n", count);
    // The helpers' own processor time as well: on a machine others share,
    // the wall clock tells their load as much as the sandbox's cost.
    std::vector<double> helperMs[2];
    const auto check = [&](bool sandbox) {
      const double before = childrenCpuMs();
      const auto start = Clock::now();
      {
        clipquill::CheckerOptions o = options(library, folder);
        o.sandbox = sandbox;
        clipquill::ScriptChecker checker(o);
        checker.checkAll(scripts, [&](std::size_t, const clipquill::ScriptCheck& r) {
          if (!r.good()) die("the check failed: " + r.message);
        });
      }  // the helper ended and reaped
      const double ms = msSince(start);
      helperMs[sandbox ? 1 : 0].push_back(childrenCpuMs() - before);
      return ms;
    };
    measured = support::alternate(
        rounds, [&] { return check(false); }, [&] { return check(true); });
    for (std::vector<double>& each : helperMs)
      each.erase(each.begin());  // the warm-up's
    compareScriptByScript(library, folder, scripts);
    const double bare = support::median(helperMs[0]);
    const double bounded = support::median(helperMs[1]);
    std::printf("helper processor time: %.1f ms without the sandbox, %.1f ms with it (%.3g)\n",
                bare, bounded, bounded / bare);
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  if (sink == 42) std::printf(" ");  // keeps the floor's reads from being optimised away
  support::report(measured, frames ? count : scripts.size(), frames ? "frame" : "script");
  if (job == "preview") {
    std::printf("goal: at most 100 ms a keystroke\n");
  }
}

}  // namespace
