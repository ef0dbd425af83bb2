// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/platform/jpeg_image.h"

#include <csetjmp>
#include <cstdio>

// After cstdio, whose FILE it uses.
#include <jpeglib.h>

#include <new>
#include <string>

#include "core/error.h"

namespace clipquill {

namespace {

// libjpeg's default error handler ends the process. This one jumps back into
// decodeInto instead, with the library's message kept for the error raised.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void onError(j_common_ptr cinfo) {
  auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, manager->message);
  std::longjmp(manager->jump, 1);
}

// A warning means corrupt data (libjpeg fills a truncated picture with grey
// and carries on); the picture is refused rather than shown damaged. Trace
// messages (level > 0) are ignored.
void onMessage(j_common_ptr cinfo, int level) {
  if (level < 0) onError(cinfo);
}

enum class Outcome { Decoded, Corrupt, TooLarge, OutOfMemory };

// The decoding proper. Between setjmp and any longjmp only libjpeg's C frames
// run, and this frame holds no object with a destructor, so the jump skips no
// clean-up. The vector lives in the caller's frame.
Outcome decodeInto(const unsigned char* data, std::size_t size, RgbImage* out,
                   ErrorManager* manager) {
  jpeg_decompress_struct cinfo;
  cinfo.err = jpeg_std_error(&manager->pub);
  manager->pub.error_exit = onError;
  manager->pub.emit_message = onMessage;
  if (setjmp(manager->jump)) {
    jpeg_destroy_decompress(&cinfo);
    return Outcome::Corrupt;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_calc_output_dimensions(&cinfo);
  const std::size_t width = cinfo.output_width;
  const std::size_t height = cinfo.output_height;
  if (cinfo.output_components != 3) {
    jpeg_destroy_decompress(&cinfo);
    return Outcome::Corrupt;
  }
  if (width * height > kMaxJpegPixels) {
    jpeg_destroy_decompress(&cinfo);
    return Outcome::TooLarge;
  }
  try {
    out->rgb.resize(width * height * 3);
  } catch (const std::bad_alloc&) {
    jpeg_destroy_decompress(&cinfo);
    return Outcome::OutOfMemory;
  }
  jpeg_start_decompress(&cinfo);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = out->rgb.data() + std::size_t{cinfo.output_scanline} * width * 3;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  out->width = static_cast<int>(width);
  out->height = static_cast<int>(height);
  return Outcome::Decoded;
}

}  // namespace

RgbImage decodeJpeg(std::span<const unsigned char> bytes) {
  RgbImage image;
  ErrorManager manager{};
  switch (decodeInto(bytes.data(), bytes.size(), &image, &manager)) {
    case Outcome::Decoded:
      return image;
    case Outcome::Corrupt:
      break;
    case Outcome::TooLarge:
      throw Error::withMessage("JPEG picture too large");
    case Outcome::OutOfMemory:
      throw std::bad_alloc();
  }
  std::string message = "Invalid JPEG picture";
  if (manager.message[0] != '\0') message.append(": ").append(manager.message);
  throw Error::withMessage(std::move(message));
}

}  // namespace clipquill
