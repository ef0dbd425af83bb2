// SPDX-License-Identifier: GPL-3.0-or-later
// A frame's picture on the helper's wire.
#include "check/frame_picture.h"

#include <cstdint>

namespace clipquill {
namespace {

void putU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

bool getU32(std::string_view& in, std::uint32_t& v) {
  if (in.size() < 4) return false;
  v = 0;
  for (int i = 0; i < 4; ++i)
    v |= std::uint32_t{static_cast<unsigned char>(in[i])} << (8 * i);
  in.remove_prefix(4);
  return true;
}

// Larger than any frame AviSynth+ makes (its frames are bounded by int).
constexpr std::uint64_t kMaxPixels = 1ull << 29;

}  // namespace

std::string encodeFrameHeader(const FramePicture& picture) {
  std::string out;
  putU32(out, static_cast<std::uint32_t>(picture.frame));
  if (!picture.ok()) {
    out.push_back('\0');
    out += picture.error;
    return out;
  }
  out.push_back('\1');
  putU32(out, static_cast<std::uint32_t>(picture.width));
  putU32(out, static_cast<std::uint32_t>(picture.height));
  return out;
}

std::optional<FramePicture> decodeFrameHeader(std::string_view bytes) {
  FramePicture picture;
  std::uint32_t frame = 0, width = 0, height = 0;
  if (!getU32(bytes, frame) || bytes.empty()) return std::nullopt;
  picture.frame = static_cast<int>(frame);
  const bool ok = bytes.front() == '\1';
  bytes.remove_prefix(1);
  if (!ok) {
    picture.error.assign(bytes);
    if (picture.error.empty()) return std::nullopt;
    return picture;
  }
  if (!getU32(bytes, width) || !getU32(bytes, height)) return std::nullopt;
  const std::uint64_t pixels = std::uint64_t{width} * height;
  if (width == 0 || height == 0 || pixels > kMaxPixels || !bytes.empty()) return std::nullopt;
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  return picture;
}

std::string frameOutOfRange(int frame, int frameCount) {
  if (frameCount <= 0) return "the clip has no frames";
  if (frame >= 0 && frame < frameCount) return "";
  return "past the end: the clip has " + std::to_string(frameCount) +
         (frameCount == 1 ? " frame (0)" : " frames (0 to ") +
         (frameCount == 1 ? "" : std::to_string(frameCount - 1) + ")");
}

}  // namespace clipquill
