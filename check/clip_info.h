// SPDX-License-Identifier: GPL-3.0-or-later
// What AviSynth+ says of the clip a script gives: its picture's size, rate,
// length and pixel type, and its audio. The helper reads it where it
// evaluates the script and sends it back beside the check's result, so a
// batch can be asked "is every script 1920x1080 at 24000/1001 with audio"
// before an encoder spends a night on it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace clipquill {

struct ClipInfo {
  bool video = false;  // a clip of audio alone has no picture
  int width = 0;
  int height = 0;
  unsigned fpsNumerator = 0;
  unsigned fpsDenominator = 0;
  int frameCount = 0;
  std::string pixelType;  // AviSynth's own name: "YV12", "YUV420P10", "RGB32"...

  bool audio = false;
  int sampleRate = 0;
  int channels = 0;
  std::string sampleType;  // "int8", "int16", "int24", "int32" or "float"
  std::int64_t sampleCount = 0;

  // The picture's length in seconds; a clip of audio alone, the audio's.
  double durationSeconds() const;

  bool operator==(const ClipInfo&) const = default;
};

// The properties in a line of words, for a tip or under a picture:
// "1920x1080, 24000/1001 fps, 48 frames (2.002 s), YV12; audio 48000 Hz,
// 2 channels, float", or "no picture; audio ..." and "...; no audio".
std::string describeClip(const ClipInfo& info);

// AviSynth's sample type bits (AVS_SAMPLE_*) in the words above; empty for
// none it knows.
std::string sampleTypeName(int sampleType);

// The helper's wire form: fixed-width fields and counted texts, so that a
// name of any bytes crosses. decodeClipInfo gives nullopt for a broken record.
std::string encodeClipInfo(const ClipInfo& info);
std::optional<ClipInfo> decodeClipInfo(std::string_view bytes);

}  // namespace clipquill
