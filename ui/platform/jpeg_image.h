// SPDX-License-Identifier: GPL-3.0-or-later
// The splash picture's decoder: JPEG bytes to plain RGB pixels through
// libjpeg, with no toolkit in between, so that the picture shown is the one
// the program carries whatever image plugins the toolkit has.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace clipquill {

// Pixels row by row from the top, three bytes (red, green, blue) each.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;
};

// The largest picture decodeJpeg accepts, in pixels. A splash picture is far
// smaller; the cap keeps a corrupt header from asking for gigabytes.
inline constexpr std::size_t kMaxJpegPixels = std::size_t{16} * 1024 * 1024;

// Decodes a JPEG file held in memory. Grey pictures come out as RGB too.
// Raises Error for anything that is not a whole, sound JPEG: corrupt or
// truncated data is refused rather than shown in part.
RgbImage decodeJpeg(std::span<const unsigned char> bytes);

}  // namespace clipquill
