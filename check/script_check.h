// SPDX-License-Identifier: GPL-3.0-or-later
// What checking one script with AviSynth+ found.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>

#include "check/clip_info.h"
#include "check/frame_picture.h"

namespace clipquill {

enum class CheckStatus {
  Good,         // AviSynth+ imported the script and it gave a clip
  Failed,       // AviSynth+ refused it; the message says why, line and column where
  TimedOut,     // still running when its time was up
  Crashed,      // the process checking it died
  Unavailable,  // AviSynth+ could not be loaded; the message says why
};

struct ScriptCheck {
  CheckStatus status = CheckStatus::Good;
  std::string message;  // empty when good; one line
  int line = 0;         // 1-based; 0 when unknown
  int column = 0;       // 1-based; 0 when unknown
  // What AviSynth+ says of the clip the script gave; none when it gave none.
  std::shared_ptr<const ClipInfo> clip = nullptr;
  // The frame asked for, when one was and the script gave a clip; shared,
  // so that a check passed on copies no frame of megabytes.
  std::shared_ptr<const FramePicture> picture = nullptr;

  bool good() const { return status == CheckStatus::Good; }
};

// "path:line:column: message", leaving out what is unknown: the form
// editors and compilers use, so that a terminal or an editor can jump there.
std::string formatCheckLine(const std::string& path, const ScriptCheck& check);

// The check of one script in words, for a tip: "AviSynth+: good" with the
// clip's properties on a line of their own (describeClip), or
// "AviSynth+: line 2, column 21: Script error: expected a , or )".
std::string describeCheck(const ScriptCheck& check);

// A run's checks in one line: "AviSynth+: 3 scripts good", or, when any
// failed, the first failure described with its name and the count:
// "AviSynth+: 1 of 3 scripts failed; a.avs: line 2, column 21: ...".
// `names` are the scripts' names, in the order of `checks`.
std::string summarizeChecks(std::span<const std::string> names,
                            std::span<const ScriptCheck> checks);

// What a user without AviSynth+ reads, after the reason: how to get it on
// this system (avisynth_loader_*.cpp).
const char* avisynthHint();

// The file dialog's filter for AviSynth+'s library on this system:
// "libavisynth.so*", "AviSynth.dll".
const char* avisynthLibraryPattern();

}  // namespace clipquill
