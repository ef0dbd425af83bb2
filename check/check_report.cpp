// SPDX-License-Identifier: GPL-3.0-or-later
#include "check/check_report.h"

namespace clipquill {

CheckReport checkAndReport(ScriptChecker& checker, std::span<const std::string> paths,
                           std::span<const std::string> shown, std::ostream& err,
                           std::string_view program) {
  CheckReport report;
  std::string why;
  if (!paths.empty() && !checker.available(&why)) {
    err << program << ": cannot check the scripts with AviSynth+: " << why << "\n"
        << program << ": " << avisynthHint() << "\n";
    report.unavailable = true;
    return report;
  }
  checker.checkAll(paths, [&](std::size_t i, const ScriptCheck& result) {
    if (report.unavailable) return;
    if (result.status == CheckStatus::Unavailable) {
      err << program << ": cannot check the scripts with AviSynth+: " << result.message << "\n";
      report.unavailable = true;
      return;
    }
    ++report.checked;
    if (result.good()) return;
    ++report.failed;
    err << formatCheckLine(i < shown.size() ? shown[i] : paths[i], result) << "\n";
  });
  return report;
}

}  // namespace clipquill
