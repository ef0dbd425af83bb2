// SPDX-License-Identifier: GPL-3.0-or-later
// <windows.h> as every Windows file here takes it: without its rarely used
// parts, and without the min and max macros that break std::min and
// std::max. Include it before any other Windows header.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
