// SPDX-License-Identifier: GPL-3.0-or-later
#include "check/check_report.h"

#include <cctype>

#include <nlohmann/json.hpp>

namespace clipquill {

std::string framePngPath(const std::string& folder, const std::string& scriptPath) {
  std::string name = scriptPath.substr(scriptPath.find_last_of("/\\") + 1);
  if (name.size() > 4) {
    std::string ext = name.substr(name.size() - 4);
    for (char& c : ext)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".avs") name.resize(name.size() - 4);
  }
  return folder + (folder.empty() || folder.back() == '/' ? "" : "/") + name + ".png";
}

std::string clipInfoJsonLine(const std::string& path, const ScriptCheck& check) {
  using Json = nlohmann::ordered_json;
  Json line;
  line["path"] = path;
  line["ok"] = check.good();
  if (check.good()) {
    line["error"] = nullptr;
  } else {
    line["error"] = {{"message", check.message}, {"line", check.line}, {"column", check.column}};
  }
  const ClipInfo* clip = check.clip ? &*check.clip : nullptr;
  line["duration"] = clip != nullptr ? Json(clip->durationSeconds()) : Json(nullptr);
  if (clip != nullptr && clip->video) {
    line["video"] = {{"width", clip->width},          {"height", clip->height},
                     {"fps_num", clip->fpsNumerator}, {"fps_den", clip->fpsDenominator},
                     {"frames", clip->frameCount},    {"pixel_type", clip->pixelType}};
  } else {
    line["video"] = nullptr;
  }
  if (clip != nullptr && clip->audio) {
    line["audio"] = {{"sample_rate", clip->sampleRate},
                     {"channels", clip->channels},
                     {"sample_type", clip->sampleType},
                     {"samples", clip->sampleCount}};
  } else {
    line["audio"] = nullptr;
  }
  // Names are bytes in no particular encoding; the line stays valid JSON.
  return line.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string functionJsonLine(const AvsFunction& function) {
  using Json = nlohmann::ordered_json;
  Json line;
  line["name"] = function.name;
  line["source"] = function.source;
  line["signature"] = function.signature;
  if (function.params) {
    Json params = Json::array();
    for (const AvsParam& p : *function.params) {
      params.push_back({{"name", p.name},
                        {"type", avsTypeName(p.type)},
                        {"optional", p.optional},
                        {"repeated", p.repeated}});
    }
    line["params"] = std::move(params);
  } else {
    line["params"] = nullptr;
  }
  return line.dump(-1, ' ', false, Json::error_handler_t::replace);
}

CheckReport checkAndReport(ScriptChecker& checker, std::span<const std::string> paths,
                           std::span<const std::string> shown, std::ostream& err,
                           std::string_view program, std::ostream* info,
                           const std::string* frameFolder) {
  CheckReport report;
  std::string why;
  if (!paths.empty() && !checker.available(&why)) {
    err << program << ": cannot check the scripts with AviSynth+: " << why << "\n"
        << program << ": " << avisynthHint() << "\n";
    report.unavailable = true;
    return report;
  }
  // The user's own choice of library passed over: said, never silent.
  if (!paths.empty() && !checker.passedOver().empty()) {
    err << program << ": " << checker.passedOver() << "\n";
  }
  // Said once: the user decides whether to run a stranger's template so.
  if (!paths.empty() && !checker.unconfined().empty()) {
    err << program << ": " << checker.unconfined() << "\n";
  }
  checker.checkAll(paths, [&](std::size_t i, const ScriptCheck& result) {
    if (report.unavailable) return;
    if (result.status == CheckStatus::Unavailable) {
      err << program << ": cannot check the scripts with AviSynth+: " << result.message << "\n";
      report.unavailable = true;
      return;
    }
    ++report.checked;
    const std::string& name = i < shown.size() ? shown[i] : paths[i];
    if (info != nullptr) *info << clipInfoJsonLine(name, result) << '\n';
    if (result.good() && frameFolder != nullptr && result.picture) {
      std::string why = result.picture->error;
      if (why.empty()) writePng(framePngPath(*frameFolder, paths[i]), *result.picture, why);
      if (!why.empty()) {
        ++report.framesFailed;
        err << name << ": frame " << result.picture->frame << ": " << why << "\n";
      }
    }
    if (result.good()) return;
    ++report.failed;
    err << formatCheckLine(name, result) << "\n";
  });
  return report;
}

}  // namespace clipquill
