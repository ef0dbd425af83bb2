// SPDX-License-Identifier: GPL-3.0-or-later
// A frame of a script's clip as a picture: rendered by the checking helper,
// converted to RGB32 by AviSynth+ itself (with the matrix the clip carries,
// Rec.601 when it carries none), and sent back over the helper's pipe, so
// that neither the window nor the command line ever runs a plugin.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clipquill {

struct FramePicture {
  int frame = 0;
  int width = 0;
  int height = 0;
  // Blue, green, red, alpha per pixel, rows top to bottom, no padding.
  std::vector<unsigned char> bgra;
  // Why there is no picture: a frame past the end, a clip of audio alone...
  std::string error;

  bool ok() const { return error.empty(); }
  bool operator==(const FramePicture&) const = default;
};

// The helper's wire form of all but the pixels, which follow it as they are
// (width x height x 4 bytes, when the picture is ok): a frame of 1080p is
// 8 MB, and is copied no more than it must be. decodeFrameHeader gives the
// picture without its pixels, or nullopt for a broken header.
std::string encodeFrameHeader(const FramePicture& picture);
std::optional<FramePicture> decodeFrameHeader(std::string_view bytes);

// Why frame `frame` of a clip of `frameCount` frames cannot be shown ("past
// the end: the clip has 48 frames (0 to 47)"), or empty when it can.
std::string frameOutOfRange(int frame, int frameCount);

// Writes the picture as an 8-bit RGB PNG at path (alpha left out: AviSynth's
// RGB32 alpha is no transparency). False with the reason in `why`; nothing
// is left at path then.
bool writePng(const std::string& path, const FramePicture& picture, std::string& why);

}  // namespace clipquill
