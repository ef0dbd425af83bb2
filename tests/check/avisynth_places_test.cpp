// SPDX-License-Identifier: GPL-3.0-or-later
// Where AviSynth+ is looked for, and the advice a user reads when something
// outside the script is missing: the order of the places, the bundled copy
// found in each layout from the program's folder (on the real file system),
// a first start's build seen through its marker, and each sentence.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "check/avisynth_places.h"
#include "check/check_advice.h"
#include "support/temp_dir.h"

namespace clipquill {
namespace {

using testing::TempDir;
using testing::writeFile;
using Origin = AvisynthOrigin;

TEST(AvisynthPlacesTest, TheOrderOfThePlaces) {
  const BundledAvisynth none;
  const BundledAvisynth bundled{"/b/libavisynth.so", "/b/plugins", false};
  const BundledAvisynth bundledAlone{"/b/libavisynth.so", "", false};
  struct Case {
    const char* name;
    std::string named, setting;
    BundledAvisynth bundled;
    std::vector<AvisynthPlace> places;
  };
  const Case cases[] = {
      {"named alone, whatever else there is",
       "/n.so",
       "/s.so",
       bundled,
       {{Origin::Named, "/n.so"}}},
      {"the setting, the system, the bundled copy with its FFMS2",
       "",
       "/s.so",
       bundled,
       {{Origin::Options, "/s.so"},
        {Origin::System, ""},
        {Origin::Bundled, "/b/libavisynth.so", {"/b/plugins"}}}},
      {"no setting",
       "",
       "",
       bundled,
       {{Origin::System, ""}, {Origin::Bundled, "/b/libavisynth.so", {"/b/plugins"}}}},
      {"a bundled copy without its plugin",
       "",
       "",
       bundledAlone,
       {{Origin::System, ""}, {Origin::Bundled, "/b/libavisynth.so"}}},
      {"nothing bundled", "", "", none, {{Origin::System, ""}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(avisynthPlaces(c.named, c.setting, c.bundled), c.places) << c.name;
  }
}

TEST(AvisynthPlacesTest, TheBundledCopyIsFoundFromTheProgramsFolder) {
  struct Case {
    const char* name;
    std::vector<std::string> files;  // below the tree
    std::string library, plugins;    // expected, below the tree; "" none
  };
  const Case cases[] = {
      {"installed",
       {"lib/clipquill/avisynth/libavisynth.so", "lib/clipquill/avisynth/plugins/libffms2.so"},
       "lib/clipquill/avisynth/libavisynth.so",
       "lib/clipquill/avisynth/plugins"},
      {"a build tree",
       {"avisynthplus/build/avs_core/libavisynth.so", "ffms2/plugins/libffms2.so"},
       "avisynthplus/build/avs_core/libavisynth.so",
       "ffms2/plugins"},
      {"a build tree without FFMS2 yet",
       {"avisynthplus/build/avs_core/libavisynth.so"},
       "avisynthplus/build/avs_core/libavisynth.so",
       ""},
      {"nothing", {}, "", ""},
  };
  for (const Case& c : cases) {
    TempDir tree;
    std::filesystem::create_directories(tree.path() + "/bin");
    for (const std::string& file : c.files) {
      std::filesystem::create_directories(
          std::filesystem::path(tree.path() + "/" + file).parent_path());
      writeFile(tree.path() + "/" + file, "");
    }
    const BundledAvisynth found = findBundledAvisynth(tree.path() + "/bin/");
    EXPECT_EQ(found.library, c.library.empty() ? "" : tree.path() + "/" + c.library) << c.name;
    EXPECT_EQ(found.pluginFolder, c.plugins.empty() ? "" : tree.path() + "/" + c.plugins) << c.name;
    EXPECT_FALSE(found.building) << c.name;
  }
}

// While a first start builds the copy, a library half-written or a plugin
// still missing is not taken; a marker left by a build that died is no
// build.
TEST(AvisynthPlacesTest, AFirstStartsBuildIsWaitedFor) {
  struct Case {
    const char* name;
    std::string marker;  // "" none
    bool building;
  };
  const Case cases[] = {
      {"a build that runs", std::to_string(::getpid()), true},
      {"a build that ended", "2147483646", false},
      {"a marker of no process", "garbage", false},
      {"no marker", "", false},
  };
  for (const Case& c : cases) {
    TempDir tree;
    std::filesystem::create_directories(tree.path() + "/bin");
    std::filesystem::create_directories(tree.path() + "/avisynthplus/build/avs_core");
    writeFile(tree.path() + "/avisynthplus/build/avs_core/libavisynth.so", "");
    if (!c.marker.empty()) writeFile(tree.path() + "/avisynth-building", c.marker);
    const BundledAvisynth found = findBundledAvisynth(tree.path() + "/bin/");
    EXPECT_EQ(found.building, c.building) << c.name;
    EXPECT_EQ(found.library.empty(), c.building) << c.name;
  }
}

TEST(CheckAdviceTest, OneSentenceForWhatIsMissing) {
  const auto failed = [](const char* message) {
    return ScriptCheck{CheckStatus::Failed, message, 1, 1};
  };
  const ScriptCheck unavailable{CheckStatus::Unavailable, "not installed", 0, 0};
  const AdviceContext plain{"/p/clipquill-cli", true, false, "", false};
  const AdviceContext noHelper{"/p/clipquill-cli", false, false, "", false};
  const AdviceContext building{"/p/clipquill-cli", true, true, "", false};
  const AdviceContext otherBundled{"/p/clipquill-cli", true, false, "/b/libavisynth.so", false};
  struct Case {
    const char* name;
    ScriptCheck check;
    AdviceContext context;
    std::string starts;  // "" no advice
    std::string holds;
  };
  const Case cases[] = {
      {"no helper", unavailable, noHelper, "Clipquill's command line, /p/clipquill-cli, is missing",
       "bash scripts/run.sh"},
      {"no helper comes first", failed("x"), noHelper, "Clipquill's command line", ""},
      {"AviSynth+ being built", unavailable, building, "AviSynth+ and FFMS2 are being built",
       "once they are ready"},
      {"the helper being built with them", unavailable,
       AdviceContext{"/p/clipquill-cli", false, true, "", false},
       "AviSynth+ and FFMS2 are being built", "once they are ready"},
      {"no AviSynth+", unavailable, plain, "AviSynth+ was not found. ",
       "Options > AviSynth+ Library..."},
      {"a source plugin missing",
       failed("Script error: There is no function named 'ffvideosource'"), plain,
       "ffvideosource is a source filter of FFMS2", "where AviSynth+ loads its plugins."},
      {"FFMS2 at hand in our own copy",
       failed("Script error: There is no function named 'FFVideoSource'"), otherBundled,
       "FFVideoSource is a source filter of FFMS2", "or choose /b/libavisynth.so"},
      {"another plugin's filter: not ours to offer",
       failed("Script error: There is no function named 'LWLibavVideoSource'"), otherBundled,
       "LWLibavVideoSource is a source filter of L-SMASH-Works", "loads its plugins."},
      {"a typo is the template's own", failed("Script error: There is no function named 'Blnk'"),
       plain, "", ""},
      {"good", ScriptCheck{}, plain, "", ""},
  };
  for (const Case& c : cases) {
    const std::string advice = adviceFor(c.check, c.context);
    if (c.starts.empty()) {
      EXPECT_EQ(advice, "") << c.name;
      continue;
    }
    EXPECT_EQ(advice.rfind(c.starts, 0), 0u) << c.name << ": " << advice;
    EXPECT_NE(advice.find(c.holds), std::string::npos) << c.name << ": " << advice;
  }
  // The other plugin's advice never offers FFMS2's copy.
  EXPECT_EQ(adviceFor(failed("There is no function named 'BSVideoSource'"), otherBundled)
                .find("/b/libavisynth.so"),
            std::string::npos);
}

}  // namespace
}  // namespace clipquill
