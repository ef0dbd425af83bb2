// SPDX-License-Identifier: GPL-3.0-or-later
// The model's fields: their change events and the modified mark, the clip
// list and filters they drive, the folder picker, typing and drops.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/model_fixture.h"
#include "core/messages.h"

namespace clipquill {
namespace {

TEST_F(Model, EveryChangeSetsTheModifiedMarkAndAnEqualTextNone) {
  start();
  struct Case {
    const char* what;
    std::function<void(MainWindowModel&)> act;
    bool modifies;
  } cases[] = {
      {"source, same text",
       [&](MainWindowModel& m) { m.setFieldText(Field::Source, m.fieldText(Field::Source)); },
       false},
      {"source, one character", [](MainWindowModel& m) { m.setFieldText(Field::Source, "C"); },
       true},
      {"source, same folder without separator",
       [&](MainWindowModel& m) { m.setFieldText(Field::Source, at("/home")); }, true},
      {"source, missing folder",
       [&](MainWindowModel& m) { m.setFieldText(Field::Source, at("/gone")); }, false},
      {"prefix", [](MainWindowModel& m) { m.setFieldText(Field::ClipName, "HL"); }, true},
      {"name pattern", [](MainWindowModel& m) { m.setFieldText(Field::ScriptName, "*"); }, true},
      {"destination", [](MainWindowModel& m) { m.setFieldText(Field::Destination, "d"); }, true},
      {"template", [](MainWindowModel& m) { m.setTemplateText("a\nb"); }, true},
      {"template, same lines", [](MainWindowModel& m) { m.setTemplateText(""); }, false},
      {"filter click", [](MainWindowModel& m) { m.clickFilter(); }, true},
      {"load flag", [](MainWindowModel& m) { m.toggleLoadInis(); }, true},
      {"save flag", [](MainWindowModel& m) { m.toggleSaveInis(); }, true},
      {"filter editor closed", [](MainWindowModel& m) { m.editFilters(); }, true},
      {"join", [](MainWindowModel& m) { m.setJoin(true); }, false},
  };
  for (const Case& c : cases) {
    ScriptedForm fresh;
    MainWindowModel m{{*folders, *scripts, *files, registry, fresh}};
    m.start({app + "clipquill", {}, at("/home")});
    ASSERT_FALSE(m.state().modified);
    c.act(m);
    EXPECT_EQ(m.state().modified, c.modifies) << c.what;
  }
}

TEST_F(Model, TheSourceFieldMovesTheListAndAFailureLeavesItAlone) {
  start();
  model.setFieldText(Field::Source, clips);
  EXPECT_EQ(entries(), (std::vector<std::string>{"a.avs", "b.avi", "c.mpg", "notes.txt"}));
  model.setClipSelected(1, true);
  // The same folder spelt without its separator: no re-read, selection kept.
  model.setFieldText(Field::Source, at("/clips"));
  EXPECT_TRUE(model.clips().isSelected(1));
  model.setFieldText(Field::Source, at("/gone"));
  EXPECT_EQ(user.errors, std::vector<std::string>{"File not found."});
  EXPECT_EQ(model.clips().folder(), at("/clips"));
  EXPECT_EQ(model.clips().count(), 4u);
  // A typed file name is a passing mask until the rebuild that follows.
  model.setFieldText(Field::Source, clips + "*.avi");
  EXPECT_EQ(model.clips().mask(), "*.*");
  model.setFieldText(Field::ClipName, "c");
  EXPECT_EQ(entries(), std::vector<std::string>{"c.mpg"});
}

TEST_F(Model, FilterTogglesAndTheEditorRebuildTheMaskAtOnce) {
  start();
  model.setFieldText(Field::Source, clips);
  model.applyFilterEditor({"avs", "", "avi", "   ", "avi"});
  ASSERT_EQ(model.filters().count(), 4u);
  EXPECT_EQ(model.filters().text(2), "   ");
  EXPECT_EQ(model.clips().mask(), "*.*");
  model.toggleFilter(0);
  model.toggleFilter(1);
  EXPECT_EQ(model.clips().mask(), "*.avs;*.avi");
  EXPECT_EQ(entries(), (std::vector<std::string>{"a.avs", "b.avi"}));
  // Presses in a row, one of them twice, end where pressing each ends.
  model.toggleFilters({3, 1, 3, 2});
  EXPECT_EQ(model.clips().mask(), "*.avs;*.   ");
  EXPECT_EQ(entries(), std::vector<std::string>{"a.avs"});

  // The editor shows the texts; its close box changes nothing but the mark.
  user.editorReplies.push_back(std::nullopt);
  model.editFilters();
  EXPECT_EQ(user.editorShown.back(), (std::vector<std::string>{"avs", "avi", "   ", "avi"}));
  EXPECT_EQ(model.filters().state(0), CheckState::Checked);
  // OK drops the check marks, and the list follows.
  user.editorReplies.push_back(std::vector<std::string>{"mpg", "avs"});
  model.editFilters();
  EXPECT_EQ(model.filters().state(1), CheckState::Unchecked);
  EXPECT_EQ(model.clips().count(), 4u);
}

// The picker opens on the box's text, read against the clip list's folder;
// its folder goes into the box as if typed, and a box naming a missing folder
// is the error box alone.
TEST_F(Model, TheFolderPickerFillsItsBoxAsTyping) {
  start();
  user.picks = {clips, std::nullopt, "fail", out};
  model.event([&] { model.pickSourceFolder(); });
  EXPECT_EQ(model.fieldText(Field::Source), clips);
  EXPECT_EQ(model.clips().folder(), at("/clips"));
  EXPECT_TRUE(model.state().modified);
  model.event([&] { model.pickSourceFolder(); });
  EXPECT_EQ(model.fieldText(Field::Source), clips);
  EXPECT_FALSE(model.event([&] { model.pickDestinationFolder(); }));
  EXPECT_EQ(user.errors, std::vector<std::string>{"File not found."});
  model.event([&] { model.pickDestinationFolder(); });
  EXPECT_EQ(model.fieldText(Field::Destination), out);
  EXPECT_EQ(user.pickedFrom,
            (std::vector<std::string>{"clips:" + at("/home/|") + at("/home"),
                                      "clips:" + clips + "|" + at("/clips"),
                                      "scripts:|" + at("/clips"), "scripts:|" + at("/clips")}));
}

// Typing marks the template at once and reads the editor only when the lines
// are needed, once.
TEST_F(Model, TypedTemplateLinesAreReadBackOnlyWhenNeeded) {
  start();
  struct Editor : TemplateSource {
    int reads = 0;
    TemplateText templateText() override {
      ++reads;
      return TemplateText::fromEditor("typed <F>");
    }
  } editor;
  model.templateTyped(editor);
  model.templateTyped(editor);
  EXPECT_TRUE(model.state().modified);
  EXPECT_EQ(editor.reads, 0);
  EXPECT_EQ(model.templateText().text(), "typed <F>\n");
  EXPECT_EQ(model.templateText().text(), "typed <F>\n");
  EXPECT_EQ(editor.reads, 1);
}

// Dropped clips move the list to their folder and are selected, as far as
// the mask lists them.
TEST_F(Model, DroppedClipsSetTheFolderAndAreSelected) {
  writeFile(at("/Hall.ini"),
            ini(at("/home"), "[FilterBy]\r\nExt0=avi\r\n[FilterState]\r\nExt0State=1\r\n"));
  writeFile(at("/Hall.qtpl"), "x\r\n");
  start({at("/Hall.qtpl")});
  writeFile(clips + "d.avi", "");
  const DropDecision onList =
      model.decideDrop(DropTarget::ClipList, {clips + "d.avi", clips + "c.mpg", clips + "b.avi"});
  ASSERT_EQ(onList.action, DropDecision::SelectClips);
  EXPECT_EQ(model.drop(onList), 2u);  // c.mpg is not listed: no filter shows it
  EXPECT_EQ(model.fieldText(Field::Source), at("/clips"));
  EXPECT_EQ(model.clips().selectedEntries(), (std::vector<std::string>{"b.avi", "d.avi"}));
  EXPECT_TRUE(model.state().modified);

  const DropDecision onDest = model.decideDrop(DropTarget::DestinationField, {out});
  EXPECT_EQ(onDest.action, DropDecision::SetDestination);
  model.drop(onDest);
  EXPECT_EQ(model.fieldText(Field::Destination), out);
}

#if !defined(_WIN32)  // Permission bits; Windows has access lists
// Clips dropped from a folder that cannot be listed: the list stays, and
// nothing in it is selected for the dropped names.
TEST_F(Model, UnprivilegedClipsDroppedFromAnUnreadableFolderSelectNothing) {
  if (::geteuid() == 0) GTEST_SKIP() << "root ignores permission bits";
  start();
  model.setFieldText(Field::Source, clips);
  std::filesystem::create_directory(at("/locked"));
  writeFile(at("/locked/b.avi"), "");
  ASSERT_EQ(::chmod((at("/locked")).c_str(), 0300), 0);
  EXPECT_EQ(model.drop(model.decideDrop(DropTarget::ClipList, {at("/locked/b.avi")})), 0u);
  EXPECT_EQ(model.clips().folder(), at("/clips"));
  EXPECT_EQ(model.clips().selectedCount(), 0u);
  EXPECT_EQ(user.errors, std::vector<std::string>{"File access denied."});
}
#endif

TEST(Keystroke, OneCharacterInAtMostIsAKey) {
  const struct {
    std::string_view before, after;
    bool key;
  } cases[] = {
      {"/t", "/tm", true},      {"/tm", "/t", true},        {"/tmp", "", true},
      {"abc", "aXc", true},     {"", "/tmp/clips", false},  {"/t", "/tmp", false},
      {"a", "a\xc3\xa9", true}, {"/home", "/hXme/", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(isKeystroke(c.before, c.after), c.key) << c.before << " -> " << c.after;
}

// Typing a path key by key: no box takes the keyboard, the list shows no
// clips while the text names no folder, the line says why, and the box
// comes once, when the text is committed. A paste shows its box at once.
TEST_F(Model, TypingAPathHoldsTheFolderErrorUntilTheTextIsCommitted) {
  start();
  model.setFieldText(Field::Source, clips);
  ASSERT_EQ(model.clips().count(), 4u);
  std::string typed;
  for (char c : at("/clips")) {
    typed += c;
    model.typeFieldText(Field::Source, typed);
    if (typed == at("/cl")) {
      EXPECT_EQ(model.clips().count(), 0u);
      EXPECT_TRUE(model.sourceProblem());
    }
  }
  EXPECT_TRUE(user.errors.empty());
  EXPECT_FALSE(model.sourceProblem());
  EXPECT_EQ(model.clips().count(), 4u);

  model.typeFieldText(Field::Source, typed + "x");
  ASSERT_TRUE(model.sourceProblem());
  EXPECT_EQ(model.sourceProblem()->lineText(),
            clips.substr(0, clips.size() - 1) + "x: File not found.");
  EXPECT_EQ(model.clips().count(), 0u);
  model.commitSourceText();
  model.commitSourceText();
  EXPECT_EQ(user.errors, std::vector<std::string>{"File not found."});
  // The same text again from the picker's own error: no second box.
  model.typeFieldText(Field::Source, typed + "xy");
  user.picks.push_back("fail");
  model.event([&] { model.pickSourceFolder(); });
  model.commitSourceText();
  EXPECT_EQ(user.errors.size(), 2u);

  model.typeFieldText(Field::Source, out);  // a paste
  EXPECT_FALSE(model.sourceProblem());
  model.typeFieldText(Field::Source, "/nowhere/at/all");
  EXPECT_EQ(user.errors.size(), 3u);
  EXPECT_TRUE(model.sourceProblem());
  EXPECT_EQ(model.clips().folder(), at("/out"));
}

}  // namespace
}  // namespace clipquill
