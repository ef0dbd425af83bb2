// SPDX-License-Identifier: GPL-3.0-or-later
// What a user reads when the check or the picture cannot go on for want of
// something outside the script: one plain sentence saying what is missing
// and what to do, in place of a system's raw words ("cannot start ...: No
// such file") or beside AviSynth's own ("There is no function named
// 'FFVideoSource'"), which name the symptom and not the cure.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "check/script_check.h"

namespace clipquill {

// What is known of the situation beyond the check itself.
struct AdviceContext {
  // The helper program the check starts, and whether it is there.
  std::string helper;
  bool helperThere = true;
  // A first start builds the bundled AviSynth+ and FFMS2 now.
  bool bundledBuilding = false;
  // The AviSynth+ that came with Clipquill, with FFMS2, when it is there
  // and was not the one used.
  std::string otherBundledLibrary;
  // The AviSynth+ used is the one that came with Clipquill.
  bool usingBundled = false;
};

// The source plugin a function belongs to, by its name as AviSynth reads
// it (any case): "FFMS2" for FFVideoSource; nullopt for a name no common
// source plugin has.
std::optional<std::string_view> sourcePluginOf(std::string_view function);

// The function AviSynth says it has none of ("There is no function named
// 'X'"); empty when the message says something else.
std::string missingFunction(std::string_view message);

// The sentence for a check's outcome; empty when AviSynth's own message is
// the best there is (a typo in the template, a script that fails).
std::string adviceFor(const ScriptCheck& check, const AdviceContext& context);

}  // namespace clipquill
