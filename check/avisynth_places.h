// SPDX-License-Identifier: GPL-3.0-or-later
// Where AviSynth+ is looked for, so that a user meets the picture and the
// check without a setting. In order: the library named for this run
// (--avisynth), else the one set in the options; then an AviSynth+ installed
// on the system, so that users keep their own plugins; last the copy that
// came with Clipquill, with its FFMS2 source plugin. A library named for the
// run is taken as it is, and none other: the user asked for exactly that.
// A library set in the options that no longer loads gives way to the next
// place, and the setting is kept.
#pragma once

#include <string>
#include <vector>

namespace clipquill {

enum class AvisynthOrigin { Named, Options, System, Bundled };

struct AvisynthPlace {
  AvisynthOrigin origin = AvisynthOrigin::System;
  // Empty for System: the system's own lookup (the dynamic loader on Linux;
  // the system folder and the registry entry on Windows).
  std::string library;
  // Plugin folders loaded with this library alone: the bundled FFMS2 goes
  // with the bundled AviSynth+, never into a user's own.
  std::vector<std::string> pluginFolders = {};
  bool operator==(const AvisynthPlace&) const = default;
};

// The copy that came with Clipquill, found from the program's folder.
struct BundledAvisynth {
  std::string library;       // empty: none there
  std::string pluginFolder;  // FFMS2's plugin; empty: none
  // A first start builds it in the background now (the build tree's
  // marker names a process that still runs).
  bool building = false;
  bool operator==(const BundledAvisynth&) const = default;
};

// Where the bundled copy lies relative to the program's folder, each
// system's own (avisynth_bundled_*.cpp): the package's private folder, the
// Windows program folder, a build tree.
struct BundledLayout {
  const char* library;
  const char* pluginFolder;
};
std::vector<BundledLayout> bundledLayouts();
// The marker a first start's background build leaves beside the programs'
// folder while it runs, relative to that folder.
const char* bundledBuildMarker();
// What a user whose bundled AviSynth+ lacks a source plugin reads besides:
// where such plugins come from on this system ("" where FFMS2 comes with it).
const char* bundledPluginsNote();
// Whether the process whose number `marker` holds still runs.
bool markerProcessRuns(const std::string& markerText);

BundledAvisynth findBundledAvisynth(const std::string& programFolder);

// The places in the order they are tried: `named` (a run's --avisynth) alone
// when given, else `setting` (may be empty), the system, the bundled copy.
std::vector<AvisynthPlace> avisynthPlaces(const std::string& named, const std::string& setting,
                                          const BundledAvisynth& bundled);

// "set in Options", "installed on the system", "that came with Clipquill",
// "named with --avisynth": what a status tip says of the place.
const char* describeOrigin(AvisynthOrigin origin);

}  // namespace clipquill
