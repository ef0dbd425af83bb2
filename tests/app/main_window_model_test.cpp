// SPDX-License-Identifier: GPL-3.0-or-later
// The model's start-up: the default template's search, the start-up load
// with its settings file and flags, and what a failed start-up load leaves.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/model_fixture.h"
#include "core/messages.h"

namespace clipquill {
namespace {

TEST_F(Model, StartsOnTheDefaultTemplateOrTheOnlyArgument) {
  writeFile(app + "DefaultTemplate.qtpl", "default\r\n");
  writeFile(at("/t.qtpl"), "chosen\r\n");
  struct Case {
    std::vector<std::string> args;
    std::string path;
    std::string text;  // the template's lines, each followed by "\n"
  } cases[] = {
      {{}, app + "DefaultTemplate.qtpl", "default\n"},
      {{at("/t.qtpl")}, at("/t.qtpl"), "chosen\n"},
      {{at("/t.qtpl"), "x"}, app + "DefaultTemplate.qtpl", "default\n"},
      {{at("/missing.qtpl")}, at("/missing.qtpl"), ""},
  };
  for (const Case& c : cases) {
    ScriptedForm fresh;
    MainWindowModel m{{*folders, *scripts, *files, registry, fresh}};
    m.start({app + "clipquill", c.args, at("/home")});
    EXPECT_EQ(m.state().templatePath, c.path);
    EXPECT_EQ(m.templateText().text(), c.text);
    EXPECT_EQ(m.state().programFolder, app);
    EXPECT_EQ(m.fieldText(Field::Source), at("/home/"));
    EXPECT_EQ(m.clips().folder(), at("/home"));
    EXPECT_FALSE(m.state().modified);
    EXPECT_FALSE(m.state().starting);
    // The load flag is on and there is no settings file: no filters at all.
    EXPECT_EQ(m.filters().count(), 0u);
    EXPECT_TRUE(fresh.questions.empty() && fresh.errors.empty());
  }
}

// An installed copy: the program in <prefix>/bin, its default template in
// the data folder found from there. One beside the program still comes first.
TEST_F(Model, TheDefaultTemplateIsLookedForBesideTheProgramThenInTheInstalledFolder) {
  const std::string bin = at("/prefix/bin/");
  const std::string share = joinRelativeFolder(bin, installedDataFolder());
  std::filesystem::create_directories(bin);
  std::filesystem::create_directories(share);
  struct Case {
    bool beside, installed;
    std::string folder;
    std::string text;
  } cases[] = {
      {false, true, share, "installed\n"},
      {true, true, bin, "beside\n"},
      {true, false, bin, "beside\n"},
      {false, false, bin, ""},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(bin + "DefaultTemplate.qtpl");
    std::filesystem::remove(share + "DefaultTemplate.qtpl");
    std::filesystem::remove(share + "DefaultTemplate.ini");
    if (c.beside) writeFile(bin + "DefaultTemplate.qtpl", "beside\r\n");
    if (c.installed) {
      writeFile(share + "DefaultTemplate.qtpl", "installed\r\n");
      writeFile(share + "DefaultTemplate.ini", ini(clips));
    }
    ScriptedForm fresh;
    MainWindowModel m{{*folders, *scripts, *files, registry, fresh}};
    m.start({bin + "clipquill", {}, at("/home")});
    EXPECT_EQ(m.state().programFolder, bin);
    EXPECT_EQ(m.state().templateFolder, c.folder);
    EXPECT_EQ(m.state().templateName, "DefaultTemplate.qtpl");
    EXPECT_EQ(m.state().templatePath, c.folder + "DefaultTemplate.qtpl");
    EXPECT_EQ(m.state().settingsFolder, c.folder);
    EXPECT_EQ(m.templateText().text(), c.text);
    // The installed settings file is read with its template.
    EXPECT_EQ(m.fieldText(Field::Source), c.folder == share ? clips : at("/home/"));
    EXPECT_TRUE(fresh.errors.empty());
  }

  // Saving the installed default goes where the user chose, with its
  // settings file; the installed folder is never written.
  writeFile(share + "DefaultTemplate.qtpl", "installed\r\n");
  model.start({bin + "clipquill", {}, at("/home")});
  ASSERT_EQ(model.state().templateFolder, share);
  model.setTemplateText("mine");
  user.saveChoices.push_back(FileChoice{at("/DefaultTemplate.qtpl"), 1});
  user.answers.push_back(Answer::Save);
  EXPECT_TRUE(model.requestClose());
  EXPECT_EQ(user.savePresets, std::vector<std::string>{"DefaultTemplate.qtpl"});
  EXPECT_EQ(model.state().templateFolder, at("/"));
  EXPECT_EQ(readFile(at("/DefaultTemplate.qtpl")), "mine\r\n");
  EXPECT_TRUE(std::filesystem::exists(at("/DefaultTemplate.ini")));
  EXPECT_EQ(readFile(share + "DefaultTemplate.qtpl"), "installed\r\n");
  EXPECT_FALSE(std::filesystem::exists(share + "DefaultTemplate.ini"));
}

// The user's own default template comes before the one beside the program
// and the installed one; each that is missing hands on to the next.
// The shipped default template's save starts in the user's own folder, made
// when missing; any other template's in its own folder.
TEST_F(Model, TheShippedDefaultIsSavedAsTheUsersOwn) {
  writeFile(app + "DefaultTemplate.qtpl", "default\r\n");
  const std::string userDir = at("/home/.config/Clipquill/");
  model.start({app + "clipquill", {}, at("/home"), userDir});
  EXPECT_EQ(model.state().templateFolder, app);
  EXPECT_EQ(model.saveDialogFolder(), userDir);
  EXPECT_TRUE(std::filesystem::is_directory(userDir));
  EXPECT_EQ(model.state().templateName, "DefaultTemplate.qtpl");  // the name proposed

  writeFile(at("/t.qtpl"), "t\r\n");
  ScriptedForm fresh;
  MainWindowModel other{{*folders, *scripts, *files, registry, fresh}};
  other.start({app + "clipquill", {at("/t.qtpl")}, at("/home"), userDir});
  EXPECT_EQ(other.saveDialogFolder(), at("/"));
}

TEST_F(Model, TheUsersOwnDefaultTemplateComesFirst) {
  const std::string own = at("/config/Clipquill/");
  const std::string share = joinRelativeFolder(app, installedDataFolder());
  std::filesystem::create_directories(own);
  std::filesystem::create_directories(share);
  struct Case {
    bool own, beside, installed;
    std::string folder;
  } cases[] = {
      {true, true, true, own},   {false, true, true, app},   {false, false, true, share},
      {true, false, false, own}, {false, false, false, app},
  };
  for (const Case& c : cases) {
    for (const std::string& folder : {own, app, share}) {
      std::filesystem::remove(folder + "DefaultTemplate.qtpl");
    }
    if (c.own) writeFile(own + "DefaultTemplate.qtpl", "own\r\n");
    if (c.beside) writeFile(app + "DefaultTemplate.qtpl", "beside\r\n");
    if (c.installed) writeFile(share + "DefaultTemplate.qtpl", "installed\r\n");
    ScriptedForm fresh;
    MainWindowModel m{{*folders, *scripts, *files, registry, fresh}};
    m.start({app + "clipquill", {}, at("/home"), own});
    EXPECT_EQ(m.state().templatePath, c.folder + "DefaultTemplate.qtpl")
        << c.own << c.beside << c.installed;
  }
}

// "Save as Default Template" writes the user's own default with its settings
// file and makes its folder, and the config folder only inside a home that
// exists. The next start loads it.
TEST_F(Model, SaveAsDefaultTemplateWritesTheUsersOwnAndStartUpLoadsIt) {
  const std::string home = at("/home");
  const std::string own = at("/home/.config/Clipquill/");
  model.start({app + "clipquill", {}, home, own});
  model.setTemplateText("mine");
  model.setFieldText(Field::ScriptName, "*_mine");
  EXPECT_EQ(model.saveDefaultTemplate(), SaveOutcome::Saved);
  EXPECT_EQ(readFile(own + "DefaultTemplate.qtpl"), "mine\r\n");
  EXPECT_NE(readFile(own + "DefaultTemplate.ini").find("ScriptName=*_mine"), std::string::npos);
  EXPECT_EQ(model.state().templatePath, own + "DefaultTemplate.qtpl");
  EXPECT_FALSE(model.state().modified);
  EXPECT_TRUE(user.saveIndices.empty());  // no dialog

  // Saving again asks before replacing it; Cancel keeps the file.
  model.setTemplateText("other");
  user.answers.push_back(Answer::Cancel);
  EXPECT_EQ(model.saveDefaultTemplate(), SaveOutcome::OverwriteDeclined);
  EXPECT_EQ(readFile(own + "DefaultTemplate.qtpl"), "mine\r\n");

  ScriptedForm next;
  MainWindowModel m{{*folders, *scripts, *files, registry, next}};
  m.start({app + "clipquill", {}, home, own});
  EXPECT_EQ(m.templateText().text(), "mine\n");
  EXPECT_EQ(m.fieldText(Field::ScriptName), "*_mine");

  // No folder is made above an existing one: a config folder below a
  // missing folder, or no folder at all, fails and leaves nothing behind.
  const struct {
    std::string userFolder;
    std::string message;
  } refused[] = {
      {at("/missing/config/Clipquill/"), kMissingParentMessage},
      {"", std::string(msg::kNoUserFolder) + "."},
  };
  for (const auto& r : refused) {
    ScriptedForm form;
    MainWindowModel refusing{{*folders, *scripts, *files, registry, form}};
    refusing.start({app + "clipquill", {}, home, r.userFolder});
    EXPECT_FALSE(refusing.event([&] { refusing.saveDefaultTemplate(); }));
    EXPECT_EQ(form.errors, std::vector<std::string>{r.message});
  }
  EXPECT_FALSE(std::filesystem::exists(at("/missing")));
}

// The installed default template with its settings file: AVI clips checked,
// the other common kinds listed unchecked, the clip list on the home folder
// showing the AVI clips only, and a comment naming a source filter for each
// kind.
TEST_F(Model, TheShippedDefaultTemplateListsAviClipsAndNamesAFilterForEachKind) {
  const std::string share = joinRelativeFolder(app, installedDataFolder());
  std::filesystem::create_directories(share);
  for (const char* name : {"DefaultTemplate.qtpl", "DefaultTemplate.ini"}) {
    std::filesystem::copy_file(std::string(CLIPQUILL_RESOURCES_DIR) + "/" + name, share + name);
  }
  const std::string home = at("/home/");
  for (const char* clip : {"a.avi", "b.mkv", "c.MP4", "d.d2v", "e.txt"})
    writeFile(home + clip, "");
  model.start({app + "clipquill", {}, at("/home")});
  EXPECT_TRUE(user.errors.empty());
  EXPECT_EQ(model.state().templatePath, share + "DefaultTemplate.qtpl");
  std::vector<std::string> checked, unchecked;
  for (const FilterEntry& entry : model.filters().entries()) {
    (entry.state == CheckState::Checked ? checked : unchecked).push_back(entry.text);
  }
  EXPECT_EQ(checked, std::vector<std::string>{"avi"});
  EXPECT_EQ(unchecked, (std::vector<std::string>{"mkv", "mp4", "m2ts", "ts", "mov", "mpg", "vob",
                                                 "wmv", "d2v"}));
  // The settings name no source folder: the box keeps the home folder.
  EXPECT_EQ(model.fieldText(Field::Source), home);
  EXPECT_EQ(entries(), std::vector<std::string>{"a.avi"});
  EXPECT_FALSE(model.state().modified);

  const std::string text = model.templateText().text();
  for (const char* filter : {"AVISource", "FFmpegSource2", "LWLibavVideoSource", "MPEG2Source",
                             "DirectShowSource", ".mkv", ".m2ts", ".d2v"}) {
    EXPECT_NE(text.find(filter), std::string::npos) << filter;
  }
}

#if !defined(_WIN32)  // FIFOs and devices are POSIX's; Windows has its own test of the same rule
// Only a regular file is read: a template path that names a folder, a FIFO,
// a device or runs through a file reads nothing and says nothing, and the
// load goes on to the flags and the settings file; a FIFO as the settings
// file or as a flag value reads as missing. None of them may block.
TEST_F(Model, ALoadReadsOnlyRealFilesAndGoesOn) {
  const std::string d = at("/");
  std::filesystem::create_directory(d + "folder.qtpl");
  ASSERT_EQ(::mkfifo((d + "fifo.qtpl").c_str(), 0644), 0);
  ASSERT_EQ(::mkfifo((d + "real.ini").c_str(), 0644), 0);
  writeFile(d + "real.qtpl", "line\r\n");
  writeFile(d + "file.qtpl", "x");
  for (const char* stem : {"folder", "fifo", "flag"})
    writeFile(d + stem + ".ini", ini(clips));
  std::filesystem::create_directories(d + "registry/Software/Clipquill/flag");
  ASSERT_EQ(::mkfifo((d + "registry/Software/Clipquill/flag/LoadInis").c_str(), 0644), 0);
  writeFile(d + "flag.qtpl", "flagged\r\n");
  struct Case {
    std::string path;
    std::string text;
    bool settingsApplied;
  } cases[] = {
      {d + "folder.qtpl", "", true},        {d + "fifo.qtpl", "", true},
      {d + "file.qtpl/x.qtpl", "", false},  {"/dev/zero", "", false},
      {d + "real.qtpl", "line\n", false},    // its settings file is a FIFO
      {d + "flag.qtpl", "flagged\n", true},  // its load flag is a FIFO: checked
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    ScriptedForm fresh;
    MainWindowModel m{{*folders, *scripts, *files, registry, fresh}};
    m.start({app + "clipquill", {c.path}, at("/home")});
    EXPECT_EQ(fresh.errors, std::vector<std::string>{});
    EXPECT_EQ(m.templateText().text(), c.text);
    EXPECT_TRUE(m.optionFlags().loadInis);
    EXPECT_EQ(m.fieldText(Field::Source), c.settingsApplied ? clips : at("/home/"));
    EXPECT_FALSE(m.state().modified);
  }
}
#endif

TEST_F(Model, StartUpAppliesTheSettingsFileAndItsFlags) {
  const std::string tpl = at("/Hall.qtpl");
  writeFile(tpl, "AviSource(\"<P><F>\")\r\n");
  writeFile(at("/Hall.ini"),
            ini(clips, "[FilterBy]\r\nExt0=avs\r\nExt1=avi\r\n[FilterState]\r\nExt0State=1\r\n"));
  start({tpl});
  EXPECT_EQ(model.fieldText(Field::Source), clips);
  EXPECT_EQ(model.fieldText(Field::ScriptName), "*_new");
  EXPECT_EQ(model.clips().mask(), "*.avs");
  EXPECT_EQ(entries(), std::vector<std::string>{"a.avs"});
  EXPECT_EQ(model.state().settingsName, "Hall.ini");
  EXPECT_FALSE(model.state().modified);
  EXPECT_TRUE(user.errors.empty());

  // Stored as unchecked, the load flag keeps the settings file out.
  auto key = registry.openOrCreate("Software\\Clipquill\\Hall");
  ASSERT_TRUE(key && key->setDword("LoadInis", 0));
  ScriptedForm fresh;
  MainWindowModel m{{*folders, *scripts, *files, registry, fresh}};
  m.start({app + "clipquill", {tpl}, at("/home")});
  EXPECT_FALSE(m.optionFlags().loadInis);
  EXPECT_TRUE(m.optionFlags().saveInis);
  EXPECT_EQ(m.fieldText(Field::Source), at("/home/"));
  EXPECT_EQ(m.filters().count(), 4u);  // the start-up entries stay
}

// A template without a settings file empties the filter list, and the clip
// list follows: an empty list masks nothing. A load that leaves the list as
// it was re-reads nothing.
TEST_F(Model, ALoadThatEmptiesTheFiltersRebuildsTheClipList) {
  const std::string hall = at("/Hall.qtpl");
  const std::string bare = at("/Bare.qtpl");
  writeFile(hall, "a\r\n");
  writeFile(bare, "b\r\n");
  writeFile(at("/Hall.ini"), ini(clips,
                                 "[FilterBy]\r\nExt0=avi\r\nExt1=mpg\r\n[FilterState]\r\n"
                                 "Ext0State=1\r\nExt1State=1\r\n"));
  start({hall});
  EXPECT_EQ(entries(), (std::vector<std::string>{"b.avi", "c.mpg"}));
  const struct {
    const char* what;
    std::string path;
    std::string mask;
    std::vector<std::string> entries;
  } steps[] = {
      {"no settings file", bare, "*.*", {"a.avs", "b.avi", "c.mpg", "notes.txt"}},
      {"again, nothing to follow", bare, "*.*", {"a.avs", "b.avi", "c.mpg", "notes.txt"}},
      {"its settings back", hall, "*.avi;*.mpg", {"b.avi", "c.mpg"}},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    user.openChoices.push_back(FileChoice{step.path, 1});
    model.event([&] { model.loadTemplate(); });
    EXPECT_EQ(model.clips().mask(), step.mask);
    EXPECT_EQ(entries(), step.entries);
    EXPECT_FALSE(model.state().modified);
  }
  EXPECT_TRUE(user.errors.empty());
}

// A settings file naming a folder that is gone: at start-up the error ends
// the load; in the running window it ends only the field's change, and the
// load reads on.
TEST_F(Model, AMissingClipFolderEndsTheStartUpLoadButNotALaterOne) {
  const std::string tpl = at("/t.qtpl");
  writeFile(tpl, "x\r\n");
  writeFile(at("/t.ini"), ini(at("/gone"), "[FilterBy]\r\nExt0=avs\r\n"));
  start({tpl});
  EXPECT_EQ(user.errors, std::vector<std::string>{"File not found."});
  EXPECT_EQ(model.fieldText(Field::ScriptName), "");  // never reached
  EXPECT_EQ(model.filters().count(), 0u);
  EXPECT_FALSE(model.state().starting);
  EXPECT_FALSE(model.state().modified);  // the user changed nothing
  EXPECT_EQ(model.clips().folder(), at("/home"));

  // The field still holds the text that failed; typing elsewhere first
  // makes the next load's text a change again.
  model.setFieldText(Field::Source, clips);
  user.errors.clear();
  user.openChoices.push_back(FileChoice{tpl, 1});
  user.answers.push_back(Answer::No);  // the save prompt: unsaved changes remain
  EXPECT_TRUE(model.event([&] { model.loadTemplate(); }));
  EXPECT_EQ(user.errors, std::vector<std::string>{"File not found."});
  EXPECT_EQ(model.fieldText(Field::ScriptName), "*_new");
  EXPECT_EQ(model.fieldText(Field::Destination), out);
  EXPECT_EQ(model.filters().count(), 1u);
  EXPECT_FALSE(model.state().modified);
}

}  // namespace
}  // namespace clipquill
