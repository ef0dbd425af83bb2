// SPDX-License-Identifier: GPL-3.0-or-later
// The check's part of the model: the helper's options as stored and as
// chosen for one check, and which scripts a run leaves to be checked.
#include "app/script_checks.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "app/model_fixture.h"
#include "app/process_environment.h"
#include "persist/check_settings.h"

namespace clipquill {
namespace {

// What a check is given over what is stored: the choice wins, field by field.
TEST_F(Model, TheHelpersOptionsAreTheStoredOnesUnderWhatIsChosen) {
  struct Case {
    const char* what;
    CheckSettings stored;
    CheckChoice choice;
    std::string library;  // the library loaded
    long long seconds;
    AvisynthOrigin first;  // where AviSynth+ is looked for first
    std::size_t places;    // and in how many places
  };
  const std::vector<Case> cases = {
      {"nothing stored or chosen", {"", 10}, {}, "", 10, AvisynthOrigin::System, 1},
      {"stored",
       {"/opt/a/libavisynth.so", 20},
       {},
       "/opt/a/libavisynth.so",
       20,
       AvisynthOrigin::Options,
       2},
      {"chosen over stored",
       {"/opt/a/libavisynth.so", 20},
       {.library = "/opt/b/libavisynth.so", .timeLimitSeconds = 5u},
       "/opt/b/libavisynth.so",
       5,
       AvisynthOrigin::Named,
       1},
      {"the time alone chosen",
       {"/opt/a/libavisynth.so", 20},
       {.library = "", .timeLimitSeconds = 3u},
       "/opt/a/libavisynth.so",
       3,
       AvisynthOrigin::Options,
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(writeCheckSettings(registry, "Clipquill", c.stored));
    const CheckerOptions options =
        checkerOptions(registry, "Clipquill", "/bin/helper", at("/none/"), c.choice, {"/clips/"});
    EXPECT_EQ(options.library, c.library);
    EXPECT_EQ(options.timeLimit, std::chrono::seconds(c.seconds));
    EXPECT_EQ(options.helper, "/bin/helper");
    EXPECT_EQ(options.writableFolders, std::vector<std::string>{"/clips/"});
    ASSERT_EQ(options.places.size(), c.places);
    EXPECT_EQ(options.places.front().origin, c.first);
  }
  const CheckerOptions bounded =
      checkerOptions(registry, "Clipquill", "", at("/none/"),
                     {.memoryLimit = 1u << 30, .pluginFolders = {"/p"}, .frame = 4}, {});
  EXPECT_EQ(bounded.memoryLimit, 1u << 30);
  EXPECT_EQ(bounded.pluginFolders, std::vector<std::string>{"/p"});
  EXPECT_EQ(bounded.frame, 4);
}

// The window's check runs the command line beside the program, and may write
// in the clips' folders: the last run's and the field's.
TEST_F(Model, TheWindowsCheckMayWriteWhereTheClipsAre) {
  start();
  model.setTemplateText("AviSource(\"<P><F>\")\n");
  model.setFieldText(Field::Source, clips);
  CheckerOptions options = model.checkOptions();
  EXPECT_EQ(options.helper, app + programFileName("clipquill-cli"));
  EXPECT_EQ(options.writableFolders, std::vector<std::string>{clips});

  model.setFieldText(Field::Destination, out);
  model.toggleSelectAll();
  ASSERT_EQ(model.createScripts(), RunOutcome::Completed);
  model.setFieldText(Field::Source, at("/home/"));
  options = model.checkOptions();
  EXPECT_EQ(options.writableFolders, (std::vector<std::string>{clips, at("/home/")}));

  ASSERT_TRUE(model.event([&] { model.setAvisynthLibrary("/opt/x/libavisynth.so"); }));
  EXPECT_EQ(model.avisynthLibrary(), "/opt/x/libavisynth.so");
  EXPECT_EQ(model.checkOptions().library, "/opt/x/libavisynth.so");
}

// A run's scripts are checked however it ended, but a run refused before it
// began leaves an older run's list: that is not checked again.
TEST_F(Model, TheScriptsCheckedAreThoseTheLastRunListed) {
  start();
  model.setTemplateText("AviSource(\"<P><F>\")\n");
  model.setFieldText(Field::Source, clips);
  model.setFieldText(Field::ScriptName, "*_c");
  model.toggleSelectAll();
  EXPECT_TRUE(model.lastRunScripts().empty());  // no run yet

  struct Step {
    const char* what;
    std::string destination;
    std::vector<std::string> checked;
  };
  const std::vector<Step> steps = {
      {"refused: no destination", "", {}},
      {"written", out, {out + "a_c.avs", out + "b_c.avs", out + "c_c.avs", out + "notes_c.avs"}},
      {"refused after a run that wrote", "", {}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    model.setFieldText(Field::Destination, step.destination);
    model.event([&] { model.createScripts(); });
    EXPECT_EQ(model.lastRunScripts(), step.checked);
  }
  // The refused run left the written run's list on screen.
  EXPECT_EQ(model.createdScripts().size(), 5u);
}

}  // namespace
}  // namespace clipquill
