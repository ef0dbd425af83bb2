// SPDX-License-Identifier: GPL-3.0-or-later
// The program entry of the window, apart from main() so that tests and
// benchmarks can start the program as a user would.
#pragma once

namespace clipquill {

// Starts Clipquill with the process's arguments and returns its exit status
// once the main window has closed.
int runClipquill(int argc, char** argv);

}  // namespace clipquill
