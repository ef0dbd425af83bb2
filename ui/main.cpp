// SPDX-License-Identifier: GPL-3.0-or-later
// clipquill: the window.
#include "ui/app.h"

int main(int argc, char** argv) {
  return clipquill::runClipquill(argc, argv);
}
