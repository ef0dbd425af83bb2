// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/platform/jpeg_image.h"

#include <cstdio>

// After cstdio, whose FILE it uses.
#include <jpeglib.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "core/error.h"
#include "resources/embedded.h"

namespace clipquill {
namespace {

// A JPEG file of one colour, written by libjpeg itself: components 3 for RGB,
// 1 for grey.
std::vector<unsigned char> solidJpeg(int width, int height, int components,
                                     std::vector<unsigned char> pixel) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &out, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = components;
  cinfo.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 95, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<unsigned char> row;
  for (int x = 0; x < width; ++x)
    row.insert(row.end(), pixel.begin(), pixel.end());
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW rowPointer = row.data();
    jpeg_write_scanlines(&cinfo, &rowPointer, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<unsigned char> bytes(out, out + size);
  std::free(out);
  return bytes;
}

TEST(JpegImage, DecodesColoursInRgbOrder) {
  struct Case {
    const char* name;
    int components;
    std::vector<unsigned char> pixel;
    std::vector<unsigned char> expected;  // RGB
  };
  const Case cases[] = {
      {"red", 3, {220, 20, 30}, {220, 20, 30}},
      {"blue", 3, {10, 40, 200}, {10, 40, 200}},
      {"grey picture comes out as RGB", 1, {128}, {128, 128, 128}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RgbImage image = decodeJpeg(solidJpeg(24, 10, c.components, c.pixel));
    ASSERT_EQ(image.width, 24);
    ASSERT_EQ(image.height, 10);
    ASSERT_EQ(image.rgb.size(), 24u * 10u * 3u);
    for (std::size_t i = 0; i < 3; ++i)  // the middle pixel, away from block edges
      EXPECT_NEAR(image.rgb[(5 * 24 + 12) * 3 + i], c.expected[i], 6);
  }
}

TEST(JpegImage, TheSplashPictureIsAJfifOfTheSplashSize) {
  const auto bytes = resources::splashJpeg();
  // JFIF: SOI, then the APP0 segment naming "JFIF".
  ASSERT_GT(bytes.size(), 11u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xD8);
  EXPECT_EQ(bytes[3], 0xE0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()) + 6, 4), "JFIF");
  const RgbImage image = decodeJpeg(bytes);
  EXPECT_EQ(image.width, 352);
  EXPECT_EQ(image.height, 161);
  // The title sits on the dark left: blue over red there.
  const unsigned char* topLeft = &image.rgb[(20 * 352 + 20) * 3];
  EXPECT_GT(topLeft[2], topLeft[0]);
  EXPECT_LT(topLeft[0], 80);
}

TEST(JpegImage, RefusesWhatIsNotAWholeJpeg) {
  const std::vector<unsigned char> good = solidJpeg(64, 64, 3, {1, 2, 3});
  const auto splash = resources::splashJpeg();
  struct Case {
    const char* name;
    std::vector<unsigned char> bytes;
  };
  const Case cases[] = {
      {"empty", {}},
      {"header only", {good.begin(), good.begin() + 20}},
      {"truncated in the scan", {good.begin(), good.begin() + good.size() / 2}},
      {"splash truncated", {splash.begin(), splash.begin() + splash.size() * 3 / 4}},
      {"not a JPEG", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      decodeJpeg(c.bytes);
      ADD_FAILURE() << "decoded";
    } catch (const Error& e) {
      EXPECT_EQ(e.message().rfind("Invalid JPEG picture", 0), 0u) << e.message();
    }
  }
}

}  // namespace
}  // namespace clipquill
