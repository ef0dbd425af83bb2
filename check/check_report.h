// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's check: scripts checked one after the other, each failure
// printed as "path:line:column: message", the form compilers use, so that an
// editor or a terminal can jump to it.
#pragma once

#include <cstddef>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "check/script_checker.h"

namespace clipquill {

struct CheckReport {
  std::size_t checked = 0;
  std::size_t failed = 0;  // failed, timed out or crashed
  bool unavailable = false;
};

// Checks each of `paths`, printing each failure on `err` under its name in
// `shown` (the path as the user knows it). Where AviSynth+ cannot be loaded,
// says so once, prefixed by `program`, with how to get it, and stops. With
// `info`, each script checked is also told there as one line of JSON
// (clipInfoJsonLine).
CheckReport checkAndReport(ScriptChecker& checker, std::span<const std::string> paths,
                           std::span<const std::string> shown, std::ostream& err,
                           std::string_view program, std::ostream* info = nullptr);

// One script's check as a JSON object on one line, for JSON Lines tools:
//   {"path":..., "ok":true, "error":null, "duration":2.002,
//    "video":{"width":..,"height":..,"fps_num":..,"fps_den":..,"frames":..,"pixel_type":..},
//    "audio":{"sample_rate":..,"channels":..,"sample_type":..,"samples":..}}
// "error" is {"message","line","column"} when the check failed (0: unknown);
// "video" and "audio" are null where the clip has none, or gave no clip.
std::string clipInfoJsonLine(const std::string& path, const ScriptCheck& check);

}  // namespace clipquill
