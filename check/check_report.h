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
  std::size_t framesFailed = 0;  // good scripts whose frame could not be shown or written
};

// Checks each of `paths`, printing each failure on `err` under its name in
// `shown` (the path as the user knows it). Where AviSynth+ cannot be loaded,
// says so once, prefixed by `program`, with how to get it, and stops. With
// `info`, each script checked is also told there as one line of JSON
// (clipInfoJsonLine). With `frameFolder`, the picture each good script's
// check rendered (CheckerOptions::frame) is written there as
// "<script name>.png"; a frame that cannot be is told on `err` as
// "path: frame N: why".
CheckReport checkAndReport(ScriptChecker& checker, std::span<const std::string> paths,
                           std::span<const std::string> shown, std::ostream& err,
                           std::string_view program, std::ostream* info = nullptr,
                           const std::string* frameFolder = nullptr);

// Where the frame of the script at `scriptPath` goes in `folder`:
// "folder/<script name without .avs>.png".
std::string framePngPath(const std::string& folder, const std::string& scriptPath);

// One script's check as a JSON object on one line, for JSON Lines tools:
//   {"path":..., "ok":true, "error":null, "duration":2.002,
//    "video":{"width":..,"height":..,"fps_num":..,"fps_den":..,"frames":..,"pixel_type":..},
//    "audio":{"sample_rate":..,"channels":..,"sample_type":..,"samples":..}}
// "error" is {"message","line","column"} when the check failed (0: unknown);
// "video" and "audio" are null where the clip has none, or gave no clip.
std::string clipInfoJsonLine(const std::string& path, const ScriptCheck& check);

// One function of AviSynth+'s table as a line of JSON (--functions):
//   {"name":..,"source":"internal" or the plugin's file,"signature":..,
//    "params":[{"name":..,"type":..,"optional":..,"repeated":..}]}
// "params" is null where the signature is malformed; a positional
// parameter's "name" is "".
std::string functionJsonLine(const AvsFunction& function);

}  // namespace clipquill
