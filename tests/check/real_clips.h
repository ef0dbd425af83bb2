// SPDX-License-Identifier: GPL-3.0-or-later
// Real clips for the check's tests: those tests/check/make_clips.sh made,
// copied into a test's own folder (FFMS2 writes its index beside each clip),
// scripts written from a template over them as a run writes them, and what
// ffmpeg's own tools say of a clip, to hold AviSynth+'s answers against.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "check/clip_info.h"
#include "check/frame_picture.h"
#include "core/expansion.h"
#include "support/temp_dir.h"

#ifndef CLIPQUILL_AVISYNTH_LIBRARY
#define CLIPQUILL_AVISYNTH_LIBRARY ""
#endif
#ifndef CLIPQUILL_TEST_CLIPS
#define CLIPQUILL_TEST_CLIPS ""
#endif
#ifndef CLIPQUILL_FFMS2_PLUGINS
#define CLIPQUILL_FFMS2_PLUGINS ""
#endif

namespace clipquill::testing {

inline const std::string kRealClips = CLIPQUILL_TEST_CLIPS;
inline const std::string kFfms2Plugins = CLIPQUILL_FFMS2_PLUGINS;

// Why real clips cannot be tested here, or empty when they can. A test
// program that is no part of the clips' test fixture makes them itself
// (CLIPQUILL_MAKE_CLIPS: quick when they are there).
inline std::string realClipsMissing() {
  if (std::string(CLIPQUILL_AVISYNTH_LIBRARY).empty()) return "no CLIPQUILL_AVISYNTH_LIBRARY";
  if (kFfms2Plugins.empty()) return "no CLIPQUILL_FFMS2_PLUGINS (scripts/ffms2.sh)";
#ifdef CLIPQUILL_MAKE_CLIPS
  static const int made = std::system(
      ("bash '" + std::string(CLIPQUILL_MAKE_CLIPS) + "' '" + kRealClips + "' >&2").c_str());
  if (made != 0) return "tests/check/make_clips.sh failed";
#endif
  if (!std::filesystem::exists(kRealClips + "/stamp")) return "no clips in " + kRealClips;
  return "";
}

// Copies the clips named into folder.
inline void copyClips(const std::string& folder, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    std::filesystem::copy_file(pathFromUtf8(kRealClips + "/" + name),
                               pathFromUtf8(folder + "/" + name));
  }
}

// The script a run writes from templ for one clip (or, joined, for all),
// into folder under name; its path.
inline std::string writeRunScript(const std::string& folder, const std::string& name,
                                  const std::vector<std::string>& templ,
                                  const std::vector<std::string>& clips, bool join) {
  std::string text;
  for (const std::string& line : templ) {
    if (join) {
      appendJoinedLine(text, widenLine(line, clips.size()), folder + "/", clips);
    } else {
      appendPerClipLine(text, line, folder + "/", clips.front());
    }
    text += "\r\n";
  }
  writeFile(folder + "/" + name, text);
  return folder + "/" + name;
}

// A path as one word for the shell.
inline std::string shellWord(const std::string& text) {
  std::string out = "'";
  for (const char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

// Standard output of a shell command; throws when it fails.
inline std::string commandOutput(const std::string& command) {
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
  std::string out;
  char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    out.append(buffer, n);
  if (::pclose(pipe) != 0) throw std::runtime_error("failed: " + command);
  return out;
}

// What ffprobe says of the clip at path, counting its frames by decoding
// them, in the check's terms (the pixel and sample types are AviSynth's
// own words, left empty).
inline ClipInfo probeClip(const std::string& path) {
  const auto json = nlohmann::json::parse(commandOutput(
      "ffprobe -v error -count_frames -show_entries "
      "stream=codec_type,width,height,r_frame_rate,nb_read_frames,sample_rate,channels "
      "-of json " +
      shellWord(path)));
  ClipInfo info;
  for (const auto& stream : json["streams"]) {
    if (stream["codec_type"] == "video" && !info.video) {
      info.video = true;
      info.width = stream["width"];
      info.height = stream["height"];
      const std::string rate = stream["r_frame_rate"];
      info.fpsNumerator = static_cast<unsigned>(std::stoul(rate.substr(0, rate.find('/'))));
      info.fpsDenominator = static_cast<unsigned>(std::stoul(rate.substr(rate.find('/') + 1)));
      info.frameCount = std::stoi(stream["nb_read_frames"].get<std::string>());
    } else if (stream["codec_type"] == "audio" && !info.audio) {
      info.audio = true;
      info.sampleRate = std::stoi(stream["sample_rate"].get<std::string>());
      info.channels = stream["channels"];
    }
  }
  return info;
}

// Frame n of the clip at path as ffmpeg decodes it, converted to 8-bit RGB
// with the YUV matrix named ("bt601", "bt709"), limited range in: what
// AviSynth+'s ConvertToRGB32 should give for a clip with full chroma.
inline std::string ffmpegFrame(const std::string& path, int n, const std::string& matrix) {
  return commandOutput("ffmpeg -nostdin -v error -i " + shellWord(path) + " -vf 'select=eq(n\\," +
                       std::to_string(n) + "),scale=in_color_matrix=" + matrix +
                       ":in_range=tv:flags=bicubic+accurate_rnd+full_chroma_int'"
                       " -frames:v 1 -pix_fmt rgb24 -f rawvideo -");
}

// A picture file's pixels as 8-bit RGB, as ffmpeg reads it.
inline std::string picturePixels(const std::string& path) {
  return commandOutput("ffmpeg -nostdin -v error -i " + shellWord(path) +
                       " -pix_fmt rgb24 -f rawvideo -");
}

// How many of the channel values of two RGB pictures differ by more than
// `tolerance` (every value, when their sizes differ).
inline std::size_t channelsOff(const std::string& a, const std::string& b, int tolerance) {
  if (a.size() != b.size()) return std::max(a.size(), b.size());
  std::size_t off = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const int d = static_cast<unsigned char>(a[i]) - static_cast<unsigned char>(b[i]);
    if (d > tolerance || d < -tolerance) ++off;
  }
  return off;
}

// The RGB of a picture the helper sent (blue, green, red, alpha).
inline std::string rgbOf(const FramePicture& picture) {
  std::string rgb;
  rgb.reserve(picture.bgra.size() / 4 * 3);
  for (std::size_t i = 0; i + 3 < picture.bgra.size(); i += 4) {
    rgb += static_cast<char>(picture.bgra[i + 2]);
    rgb += static_cast<char>(picture.bgra[i + 1]);
    rgb += static_cast<char>(picture.bgra[i]);
  }
  return rgb;
}

}  // namespace clipquill::testing
