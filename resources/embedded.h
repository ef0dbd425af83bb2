// SPDX-License-Identifier: GPL-3.0-or-later
// The files of resources/ as the program holds them, compiled in by
// resources/embed.cmake. Plain bytes: the splash picture is decoded by
// ui/platform/jpeg_image.h, the icon by the window's toolkit.
#pragma once

#include <span>
#include <string_view>

namespace clipquill::resources {

// The splash window's picture: a JFIF file, 352 by 161 pixels.
std::span<const unsigned char> splashJpeg();
// The about box's icon: a PNG file, 64 by 64 pixels.
std::span<const unsigned char> aboutIconPng();
// The usage window's text, UTF-8 with LF line ends.
std::string_view usageText();

}  // namespace clipquill::resources
