// SPDX-License-Identifier: GPL-3.0-or-later
#include "check/check_advice.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

#include "check/avisynth_places.h"

namespace clipquill {
namespace {

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// The source filters users meet in templates, by the plugin that has them.
constexpr std::array<std::pair<std::string_view, std::string_view>, 14> kSourceFilters{{
    {"FFVideoSource", "FFMS2"},
    {"FFAudioSource", "FFMS2"},
    {"FFmpegSource2", "FFMS2"},
    {"FFMS2", "FFMS2"},
    {"FFIndex", "FFMS2"},
    {"LWLibavVideoSource", "L-SMASH-Works"},
    {"LWLibavAudioSource", "L-SMASH-Works"},
    {"LSMASHVideoSource", "L-SMASH-Works"},
    {"LSMASHAudioSource", "L-SMASH-Works"},
    {"BSVideoSource", "BestSource"},
    {"BSAudioSource", "BestSource"},
    {"BSSource", "BestSource"},
    {"DGSource", "DGDecNV"},
    {"MPEG2Source", "D2V Source"},
}};

}  // namespace

std::optional<std::string_view> sourcePluginOf(std::string_view function) {
  for (const auto& [name, plugin] : kSourceFilters) {
    if (sameName(name, function)) return plugin;
  }
  return std::nullopt;
}

std::string missingFunction(std::string_view message) {
  constexpr std::string_view kLead = "There is no function named '";
  const std::size_t at = message.find(kLead);
  if (at == std::string_view::npos) return {};
  const std::size_t start = at + kLead.size();
  const std::size_t end = message.find('\'', start);
  if (end == std::string_view::npos) return {};
  return std::string(message.substr(start, end - start));
}

std::string adviceFor(const ScriptCheck& check, const AdviceContext& context) {
  // A first start builds the helper too: what it waits for, not what is gone.
  if (context.bundledBuilding &&
      (check.status == CheckStatus::Unavailable || !context.helperThere)) {
    return "AviSynth+ and FFMS2 are being built for Clipquill's first start; the picture "
           "shows once they are ready.";
  }
  if (!context.helperThere) {
    return "Clipquill's command line, " + context.helper +
           ", is missing; it runs every check and picture. Build it (bash scripts/run.sh builds "
           "it beside the window) or reinstall Clipquill.";
  }
  if (check.status == CheckStatus::Unavailable) {
    return std::string("AviSynth+ was not found. ") + avisynthHint();
  }
  if (check.status != CheckStatus::Failed) return {};
  const std::string function = missingFunction(check.message);
  if (function.empty()) return {};
  const auto plugin = sourcePluginOf(function);
  if (!plugin) return {};
  std::string advice = function + " is a source filter of " + std::string(*plugin) +
                       ", a plugin this AviSynth+ has not loaded: install " + std::string(*plugin) +
                       " where AviSynth+ loads its plugins";
  if (*plugin == "FFMS2" && !context.otherBundledLibrary.empty()) {
    advice += ", or choose " + context.otherBundledLibrary +
              " (AviSynth+ with FFMS2, which came with Clipquill) under Options > AviSynth+ "
              "Library...";
  }
  advice += ".";
  if (context.usingBundled && *bundledPluginsNote() != '\0')
    advice += std::string(" ") + bundledPluginsNote();
  return advice;
}

}  // namespace clipquill
