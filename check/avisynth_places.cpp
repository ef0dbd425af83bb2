// SPDX-License-Identifier: GPL-3.0-or-later
#include "check/avisynth_places.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/utf8_path.h"

namespace clipquill {
namespace {

bool isFile(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(pathFromUtf8(path), ec);
}

bool isFolder(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(pathFromUtf8(path), ec);
}

std::string under(const std::string& folder, const char* relative) {
  return utf8Of((pathFromUtf8(folder) / pathFromUtf8(relative)).lexically_normal());
}

}  // namespace

BundledAvisynth findBundledAvisynth(const std::string& programFolder) {
  BundledAvisynth found;
  if (programFolder.empty()) return found;
  // Half built, it would load without its plugin, or not at all.
  std::ifstream marker(pathFromUtf8(under(programFolder, bundledBuildMarker())));
  if (marker) {
    std::stringstream text;
    text << marker.rdbuf();
    found.building = markerProcessRuns(text.str());
    if (found.building) return found;
  }
  for (const BundledLayout& layout : bundledLayouts()) {
    const std::string library = under(programFolder, layout.library);
    if (!isFile(library)) continue;
    found.library = library;
    const std::string plugins = under(programFolder, layout.pluginFolder);
    if (isFolder(plugins)) found.pluginFolder = plugins;
    return found;
  }
  return found;
}

std::vector<AvisynthPlace> avisynthPlaces(const std::string& named, const std::string& setting,
                                          const BundledAvisynth& bundled) {
  if (!named.empty()) return {{AvisynthOrigin::Named, named}};
  std::vector<AvisynthPlace> places;
  if (!setting.empty()) places.push_back({AvisynthOrigin::Options, setting});
  places.push_back({AvisynthOrigin::System, ""});
  if (!bundled.library.empty()) {
    AvisynthPlace place{AvisynthOrigin::Bundled, bundled.library};
    if (!bundled.pluginFolder.empty()) place.pluginFolders.push_back(bundled.pluginFolder);
    places.push_back(std::move(place));
  }
  return places;
}

const char* describeOrigin(AvisynthOrigin origin) {
  switch (origin) {
    case AvisynthOrigin::Named:
      return "named with --avisynth";
    case AvisynthOrigin::Options:
      return "set in Options";
    case AvisynthOrigin::System:
      return "installed on the system";
    case AvisynthOrigin::Bundled:
      return "that came with Clipquill";
  }
  return "";
}

}  // namespace clipquill
