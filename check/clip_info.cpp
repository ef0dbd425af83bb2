// SPDX-License-Identifier: GPL-3.0-or-later
// The clip's properties in words and on the helper's wire.
#include "check/clip_info.h"

#include <cstdio>

namespace clipquill {
namespace {

// AviSynth's AVS_SAMPLE_* bits, fixed by its API since its first version.
constexpr int kSampleInt8 = 1 << 0;
constexpr int kSampleInt16 = 1 << 1;
constexpr int kSampleInt24 = 1 << 2;
constexpr int kSampleInt32 = 1 << 3;
constexpr int kSampleFloat = 1 << 4;

void putU64(std::string& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i)
    out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}
void putText(std::string& out, const std::string& text) {
  putU64(out, text.size());
  out += text;
}

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  bool u64(std::uint64_t& v) {
    if (bytes_.size() < 8) return false;
    v = 0;
    for (int i = 0; i < 8; ++i)
      v |= std::uint64_t{static_cast<unsigned char>(bytes_[i])} << (8 * i);
    bytes_.remove_prefix(8);
    return true;
  }
  template <typename T>
  bool number(T& v) {
    std::uint64_t raw = 0;
    if (!u64(raw)) return false;
    v = static_cast<T>(raw);
    return true;
  }
  bool text(std::string& v) {
    std::uint64_t n = 0;
    if (!u64(n) || n > bytes_.size()) return false;
    v.assign(bytes_.substr(0, n));
    bytes_.remove_prefix(n);
    return true;
  }
  bool done() const { return bytes_.empty(); }

 private:
  std::string_view bytes_;
};

}  // namespace

double ClipInfo::durationSeconds() const {
  if (video && fpsNumerator > 0) {
    return static_cast<double>(frameCount) * fpsDenominator / fpsNumerator;
  }
  if (audio && sampleRate > 0) return static_cast<double>(sampleCount) / sampleRate;
  return 0;
}

std::string describeClip(const ClipInfo& info) {
  std::string out;
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.3f", info.durationSeconds());
  if (info.video) {
    out = std::to_string(info.width) + "x" + std::to_string(info.height) + ", " +
          std::to_string(info.fpsNumerator);
    if (info.fpsDenominator != 1) out += "/" + std::to_string(info.fpsDenominator);
    out += " fps, " + std::to_string(info.frameCount) +
           (info.frameCount == 1 ? " frame (" : " frames (") + seconds + " s), " + info.pixelType;
  } else {
    out = "no picture";
  }
  if (info.audio) {
    out += "; audio " + std::to_string(info.sampleRate) + " Hz, " + std::to_string(info.channels) +
           (info.channels == 1 ? " channel, " : " channels, ") + info.sampleType;
    if (!info.video) out += std::string(" (") + seconds + " s)";
  } else {
    out += "; no audio";
  }
  return out;
}

std::string sampleTypeName(int sampleType) {
  switch (sampleType) {
    case kSampleInt8:
      return "int8";
    case kSampleInt16:
      return "int16";
    case kSampleInt24:
      return "int24";
    case kSampleInt32:
      return "int32";
    case kSampleFloat:
      return "float";
    default:
      return "";
  }
}

std::string encodeClipInfo(const ClipInfo& info) {
  std::string out;
  putU64(out, info.video ? 1 : 0);
  putU64(out, static_cast<std::uint64_t>(info.width));
  putU64(out, static_cast<std::uint64_t>(info.height));
  putU64(out, info.fpsNumerator);
  putU64(out, info.fpsDenominator);
  putU64(out, static_cast<std::uint64_t>(info.frameCount));
  putText(out, info.pixelType);
  putU64(out, info.audio ? 1 : 0);
  putU64(out, static_cast<std::uint64_t>(info.sampleRate));
  putU64(out, static_cast<std::uint64_t>(info.channels));
  putText(out, info.sampleType);
  putU64(out, static_cast<std::uint64_t>(info.sampleCount));
  return out;
}

std::optional<ClipInfo> decodeClipInfo(std::string_view bytes) {
  Reader in(bytes);
  ClipInfo info;
  int video = 0, audio = 0;
  if (!in.number(video) || !in.number(info.width) || !in.number(info.height) ||
      !in.number(info.fpsNumerator) || !in.number(info.fpsDenominator) ||
      !in.number(info.frameCount) || !in.text(info.pixelType) || !in.number(audio) ||
      !in.number(info.sampleRate) || !in.number(info.channels) || !in.text(info.sampleType) ||
      !in.number(info.sampleCount) || !in.done()) {
    return std::nullopt;
  }
  info.video = video != 0;
  info.audio = audio != 0;
  return info;
}

}  // namespace clipquill
