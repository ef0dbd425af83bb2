// SPDX-License-Identifier: GPL-3.0-or-later
// AviSynth+'s library on Windows, for now: only the checking helper loads it,
// and the helper runs on POSIX only (check/script_checker_win32.cpp), so
// loading it says why it is not done.
#include "check/avisynth_library.h"

namespace clipquill {

struct AvisynthLibrary::Api {};

std::unique_ptr<AvisynthLibrary> AvisynthLibrary::load(const std::string&, std::string& why) {
  why = "checking with AviSynth+ is not available on Windows yet";
  return nullptr;
}

AvisynthLibrary::AvisynthLibrary(std::unique_ptr<Api> api) : api_(std::move(api)) {}

AvisynthLibrary::~AvisynthLibrary() = default;

std::string AvisynthLibrary::version() {
  return {};
}

ScriptCheck AvisynthLibrary::importScript(const std::string&) {
  return {CheckStatus::Unavailable, "checking with AviSynth+ is not available on Windows yet", 0,
          0};
}

}  // namespace clipquill
