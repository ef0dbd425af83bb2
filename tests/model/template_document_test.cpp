// SPDX-License-Identifier: GPL-3.0-or-later
// The model's template document: save, load with its settings and flags,
// the command line's direct calls, the close prompt and the recent templates.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/messages.h"
#include "model/model_fixture.h"

namespace clipquill {
namespace {

TEST_F(Model, SaveFollowsTheDialogTheExtensionRuleAndTheOverwriteQuestion) {
  start();
  std::filesystem::create_directory(at("/my.dir"));
  model.setTemplateText("abc\n");
  struct Case {
    std::string chosen;
    int type;
    std::string written;
  } cases[] = {
      {at("/new"), 2, at("/new.avs")},
      {at("/my.dir/new"), 2, at("/my.dir/new")},
      {at("/plain"), 4, at("/plain")},
      {at("/t"), 1, at("/t.qtpl")},
  };
  int previousType = 1;
  for (const Case& c : cases) {
    model.setFieldText(Field::ScriptName, c.written);  // something to save
    user.saveChoices.push_back(FileChoice{c.chosen, c.type});
    EXPECT_EQ(model.saveTemplate(), SaveOutcome::Saved);
    EXPECT_EQ(user.saveIndices.back(), previousType) << "the dialog keeps its index";
    previousType = c.type;
    EXPECT_EQ(model.state().templatePath, c.written);
    EXPECT_EQ(readFile(c.written), "abc\r\n");
    EXPECT_FALSE(model.state().modified);
  }
  EXPECT_EQ(user.savePresets.back(), "plain");

  // Declined: nothing written, the mark kept, the paths name the declined file.
  model.setTemplateText("changed");
  user.saveChoices.push_back(FileChoice{at("/new.avs"), 1});
  user.answers.push_back(Answer::Cancel);
  EXPECT_EQ(model.saveTemplate(), SaveOutcome::OverwriteDeclined);
  EXPECT_EQ(user.questions.back(), msg::overwriteQuestion(at("/new.avs")));
  EXPECT_EQ(readFile(at("/new.avs")), "abc\r\n");
  EXPECT_TRUE(model.state().modified);
  EXPECT_EQ(model.state().templateName, "new.avs");
  // A cancelled dialog leaves the mark, so the next close still asks.
  EXPECT_EQ(model.saveTemplate(), SaveOutcome::DialogCancelled);
  EXPECT_EQ(user.savePresets.back(), "new.avs");
  EXPECT_TRUE(model.state().modified);
}

TEST_F(Model, ASavedTemplateLoadsBackWithItsSettingsAndFlags) {
  start();
  model.setTemplateText("line 1\nline 2");
  model.setFieldText(Field::Source, clips);
  model.setFieldText(Field::ScriptName, "*_s");
  model.setFieldText(Field::Destination, out);
  model.applyFilterEditor({"avs", "avi"});
  model.toggleFilter(1);
  model.toggleLoadInis();
  model.toggleLoadInis();
  user.saveChoices.push_back(FileChoice{at("/Hall"), 1});
  ASSERT_EQ(model.saveTemplate(), SaveOutcome::Saved);
  EXPECT_EQ(readFile(at("/Hall.ini")),
            "[Entries]\r\nClipLoc=" + clips +
                "\r\nClipName=\r\nScriptName=*_s\r\nScriptDest=" + out +
                "\r\n[FilterBy]\r\nExt0=avs\r\nExt1=avi\r\n[FilterState]\r\nExt0State=0\r\n"
                "Ext1State=1\r\n");
  EXPECT_EQ(readFile(at("/registry/Software/Clipquill/Hall/LoadInis")), "dword:00000001");

  ScriptedForm fresh;
  MainWindowModel m{{*folders, *scripts, *files, registry, fresh}};
  m.start({app + "clipquill", {at("/Hall.qtpl")}, at("/home")});
  EXPECT_EQ(m.templateText().text(), "line 1\nline 2\n");
  EXPECT_EQ(m.filters().entries(), model.filters().entries());
  EXPECT_EQ(m.clips().entries(), std::vector<std::string>{"b.avi"});
  EXPECT_EQ(m.fieldText(Field::Destination), out);

  // With the save flag off only the template and the flags are written.
  m.toggleSaveInis();
  fresh.saveChoices.push_back(FileChoice{at("/Other.qtpl"), 1});
  ASSERT_EQ(m.saveTemplate(), SaveOutcome::Saved);
  EXPECT_FALSE(std::filesystem::exists(at("/Other.ini")));
  EXPECT_EQ(readFile(at("/registry/Software/Clipquill/Other/SaveInis")), "dword:00000000");
}

// The command line's direct calls: a save to a path with a type opens no
// dialog but follows its rules, and a start-up without the settings file
// leaves the stored flags as they are.
TEST_F(Model, DirectCallsSaveToAPathAndStartWithoutTheSettings) {
  start();
  model.setTemplateText("abc\n");
  ASSERT_EQ(model.saveTemplateAs(at("/Hall"), 1), SaveOutcome::Saved);
  EXPECT_EQ(model.saveTypeIndex(), 1);
  EXPECT_EQ(readFile(at("/Hall.qtpl")), "abc\r\n");
  EXPECT_TRUE(std::filesystem::exists(at("/Hall.ini")));
  EXPECT_TRUE(user.savePresets.empty()) << "no dialog";
  user.answers.push_back(Answer::Cancel);
  EXPECT_EQ(model.saveTemplateAs(at("/Hall.qtpl"), 4), SaveOutcome::OverwriteDeclined);
  writeFile(at("/Hall.ini"), ini(clips));

  struct Case {
    bool withSettings;
    std::string destination;
  } cases[] = {{true, out}, {false, ""}};
  for (const Case& c : cases) {
    ScriptedForm fresh;
    MainWindowModel m{{*folders, *scripts, *files, registry, fresh}};
    m.start({.executablePath = app + "clipquill",
             .args = {at("/Hall.qtpl")},
             .homeFolder = at("/home"),
             .withSettings = c.withSettings});
    EXPECT_EQ(m.fieldText(Field::Destination), c.destination) << c.withSettings;
    EXPECT_TRUE(m.optionFlags().loadInis) << "the flag as stored";
    EXPECT_FALSE(m.state().modified);
    EXPECT_TRUE(fresh.errors.empty());
  }
}

// The question's Cancel, a cancelled open dialog and a save that saved
// nothing each leave the edits as they are; only a chosen template replaces them.
TEST_F(Model, LoadTouchesTheEditorOnlyOnceATemplateIsChosen) {
  const std::string tpl = at("/t.qtpl");
  writeFile(tpl, "on disk\r\n");
  start({tpl});
  struct Case {
    const char* what;
    std::vector<Answer> answers;
    std::optional<FileChoice> save, open;
    std::string text;
    std::size_t dialogs;  // open dialogs shown
  } cases[] = {
      {"Cancel", {Answer::Cancel}, std::nullopt, FileChoice{tpl, 1}, "unsaved\n", 0},
      {"No, dialog cancelled", {Answer::No}, std::nullopt, std::nullopt, "unsaved\n", 1},
      {"Yes, save cancelled", {Answer::Yes}, std::nullopt, FileChoice{tpl, 1}, "unsaved\n", 0},
      {"No, chosen", {Answer::No}, std::nullopt, FileChoice{tpl, 1}, "on disk\n", 1},
      {"No, a new name", {Answer::No}, std::nullopt, FileChoice{tpl + ".new", 1}, "", 1},
  };
  for (const Case& c : cases) {
    model.setTemplateText("unsaved");
    user.answers.assign(c.answers.begin(), c.answers.end());
    user.saveChoices = {c.save};
    user.openChoices = {c.open};
    const std::size_t opened = user.openIndices.size();
    model.loadTemplate();
    EXPECT_EQ(user.questions.back(), msg::kSaveTemplatePrompt) << c.what;
    EXPECT_EQ(user.openIndices.size() - opened, c.dialogs) << c.what;
    EXPECT_EQ(model.templateText().text(), c.text) << c.what;
    EXPECT_EQ(model.state().modified, c.text == "unsaved\n") << c.what;
  }

  // A save from the prompt that fails ends the load before the editor is
  // touched. A file where a folder should be makes the write fail.
  writeFile(at("/file"), "");
  model.setTemplateText("unsaved");
  user.answers = {Answer::Yes};
  user.saveChoices.clear();
  user.openChoices.clear();
  user.saveChoices.push_back(FileChoice{at("/file/t.qtpl"), 1});
  EXPECT_FALSE(model.event([&] { model.loadTemplate(); }));
  EXPECT_EQ(user.errors, std::vector<std::string>{"Invalid filename."});
  EXPECT_EQ(model.templateText().text(), "unsaved\n");
  EXPECT_TRUE(model.state().modified);

  // The open dialog keeps the index of its last completed use.
  user.answers.push_back(Answer::No);
  user.openChoices.push_back(FileChoice{tpl, 3});
  model.loadTemplate();
  model.loadTemplate();
  EXPECT_EQ(user.openIndices.back(), 3);
}

// Only "Don't Save" or a save that went through let the window close with
// unsaved changes; every other way out keeps the work.
TEST_F(Model, CloseAsksOnlyWithUnsavedChangesAndClosesOnlyOnceSavedOrDiscarded) {
  writeFile(at("/file"), "");
  struct Case {
    const char* what;
    bool modified;
    std::vector<Answer> answers;
    std::optional<FileChoice> dialog;
    bool closes;
    bool modifiedAfter;
  } cases[] = {
      {"nothing to save", false, {}, std::nullopt, true, false},
      {"Cancel", true, {Answer::Cancel}, std::nullopt, false, true},
      {"Don't Save", true, {Answer::DontSave}, std::nullopt, true, true},
      {"Save, dialog cancelled", true, {Answer::Save}, std::nullopt, false, true},
      {"Save, replacement declined",
       true,
       {Answer::Save, Answer::Cancel},
       FileChoice{at("/file"), 4},
       false,
       true},
      {"Save, saved", true, {Answer::Save}, FileChoice{at("/c.qtpl"), 1}, true, false},
      {"Save, save fails", true, {Answer::Save}, FileChoice{at("/file/c.qtpl"), 1}, false, true},
  };
  for (const Case& c : cases) {
    ScriptedForm fresh;
    MainWindowModel m{{*folders, *scripts, *files, registry, fresh}};
    m.start({app + "clipquill", {}, at("/home")});
    if (c.modified) m.setTemplateText("text");
    fresh.answers.assign(c.answers.begin(), c.answers.end());
    fresh.saveChoices.push_back(c.dialog);
    EXPECT_EQ(m.requestClose(), c.closes) << c.what;
    EXPECT_EQ(m.state().modified, c.modifiedAfter) << c.what;
    EXPECT_EQ(fresh.questions.size(), c.modified ? c.answers.size() : 0u) << c.what;
    EXPECT_EQ(fresh.errors.size(), c.what == std::string("Save, save fails") ? 1u : 0u) << c.what;
    EXPECT_EQ(readFile(at("/file")), "") << c.what;
  }
}

#if !defined(_WIN32)  // Permission bits; Windows has access lists
// Refused access, for real: a folder the user may not write and a flags store
// the user may not change. The save fails before the flags, and the flags
// store's refusal alone costs no message.
TEST_F(Model, UnprivilegedRefusedFoldersFailTheSaveButNeverSilently) {
  if (::geteuid() == 0) GTEST_SKIP() << "root ignores permission bits";
  std::filesystem::create_directory(at("/locked"));
  std::filesystem::create_directory(at("/registry"));
  ASSERT_EQ(::chmod((at("/locked")).c_str(), 0555), 0);
  ASSERT_EQ(::chmod((at("/registry")).c_str(), 0555), 0);
  start();
  model.setTemplateText("text");
  user.saveChoices.push_back(FileChoice{at("/locked/t.qtpl"), 1});
  EXPECT_FALSE(model.event([&] { model.saveTemplate(); }));
  EXPECT_EQ(user.errors, std::vector<std::string>{"File access denied."});
  EXPECT_TRUE(model.state().modified);

  user.saveChoices.push_back(FileChoice{at("/t.qtpl"), 1});
  EXPECT_EQ(model.saveTemplate(), SaveOutcome::Saved);
  EXPECT_EQ(readFile(at("/t.qtpl")), "text\r\n");
  EXPECT_TRUE(user.questions.empty());
  EXPECT_FALSE(std::filesystem::exists(at("/registry/Software")));
}
#endif

// The recent list: loads and saves of real files, latest first, kept per
// user; one picked from it asks what Load Template asks, and one that is
// gone is said so before any question and leaves the list.
TEST_F(Model, RecentTemplatesComeFromLoadsAndSavesAndLoadAsLoadTemplateDoes) {
  std::filesystem::create_directory(at("/cfg"));
  UserSettings settings(*files, userConfigPlaceIn(at("/cfg")));
  const std::string a = at("/a.qtpl"), b = at("/b.qtpl");
  writeFile(a, "a\r\n");
  writeFile(b, "b\r\n");
  start({a});
  model.useUserSettings(&settings);
  EXPECT_TRUE(model.recentTemplates().empty());  // read before this start
  user.openChoices.push_back(FileChoice{b, 1});
  model.loadTemplate();
  user.openChoices.push_back(FileChoice{at("/new.qtpl"), 1});  // never saved
  model.loadTemplate();
  user.saveChoices.push_back(FileChoice{a, 1});
  user.answers.push_back(Answer::Ok);  // replace a
  model.saveTemplate();
  EXPECT_EQ(model.recentTemplates(), (std::vector<std::string>{a, b}));
  EXPECT_EQ(UserSettings(*files, userConfigPlaceIn(at("/cfg"))).get(kRecentTemplatesKey),
            (std::vector<std::string>{a, b}));

  // Picked from the list with unsaved changes: the save question first.
  model.setTemplateText("typed");
  user.questions.clear();
  user.answers.push_back(Answer::No);
  model.loadTemplateFrom(b);
  EXPECT_EQ(user.questions, std::vector<std::string>{std::string(msg::kSaveTemplatePrompt)});
  EXPECT_EQ(model.templateText().text(), "b\n");
  EXPECT_EQ(user.openIndices.size(), 2u);  // no open dialog
  EXPECT_EQ(model.recentTemplates().front(), b);

  std::filesystem::remove(a);
  model.setTemplateText("typed again");
  user.questions.clear();
  EXPECT_FALSE(model.event([&] { model.loadTemplateFrom(a); }));
  EXPECT_EQ(user.errors.back(), "File not found.");
  EXPECT_TRUE(user.questions.empty());
  EXPECT_EQ(model.templateText().text(), "typed again\n");
  EXPECT_EQ(model.recentTemplates(), std::vector<std::string>{b});

  // A later open dialog is the user's again.
  user.openChoices.push_back(FileChoice{b, 1});
  user.answers.push_back(Answer::No);
  model.loadTemplate();
  EXPECT_EQ(user.openIndices.size(), 3u);
}

TEST_F(Model, TheKeySchemeAndTheDialogFolderAreTheUsers) {
  std::filesystem::create_directory(at("/cfg"));
  const auto place = userConfigPlaceIn(at("/cfg"));
  UserSettings settings(*files, place);
  start();
  model.useUserSettings(&settings);
  EXPECT_EQ(model.keyScheme(), KeyScheme::Specified);
  model.toggleKeyScheme();
  UserSettings again(*files, place);
  ScriptedForm other;
  MainWindowModel second{{*folders, *scripts, *files, registry, other}};
  second.useUserSettings(&again);
  EXPECT_EQ(second.keyScheme(), KeyScheme::Desktop);

  // The default template's folder, then a loaded one's; home once it is gone.
  EXPECT_EQ(model.dialogFolder(), app);
  std::filesystem::create_directory(at("/t"));
  user.openChoices.push_back(FileChoice{at("/t/x.qtpl"), 1});
  model.loadTemplate();
  EXPECT_EQ(model.dialogFolder(), at("/t/"));
  std::filesystem::remove(at("/t"));
  EXPECT_EQ(model.dialogFolder(), at("/home"));
}

}  // namespace
}  // namespace clipquill
