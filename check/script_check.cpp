// SPDX-License-Identifier: GPL-3.0-or-later
// A check's result in the words the command line and the window show.
#include "check/script_check.h"

#include <cstddef>

namespace clipquill {
namespace {

std::string place(const ScriptCheck& check) {
  if (check.line <= 0) return "";
  std::string out = "line " + std::to_string(check.line);
  if (check.column > 0) out += ", column " + std::to_string(check.column);
  return out + ": ";
}

}  // namespace

std::string formatCheckLine(const std::string& path, const ScriptCheck& check) {
  std::string out = path;
  if (check.line > 0) {
    out += ':' + std::to_string(check.line);
    if (check.column > 0) out += ':' + std::to_string(check.column);
  }
  return out + ": " + check.message;
}

std::string describeCheck(const ScriptCheck& check) {
  if (check.good()) {
    return check.clip ? "AviSynth+: good\n" + describeClip(*check.clip) : "AviSynth+: good";
  }
  return "AviSynth+: " + place(check) + check.message;
}

std::string summarizeChecks(std::span<const std::string> names,
                            std::span<const ScriptCheck> checks) {
  std::size_t failed = 0;
  std::size_t first = checks.size();
  for (std::size_t i = 0; i < checks.size(); ++i) {
    if (checks[i].good()) continue;
    if (failed++ == 0) first = i;
  }
  const std::string scripts = checks.size() == 1 ? " script" : " scripts";
  if (failed == 0) return "AviSynth+: " + std::to_string(checks.size()) + scripts + " good";
  const std::string name = first < names.size() ? names[first] : std::string();
  return "AviSynth+: " + std::to_string(failed) + " of " + std::to_string(checks.size()) + scripts +
         " failed; " + name + ": " + place(checks[first]) + checks[first].message;
}

}  // namespace clipquill
