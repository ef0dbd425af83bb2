// SPDX-License-Identifier: GPL-3.0-or-later
// A build without libpng (the Windows cross build has none): frames are
// rendered but not written.
#include "check/frame_picture.h"

namespace clipquill {

bool writePng(const std::string&, const FramePicture&, std::string& why) {
  why = "this Clipquill was built without libpng: frames cannot be written";
  return false;
}

}  // namespace clipquill
