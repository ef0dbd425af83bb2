// SPDX-License-Identifier: GPL-3.0-or-later
// A frame's picture written as PNG with libpng.
#include <png.h>

#include <cstdio>
#include <filesystem>

#include "check/frame_picture.h"

namespace clipquill {
namespace {

struct PngWrite {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~PngWrite() { png_destroy_write_struct(&png, &info); }
};

void pngError(png_structp png, png_const_charp message) {
  *static_cast<std::string*>(png_get_error_ptr(png)) = message;
  png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// libpng reports errors by longjmp: no C++ object with a destructor may
// live in the frame it jumps over.
bool writeRows(std::FILE* file, const FramePicture& picture, std::vector<png_bytep>& rows,
               std::string& why) {
  PngWrite w;
  w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &why, pngError, pngWarning);
  if (w.png == nullptr) return false;
  w.info = png_create_info_struct(w.png);
  if (w.info == nullptr) return false;
  if (setjmp(png_jmpbuf(w.png))) return false;
  png_init_io(w.png, file);
  png_set_IHDR(w.png, w.info, static_cast<png_uint_32>(picture.width),
               static_cast<png_uint_32>(picture.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(w.png, w.info);
  // The rows are blue, green, red, alpha: swapped to red first, alpha left out.
  png_set_bgr(w.png);
  png_set_filler(w.png, 0, PNG_FILLER_AFTER);
  png_write_image(w.png, rows.data());
  png_write_end(w.png, nullptr);
  return true;
}

}  // namespace

bool writePng(const std::string& path, const FramePicture& picture, std::string& why) {
  if (!picture.ok() || picture.width <= 0 || picture.height <= 0 ||
      picture.bgra.size() != static_cast<std::size_t>(picture.width) * picture.height * 4) {
    why = picture.ok() ? "no picture" : picture.error;
    return false;
  }
  std::vector<png_bytep> rows(static_cast<std::size_t>(picture.height));
  for (int y = 0; y < picture.height; ++y) {
    rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(
        picture.bgra.data() + static_cast<std::size_t>(y) * picture.width * 4);
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    why = std::string("cannot write ") + path;
    return false;
  }
  why.clear();
  bool ok = writeRows(file, picture, rows, why);
  ok = std::fclose(file) == 0 && ok;
  if (!ok) {
    if (why.empty()) why = "cannot write " + path;
    std::error_code ec;
    std::filesystem::remove(path, ec);
  }
  return ok;
}

}  // namespace clipquill
