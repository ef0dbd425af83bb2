// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/model/main_window_model.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/utf8_path.h"
#include "persist/folder_registry.h"
#include "persist/path_rules.h"
#include "support/temp_dir.h"

namespace clipquill {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;

// Answers every question, dialog and editor from a script, and records what
// it was shown. A question with no answer left is closed (Cancel).
class ScriptedForm : public FormPort {
 public:
  std::deque<Answer> answers;
  std::vector<std::string> questions;
  std::vector<std::string> errors;    // box texts of the error box
  std::vector<std::string> subjects;  // and what each was about
  std::deque<std::optional<FileChoice>> openChoices, saveChoices;
  std::vector<int> openIndices, saveIndices;
  std::vector<std::string> savePresets;
  std::deque<std::optional<std::vector<std::string>>> editorReplies;
  std::vector<std::vector<std::string>> editorShown;

  Answer messageBox(MessageKind, Buttons, std::string_view text) override {
    questions.emplace_back(text);
    if (answers.empty()) return Answer::Cancel;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  void focus(Field) override {}
  void errorBox(const Error& error) override {
    errors.push_back(error.boxText());
    subjects.push_back(error.subject());
  }
  std::optional<FileChoice> openDialog(int typeIndex) override {
    openIndices.push_back(typeIndex);
    return next(openChoices);
  }
  std::optional<FileChoice> saveDialog(std::string_view preset, int typeIndex) override {
    savePresets.emplace_back(preset);
    saveIndices.push_back(typeIndex);
    return next(saveChoices);
  }
  std::optional<std::vector<std::string>> filterEditor(
      const std::vector<std::string>& lines) override {
    editorShown.push_back(lines);
    return next(editorReplies);
  }
  std::deque<std::optional<std::string>> picks;
  std::vector<std::string> pickedFrom;  // "box|base" as the picker was opened
  std::optional<std::string> pickFolder(FolderPickerFor which, std::string_view box,
                                        std::string_view base) override {
    pickedFrom.push_back((which == FolderPickerFor::Clips ? "clips:" : "scripts:") +
                         std::string(box) + "|" + std::string(base));
    if (!picks.empty() && picks.front() == "fail") {
      picks.pop_front();
      throw Error::fromNumber(kErrFileNotFound);
    }
    return next(picks);
  }

 private:
  template <class T>
  static T next(std::deque<T>& queue) {
    if (queue.empty()) return T{};
    T value = queue.front();
    queue.pop_front();
    return value;
  }
};

// What the system says of a path below a folder that is not there: Windows
// tells a missing folder on the way (error 3) from a missing last name.
#if defined(_WIN32)
constexpr const char* kMissingParentMessage = "Invalid filename.";
#else
constexpr const char* kMissingParentMessage = "File not found.";
#endif

// A model on the real file system, in a folder of its own: the program
// folder "app", the home folder "home", clips in "clips", a flags store.
class Model : public ::testing::Test {
 protected:
  Model() {
    for (const char* sub : {"app", "home", "clips", "out"}) {
      std::filesystem::create_directory(pathFromUtf8(at("/") + sub));
    }
    for (const char* clip : {"b.avi", "a.avs", "c.mpg", "notes.txt"}) {
      writeFile(clips + clip, "");
    }
  }

  void start(std::vector<std::string> args = {}) {
    model.start({app + "clipquill", std::move(args), at("/home")});
  }
  std::vector<std::string> entries() const { return model.clips().entries(); }
  std::string ini(const std::string& clipLoc, const std::string& filters = "") {
    return "[Entries]\r\nClipLoc=" + clipLoc +
           "\r\nClipName=\r\nScriptName=*_new\r\nScriptDest=" + out + "\r\n" + filters;
  }

  // A path below the test's folder, written with "/", in the platform's own
  // separators.
  std::string at(std::string rel) const {
    std::replace(rel.begin(), rel.end(), '/', kNativeSeparators.primary);
    return dir.path() + rel;
  }

  TempDir dir;
  const std::string app = at("/app/");
  const std::string clips = at("/clips/");
  const std::string out = at("/out/");
  std::unique_ptr<Folders> folders = makeSystemFolders();
  std::unique_ptr<ScriptFiles> scripts = makeSystemScriptFiles();
  std::unique_ptr<PersistFiles> files = makeSystemPersistFiles();
  FolderRegistry registry{*files, at("/registry")};
  ScriptedForm user;
  MainWindowModel model{{*folders, *scripts, *files, registry, user}};
};

TEST_F(Model, StartsOnTheDefaultTemplateOrTheOnlyArgument) {
  writeFile(app + "DefaultTemplate.qtpl", "default\r\n");
  writeFile(at("/t.qtpl"), "chosen\r\n");
  struct Case {
    std::vector<std::string> args;
    std::string path;
    std::vector<std::string> lines;
  } cases[] = {
      {{}, app + "DefaultTemplate.qtpl", {"default"}},
      {{at("/t.qtpl")}, at("/t.qtpl"), {"chosen"}},
      {{at("/t.qtpl"), "x"}, app + "DefaultTemplate.qtpl", {"default"}},
      {{at("/missing.qtpl")}, at("/missing.qtpl"), {}},
  };
  for (const Case& c : cases) {
    ScriptedForm fresh;
    MainWindowModel m{{*folders, *scripts, *files, registry, fresh}};
    m.start({app + "clipquill", c.args, at("/home")});
    EXPECT_EQ(m.state().TemplatePath, c.path);
    EXPECT_EQ(m.templateLines(), c.lines);
    EXPECT_EQ(m.state().AppDir, app);
    EXPECT_EQ(m.fieldText(Field::Source), at("/home/"));
    EXPECT_EQ(m.clips().folder(), at("/home"));
    EXPECT_FALSE(m.state().Modified);
    EXPECT_FALSE(m.state().Starting);
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
    std::vector<std::string> lines;
  } cases[] = {
      {false, true, share, {"installed"}},
      {true, true, bin, {"beside"}},
      {true, false, bin, {"beside"}},
      {false, false, bin, {}},
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
    EXPECT_EQ(m.state().AppDir, bin);
    EXPECT_EQ(m.state().TemplateDir, c.folder);
    EXPECT_EQ(m.state().TemplateName, "DefaultTemplate.qtpl");
    EXPECT_EQ(m.state().TemplatePath, c.folder + "DefaultTemplate.qtpl");
    EXPECT_EQ(m.state().IniDir, c.folder);
    EXPECT_EQ(m.templateLines(), c.lines);
    // The installed settings file is read with its template.
    EXPECT_EQ(m.fieldText(Field::Source), c.folder == share ? clips : at("/home/"));
    EXPECT_TRUE(fresh.errors.empty());
  }

  // Saving the installed default goes where the user chose, with its
  // settings file; the installed folder is never written.
  writeFile(share + "DefaultTemplate.qtpl", "installed\r\n");
  model.start({bin + "clipquill", {}, at("/home")});
  ASSERT_EQ(model.state().TemplateDir, share);
  model.setTemplateText("mine");
  user.saveChoices.push_back(FileChoice{at("/DefaultTemplate.qtpl"), 1});
  user.answers.push_back(Answer::Save);
  EXPECT_TRUE(model.requestClose());
  EXPECT_EQ(user.savePresets, std::vector<std::string>{"DefaultTemplate.qtpl"});
  EXPECT_EQ(model.state().TemplateDir, at("/"));
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
  EXPECT_EQ(model.state().TemplateDir, app);
  EXPECT_EQ(model.saveDialogFolder(), userDir);
  EXPECT_TRUE(std::filesystem::is_directory(userDir));
  EXPECT_EQ(model.state().TemplateName, "DefaultTemplate.qtpl");  // the name proposed

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
    EXPECT_EQ(m.state().TemplatePath, c.folder + "DefaultTemplate.qtpl")
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
  EXPECT_EQ(model.state().TemplatePath, own + "DefaultTemplate.qtpl");
  EXPECT_FALSE(model.state().Modified);
  EXPECT_TRUE(user.saveIndices.empty());  // no dialog

  // Saving again asks before replacing it; Cancel keeps the file.
  model.setTemplateText("other");
  user.answers.push_back(Answer::Cancel);
  EXPECT_EQ(model.saveDefaultTemplate(), SaveOutcome::OverwriteDeclined);
  EXPECT_EQ(readFile(own + "DefaultTemplate.qtpl"), "mine\r\n");

  ScriptedForm next;
  MainWindowModel m{{*folders, *scripts, *files, registry, next}};
  m.start({app + "clipquill", {}, home, own});
  EXPECT_EQ(m.templateLines(), std::vector<std::string>{"mine"});
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
  EXPECT_EQ(model.state().TemplatePath, share + "DefaultTemplate.qtpl");
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
  EXPECT_FALSE(model.state().Modified);

  std::string text;
  for (const std::string& line : model.templateLines())
    text += line + "\n";
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
    std::vector<std::string> lines;
    bool settingsApplied;
  } cases[] = {
      {d + "folder.qtpl", {}, true},        {d + "fifo.qtpl", {}, true},
      {d + "file.qtpl/x.qtpl", {}, false},  {"/dev/zero", {}, false},
      {d + "real.qtpl", {"line"}, false},    // its settings file is a FIFO
      {d + "flag.qtpl", {"flagged"}, true},  // its load flag is a FIFO: checked
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    ScriptedForm fresh;
    MainWindowModel m{{*folders, *scripts, *files, registry, fresh}};
    m.start({app + "clipquill", {c.path}, at("/home")});
    EXPECT_EQ(fresh.errors, std::vector<std::string>{});
    EXPECT_EQ(m.templateLines(), c.lines);
    EXPECT_TRUE(m.optionFlags().loadInis);
    EXPECT_EQ(m.fieldText(Field::Source), c.settingsApplied ? clips : at("/home/"));
    EXPECT_FALSE(m.state().Modified);
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
  EXPECT_EQ(model.state().IniName, "Hall.ini");
  EXPECT_FALSE(model.state().Modified);
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
    EXPECT_FALSE(model.state().Modified);
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
  EXPECT_FALSE(model.state().Starting);
  EXPECT_FALSE(model.state().Modified);  // the user changed nothing
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
  EXPECT_FALSE(model.state().Modified);
}

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
    ASSERT_FALSE(m.state().Modified);
    c.act(m);
    EXPECT_EQ(m.state().Modified, c.modifies) << c.what;
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
  EXPECT_TRUE(model.state().Modified);
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
    std::vector<std::string> templateLines() override {
      ++reads;
      return {"typed <F>"};
    }
  } editor;
  model.templateTyped(editor);
  model.templateTyped(editor);
  EXPECT_TRUE(model.state().Modified);
  EXPECT_EQ(editor.reads, 0);
  EXPECT_EQ(model.templateLines(), std::vector<std::string>{"typed <F>"});
  EXPECT_EQ(model.templateLines(), std::vector<std::string>{"typed <F>"});
  EXPECT_EQ(editor.reads, 1);
}

TEST_F(Model, CreatesScriptsFromTheSelectedClips) {
  start();
  model.setTemplateText("AviSource(\"<P><F>\")\n");
  model.setFieldText(Field::Source, clips);
  model.setFieldText(Field::ScriptName, "*_x");
  model.toggleSelectAll();
  model.setClipSelected(3, false);
  EXPECT_TRUE(model.event([&] { model.createScripts(); }));
  EXPECT_TRUE(model.createdScripts().empty());  // no destination: refused
  EXPECT_EQ(user.questions.back(), msg::kNoDestination);

  model.setFieldText(Field::Destination, out);
  EXPECT_EQ(model.createScripts(), RunOutcome::Completed);
  EXPECT_EQ(model.createdScripts().size(), 4u);
  EXPECT_EQ(readFile(out + "a_x.avs"), "AviSource(\"" + clips + "a.avs\")\r\n");
  EXPECT_EQ(model.state().script.DestDir, out);
}

// The preview is the script a run writes, byte for byte, in both modes, and
// for any run of the template's lines.
TEST_F(Model, ThePreviewIsWhatTheRunWrites) {
  start();
  model.setTemplateText(
      "# <F> from <P>\n\nAVISource(\"<P><F>\").Trim(0, 10)\nx = \"<F>\" + \"<F>\"\n"
      "caf\xe9 <X> <P\n");
  model.setFieldText(Field::Source, clips);
  const std::size_t total = model.templateLines().size();
  for (const bool join : {false, true}) {
    SCOPED_TRACE(join ? "joined" : "per clip");
    // A joined script keeps the "*", which Windows takes in no file name.
    model.setFieldText(Field::ScriptName, join ? "all_v" : "*_v");
    model.setFieldText(Field::Destination, "");
    model.setJoin(join);
    model.clearClipSelection();
    if (!join) {
      EXPECT_EQ(model.preview(0, total).note,
                "No destination folder: the run would write nothing.");
    }
    model.setFieldText(Field::Destination, out + (join ? "j" : "p"));
    std::filesystem::create_directory(out + (join ? "j" : "p"));
    if (!join) {
      EXPECT_EQ(model.preview(0, total).note, "No clip selected: the run would write nothing.");
    }
    model.setClipSelected(1, true);
    model.setClipSelected(2, true);
    const TemplatePreview before = model.preview(0, total);
    EXPECT_EQ(before.note, "");
    EXPECT_FALSE(before.exists);
    ASSERT_EQ(model.createScripts(), RunOutcome::Completed);
    EXPECT_EQ(model.createdScripts().at(1), before.script.scriptFile);
    EXPECT_EQ(readFile(before.script.path), before.script.text);
    EXPECT_TRUE(model.preview(0, total).exists);
    // Lines 2 and 3 alone: the file's lines 2 and 3.
    std::string written = before.script.text;
    std::vector<std::string> lines;
    for (std::size_t at; (at = written.find("\r\n")) != std::string::npos; written.erase(0, at + 2))
      lines.push_back(written.substr(0, at) + "\r\n");
    ASSERT_EQ(lines.size(), total);
    EXPECT_EQ(model.preview(2, 2).script.text, lines[2] + lines[3]);
    EXPECT_EQ(model.preview(total - 1, 10).script.text, lines.back());
    EXPECT_EQ(model.preview(total, 10).script.text, "");
  }
}

// The preview asks the editor for the lines it needs, never for all of them.
TEST_F(Model, ThePreviewReadsOnlyItsLinesFromTheEditor) {
  start();
  struct Editor : TemplateSource {
    int wholeReads = 0;
    std::vector<std::string> templateLines() override {
      ++wholeReads;
      return {};
    }
    std::vector<std::string> templateLinesAt(std::size_t first, std::size_t count) override {
      std::vector<std::string> lines;
      for (std::size_t i = first; i < first + count; ++i)
        lines.push_back("Line(" + std::to_string(i) + ", \"<F>\")");
      return lines;
    }
  } editor;
  model.setTemplateView(&editor);
  model.templateTyped(editor);
  model.setFieldText(Field::Source, clips);
  model.setClipSelected(0, true);
  const TemplatePreview preview = model.preview(1000000, 2);
  EXPECT_EQ(preview.firstLine, 1000000u);
  const std::string clip = model.clips().entries()[0];
  EXPECT_EQ(preview.script.text,
            "Line(1000000, \"" + clip + "\")\r\nLine(1000001, \"" + clip + "\")\r\n");
  EXPECT_EQ(editor.wholeReads, 0);
  model.setTemplateView(nullptr);
}

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
    EXPECT_EQ(model.state().TemplatePath, c.written);
    EXPECT_EQ(readFile(c.written), "abc\r\n");
    EXPECT_FALSE(model.state().Modified);
  }
  EXPECT_EQ(user.savePresets.back(), "plain");

  // Declined: nothing written, the mark kept, the paths name the declined file.
  model.setTemplateText("changed");
  user.saveChoices.push_back(FileChoice{at("/new.avs"), 1});
  user.answers.push_back(Answer::Cancel);
  EXPECT_EQ(model.saveTemplate(), SaveOutcome::OverwriteDeclined);
  EXPECT_EQ(user.questions.back(), msg::overwriteQuestion(at("/new.avs")));
  EXPECT_EQ(readFile(at("/new.avs")), "abc\r\n");
  EXPECT_TRUE(model.state().Modified);
  EXPECT_EQ(model.state().TemplateName, "new.avs");
  // A cancelled dialog leaves the mark, so the next close still asks.
  EXPECT_EQ(model.saveTemplate(), SaveOutcome::DialogCancelled);
  EXPECT_EQ(user.savePresets.back(), "new.avs");
  EXPECT_TRUE(model.state().Modified);
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
  EXPECT_EQ(m.templateLines(), (std::vector<std::string>{"line 1", "line 2"}));
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
    std::vector<std::string> lines;
    std::size_t dialogs;  // open dialogs shown
  } cases[] = {
      {"Cancel", {Answer::Cancel}, std::nullopt, FileChoice{tpl, 1}, {"unsaved"}, 0},
      {"No, dialog cancelled", {Answer::No}, std::nullopt, std::nullopt, {"unsaved"}, 1},
      {"Yes, save cancelled", {Answer::Yes}, std::nullopt, FileChoice{tpl, 1}, {"unsaved"}, 0},
      {"No, chosen", {Answer::No}, std::nullopt, FileChoice{tpl, 1}, {"on disk"}, 1},
      {"No, a new name", {Answer::No}, std::nullopt, FileChoice{tpl + ".new", 1}, {}, 1},
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
    EXPECT_EQ(model.templateLines(), c.lines) << c.what;
    EXPECT_EQ(model.state().Modified, c.lines == std::vector<std::string>{"unsaved"}) << c.what;
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
  EXPECT_EQ(model.templateLines(), std::vector<std::string>{"unsaved"});
  EXPECT_TRUE(model.state().Modified);

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
    EXPECT_EQ(m.state().Modified, c.modifiedAfter) << c.what;
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
  EXPECT_TRUE(model.state().Modified);

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
  EXPECT_EQ(UserSettings(*files, userConfigPlaceIn(at("/cfg"))).list(kRecentTemplatesKey),
            (std::vector<std::string>{a, b}));

  // Picked from the list with unsaved changes: the save question first.
  model.setTemplateText("typed");
  user.questions.clear();
  user.answers.push_back(Answer::No);
  model.loadTemplateFrom(b);
  EXPECT_EQ(user.questions, std::vector<std::string>{std::string(msg::kSaveTemplatePrompt)});
  EXPECT_EQ(model.templateLines(), std::vector<std::string>{"b"});
  EXPECT_EQ(user.openIndices.size(), 2u);  // no open dialog
  EXPECT_EQ(model.recentTemplates().front(), b);

  std::filesystem::remove(a);
  model.setTemplateText("typed again");
  user.questions.clear();
  EXPECT_FALSE(model.event([&] { model.loadTemplateFrom(a); }));
  EXPECT_EQ(user.errors.back(), "File not found.");
  EXPECT_TRUE(user.questions.empty());
  EXPECT_EQ(model.templateLines(), std::vector<std::string>{"typed again"});
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
  EXPECT_TRUE(model.state().Modified);

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

// Every error box names what failed: the script, the folder typed or named
// by a settings file, the template written.
TEST_F(Model, ErrorsNameTheirSubject) {
  writeFile(at("/file"), "");
  const std::string tpl = at("/t.qtpl");
  writeFile(tpl, "x\r\n");
  writeFile(at("/t.ini"), ini(at("/gone")));
  struct Case {
    const char* what;
    std::function<void(MainWindowModel&, ScriptedForm&)> act;
    std::string subject;
  } cases[] = {
      {"start-up load", [](MainWindowModel&, ScriptedForm&) {}, at("/gone")},
      {"typed folder",
       [&](MainWindowModel& m, ScriptedForm&) { m.setFieldText(Field::Source, clips + "nope"); },
       clips + "nope"},
      {"script written",
       [&](MainWindowModel& m, ScriptedForm&) {
         m.setFieldText(Field::Source, clips);
         m.setFieldText(Field::Destination, out + "missing");
         m.toggleSelectAll();
         m.event([&] { m.createScripts(); });
       },
       out + "missing" + kNativeSeparators.primary + "a.avs"},
      {"template saved",
       [&](MainWindowModel& m, ScriptedForm& f) {
         f.saveChoices.push_back(FileChoice{at("/file/s.qtpl"), 1});
         m.event([&] { m.saveTemplate(); });
       },
       at("/file/s.qtpl")},
      {"folder picked",
       [](MainWindowModel& m, ScriptedForm& f) {
         m.setFieldText(Field::Destination, "/nowhere");
         f.picks.push_back("fail");
         m.event([&] { m.pickDestinationFolder(); });
       },
       "/nowhere"},
  };
  for (const Case& c : cases) {
    ScriptedForm fresh;
    MainWindowModel m{{*folders, *scripts, *files, registry, fresh}};
    m.start({app + "clipquill", {tpl}, at("/home")});
    // Every case starts with the settings file's folder gone.
    const std::vector<std::string> atStart = std::exchange(fresh.subjects, {});
    c.act(m, fresh);
    EXPECT_EQ(c.subject == atStart.front() ? atStart : fresh.subjects,
              std::vector<std::string>{c.subject})
        << c.what;
  }
}

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

// The status bar: the template and its mark, the clip counts, and what the
// last run did, however it ended.
TEST_F(Model, TheStatusSaysWhatTheWindowHoldsAndWhatTheLastRunDid) {
  start();
  EXPECT_EQ(model.templateStatus(), "DefaultTemplate.qtpl in " + at("/app"));
  EXPECT_EQ(model.runStatus(), "");
  model.setFieldText(Field::Source, clips);
  EXPECT_EQ(model.templateStatus(), "DefaultTemplate.qtpl (modified) in " + at("/app"));
  model.setClipSelected(1, true);
  EXPECT_EQ(model.clipStatus(), "4 clips, 1 selected");
  model.setFieldText(Field::ClipName, "b");
  EXPECT_EQ(model.clipStatus(), "1 clip, 0 selected");
  model.setFieldText(Field::ClipName, "");

  const std::string shownOut = at("/out");
  struct Case {
    const char* what;
    std::string dest;
    std::vector<Answer> answers;
    bool select;
    std::string status;
  } cases[] = {
      {"no destination", "", {}, true, "Last run: no destination folder."},
      {"nothing selected", out, {}, false, "Last run: no clip selected."},
      {"written", out, {}, true, "Last run: 4 scripts written in " + shownOut + "."},
      {"skipped",
       out,
       {Answer::Skip, Answer::ReplaceAll},
       true,
       "Last run: 3 scripts written, 1 kept in " + shownOut + "."},
      {"declined",
       out,
       {Answer::Ok, Answer::Cancel},
       true,
       "Last run: 1 script written in " + shownOut + "; stopped at b.avs, not replaced."},
      {"failed",
       out + "gone",
       {},
       true,
       "Last run: 0 scripts written in " + out +
           "gone; stopped at a.avs: " + kMissingParentMessage},
  };
  for (const Case& c : cases) {
    model.setFieldText(Field::Destination, c.dest);
    c.select ? model.clips().selectedCount() == 4 ? void() : model.toggleSelectAll()
             : model.clearClipSelection();
    user.answers.assign(c.answers.begin(), c.answers.end());
    model.event([&] { model.createScripts(); });
    EXPECT_EQ(model.runStatus(), c.status) << c.what;
  }
  EXPECT_EQ(model.lastRun()->folder, out + "gone" + kNativeSeparators.primary);
}

}  // namespace
}  // namespace clipquill
