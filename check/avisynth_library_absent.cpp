// SPDX-License-Identifier: GPL-3.0-or-later
// The library's stand-in for a build made without AviSynth+'s C API header
// (a checkout without the vendored AviSynth+ source, as scripts/run.sh may
// build): the program starts and works as ever, and the check says what it
// lacks instead of failing the build.
#include "check/avisynth_library.h"

namespace clipquill {

struct AvisynthLibrary::Api {};

std::unique_ptr<AvisynthLibrary> AvisynthLibrary::load(const std::string&, std::string& why) {
  why =
      "this Clipquill was built without AviSynth+'s C API header; build it with the "
      "AviSynth+ source tarball (CLIPQUILL_AVISYNTH_TARBALL) or an installed AviSynth+";
  return nullptr;
}

AvisynthLibrary::AvisynthLibrary(std::unique_ptr<Api> api) : api_(std::move(api)) {}
AvisynthLibrary::~AvisynthLibrary() = default;

void AvisynthLibrary::setPluginFolders(std::vector<std::string> folders) {
  pluginFolders_ = std::move(folders);
}

void AvisynthLibrary::loadPluginsOnce(const std::string&) {}

std::vector<AvsFunction> AvisynthLibrary::listFunctions() {
  return {};
}

std::string AvisynthLibrary::path() const {
  return {};
}

std::string AvisynthLibrary::version() {
  return "AviSynth+";
}

ScriptCheck AvisynthLibrary::importScript(const std::string& path) {
  return importScript(path, -1);
}

ScriptCheck AvisynthLibrary::importScript(const std::string&, int) {
  return ScriptCheck{CheckStatus::Unavailable, "AviSynth+ is not available", 0, 0};
}

}  // namespace clipquill
