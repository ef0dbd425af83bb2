// SPDX-License-Identifier: GPL-3.0-or-later
// The model's run of "Create Script(s)": the scripts written, the preview,
// the errors naming their subject, and the status bar's sums.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/model_fixture.h"
#include "core/messages.h"
#include "support/fake_code_page.h"

namespace clipquill {
namespace {

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
  EXPECT_EQ(user.focused, std::vector<Field>{Field::Destination});  // to type it in

  model.setFieldText(Field::Destination, out);
  EXPECT_EQ(model.createScripts(), RunOutcome::Completed);
  EXPECT_EQ(model.createdScripts().size(), 4u);
  EXPECT_EQ(readFile(out + "a_x.avs"), "AviSource(\"" + clips + "a.avs\")\r\n");
  EXPECT_EQ(model.state().script.destFolder, out);
}

// The preview is the script a run writes, byte for byte, in both modes, and
// for any run of the template's lines.
TEST_F(Model, ThePreviewIsWhatTheRunWrites) {
  start();
  model.setTemplateText(
      "# <F> from <P>\n\nAVISource(\"<P><F>\").Trim(0, 10)\nx = \"<F>\" + \"<F>\"\n"
      "caf\xe9 <X> <P\n");
  model.setFieldText(Field::Source, clips);
  const std::size_t total = model.templateText().lineCount();
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

// Where a clip's name ends is the user's choice, kept in the user's settings:
// the preview names the script each way while the names differ, and the run
// writes what the preview showed. A clip with no name to give is said so in
// the preview and refused by the run.
TEST_F(Model, TheClipsNameEndsWhereTheUserChose) {
  std::filesystem::create_directory(at("/cfg"));
  std::filesystem::create_directory(at("/shows"));
  for (const char* clip : {"Show.S01E01.1080p.avi", "Show.S01E02.1080p.avi", "noext"})
    writeFile(at("/shows/") + clip, "");
  const auto place = userConfigPlaceIn(at("/cfg"));
  UserSettings settings(*files, place);
  start();
  model.useUserSettings(&settings);
  model.setTemplateText("AVISource(\"<P><F>\")\n");
  model.setFieldText(Field::Source, at("/shows"));
  model.setFieldText(Field::Destination, out);
  ASSERT_EQ(entries(),
            (std::vector<std::string>{"noext", "Show.S01E01.1080p.avi", "Show.S01E02.1080p.avi"}));
  model.setClipSelected(1, true);
  model.setClipSelected(2, true);

  const struct {
    NameEnd end;
    const char* script;
    const char* other;
    bool clash;
  } rules[] = {
      {NameEnd::FirstDot, "Show.avs", "Show.S01E01.1080p.avs", true},
      {NameEnd::LastDot, "Show.S01E01.1080p.avs", "Show.avs", false},
  };
  for (const auto& rule : rules) {
    SCOPED_TRACE(rule.script);
    if (model.nameEnd() != rule.end) model.toggleNameEnd();
    const TemplatePreview shown = model.preview(0, 1);
    EXPECT_EQ(shown.script.scriptFile, rule.script);
    EXPECT_EQ(shown.otherScriptFile, rule.other);
    EXPECT_NE(shown.otherNameEnd, rule.end);
    EXPECT_EQ(shown.clash, rule.clash);
    EXPECT_EQ(model.createScripts(), rule.clash ? RunOutcome::NameClash : RunOutcome::Completed);
  }
  EXPECT_EQ(readFile(out + "Show.S01E02.1080p.avs"),
            "AVISource(\"" + at("/shows/") + "Show.S01E02.1080p.avi\")\r\n");
  // The choice outlives the window.
  UserSettings again(*files, place);
  ScriptedForm other;
  MainWindowModel second{{*folders, *scripts, *files, registry, other}};
  second.useUserSettings(&again);
  EXPECT_EQ(second.nameEnd(), NameEnd::LastDot);

  // One name each way: no other name to show.
  model.clearClipSelection();
  model.setClipSelected(0, true);
  const TemplatePreview nameless = model.preview(0, 1);
  EXPECT_EQ(nameless.otherScriptFile, "");
  EXPECT_NE(nameless.note.find("no name to give its script"), std::string::npos) << nameless.note;
  EXPECT_EQ(model.createScripts(), RunOutcome::NamelessClip);
  EXPECT_FALSE(std::filesystem::exists(out + ".avs"));
  EXPECT_EQ(model.runStatus(),
            "Last run: a selected clip has no name for its script; nothing written.");
}

// The picture needs a clip: per clip one listed, joined one selected.
TEST_F(Model, ThePictureWaitsForAClip) {
  start();
  model.setFieldText(Field::Source, at("/out"));  // an empty folder
  EXPECT_FALSE(model.previewHasClip());
  model.setFieldText(Field::Source, clips);
  EXPECT_TRUE(model.previewHasClip());  // the first listed, none selected
  model.setJoin(true);
  EXPECT_FALSE(model.previewHasClip());
  model.setClipSelected(0, true);
  EXPECT_TRUE(model.previewHasClip());
}

// The picture renders the whole script, no line cut as the preview pane cuts
// them, and AviSynth's place in it maps back to the template in either mode.
TEST_F(Model, ThePicturesScriptIsUncutAndItsPlacesMapBack) {
  start();
  const std::string longLine = "b = \"" + std::string(70000, 'x') + "\"";
  model.setTemplateText("a = \"<P><F>\"\n" + longLine + "\n");
  model.setFieldText(Field::Source, clips);
  model.setFieldText(Field::Destination, out);
  model.setClipSelected(0, true);
  model.setClipSelected(1, true);
  EXPECT_EQ(model.preview(0, 2).script.cutLines, 1u);
  EXPECT_EQ(model.preview(0, 2, std::string::npos).script.cutLines, 0u);

  const std::string first = "\"" + clips + model.clips().entries()[0] + "\", ";
  struct Case {
    bool join;
    int line, column;
    std::optional<TemplatePlace> expected;
  };
  const int second = static_cast<int>(4 + first.size() + 2);  // in the second clip's path
  const Case cases[] = {
      {false, 1, 6, TemplatePlace{0, 5}},          // within the path: "<P>"
      {false, 2, 70006, TemplatePlace{1, 70005}},  // past the preview's cut
      {false, 3, 1, std::nullopt},
      {true, 1, 6, TemplatePlace{0, 4}},  // the first clip's copy, where it stands
      {true, 1, second, TemplatePlace{0, 5}},
      {true, 2, 70006, TemplatePlace{1, 70005}},
  };
  for (const Case& c : cases) {
    model.setJoin(c.join);
    EXPECT_EQ(model.templatePlaceOf(c.line, c.column), c.expected)
        << "join " << c.join << ", line " << c.line << ", column " << c.column;
  }
}

// The preview asks the editor for the lines it needs, never for all of them.
TEST_F(Model, ThePreviewReadsOnlyItsLinesFromTheEditor) {
  start();
  struct Editor : TemplateSource {
    int wholeReads = 0;
    TemplateText templateText() override {
      ++wholeReads;
      return {};
    }
    TemplateText templateTextAt(std::size_t first, std::size_t count) override {
      std::string lines;
      for (std::size_t i = first; i < first + count; ++i)
        lines += "Line(" + std::to_string(i) + ", \"<F>\")\n";
      return TemplateText::fromEditor(lines);
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
         m.setFieldText(Field::Destination, out);
         m.setFieldText(Field::ScriptName, "*" + std::string(300, 'n'));
         m.toggleSelectAll();
         m.event([&] { m.createScripts(); });
       },
       out + "a" + std::string(300, 'n') + ".avs"},
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
      // A folder that is not there is refused before the run, as none is.
      {"missing", out + "gone", {}, true, "Last run: no destination folder."},
      {"failed",
       out + "a file",
       {},
       true,
       "Last run: 0 scripts written in " + out + "a file; stopped at a.avs: Invalid filename."},
  };
  writeFile(out + "a file", "");
  for (const Case& c : cases) {
    model.setFieldText(Field::Destination, c.dest);
    c.select ? model.clips().selectedCount() == 4 ? void() : model.toggleSelectAll()
             : model.clearClipSelection();
    user.answers.assign(c.answers.begin(), c.answers.end());
    model.event([&] { model.createScripts(); });
    EXPECT_EQ(model.runStatus(), c.status) << c.what;
  }
  EXPECT_EQ(model.lastRun()->folder, out + "a file" + kNativeSeparators.primary);
  // The missing folder is named, and the destination field has the focus.
  EXPECT_NE(
      std::find(user.questions.begin(), user.questions.end(), msg::noSuchDestination(out + "gone")),
      user.questions.end());
  // The preview says so before any run.
  model.setFieldText(Field::Destination, out + "gone");
  EXPECT_EQ(model.preview(0, 1).note,
            msg::noSuchDestination(out + "gone") + " The run would write nothing.");
}

// A run started writes what was there when it started, on another thread,
// while the user goes on typing; its end is recorded when it is taken back.
TEST_F(Model, ARunOffTheModelsThreadWritesWhatItStartedWith) {
  start();
  model.setTemplateText("AviSource(\"<P><F>\")\n");
  model.setFieldText(Field::Source, clips);
  model.setFieldText(Field::ScriptName, "*_x");
  model.setFieldText(Field::Destination, out);
  model.toggleSelectAll();
  model.setClipSelected(3, false);
  RunJob job = model.startRun();
  std::thread writer([&] { job.run(user, &user); });
  model.setTemplateText("typed meanwhile\n");
  model.setFieldText(Field::ScriptName, "*_y");
  model.setFieldText(Field::Destination, at("/elsewhere/"));
  writer.join();
  EXPECT_TRUE(model.createdScripts().empty());  // not until the run is taken back
  EXPECT_EQ(model.finishRun(job), RunOutcome::Completed);
  EXPECT_EQ(model.createdScripts().size(), 4u);
  EXPECT_EQ(readFile(out + "a_x.avs"), "AviSource(\"" + clips + "a.avs\")\r\n");
  EXPECT_EQ(model.state().script.destFolder, out);
  EXPECT_EQ(model.fieldText(Field::ScriptName), "*_y");
  EXPECT_EQ(model.runStatus(),
            "Last run: 3 scripts written in " + out.substr(0, out.size() - 1) + ".");

  // A run that fails on its thread raises its error when taken back, the
  // scripts before it listed.
  model.setFieldText(Field::ScriptName, "*_x");
  model.setFieldText(Field::Destination, out);
  std::filesystem::remove(out + "a_x.avs");
  std::filesystem::remove(out + "b_x.avs");
  std::filesystem::create_directory(out + "b_x.avs");  // a folder in the script's way
  RunJob failing = model.startRun();
  std::thread([&] { failing.run(user, &user); }).join();
  EXPECT_THROW(model.finishRun(failing), Error);
  EXPECT_EQ(model.createdScripts().size(), 2u);
  EXPECT_NE(model.runStatus().find("stopped at"), std::string::npos) << model.runStatus();
}

// On a system whose code page is not UTF-8, the run writes names in the
// template's encoding; the preview and the run say what cannot be carried.
TEST_F(Model, NamesBeyondTheTemplatesEncodingAreSaidBeforeTheRun) {
  const testing::FakeCodePage western(1252);
  const std::string cafe = "Caf\xC3\xA9.avi", privet = "\xD0\x9F\xD1\x80.avi";
  writeFile(clips + cafe, "");
  writeFile(clips + privet, "");
  start();
  model.setCodePage(&western);
  model.setTemplateText("AviSource(\"<P><F>\")\n");
  model.setFieldText(Field::Source, clips);
  model.setFieldText(Field::ScriptName, "*_x");
  model.setFieldText(Field::Destination, out);
  model.toggleSelectAll();
  model.setJoin(true);
  const std::string note = model.preview(0, 1).note;
  EXPECT_NE(note.find("the joined script is left out: " + privet + "."), std::string::npos) << note;
  model.setJoin(false);

  EXPECT_EQ(model.createScripts(), RunOutcome::Completed);
  EXPECT_EQ(readFile(out + "Caf\xC3\xA9_x.avs"), "AviSource(\"" + clips + "Caf\xE9.avi\")\r\n");
  EXPECT_FALSE(std::filesystem::exists(pathFromUtf8(out + "\xD0\x9F\xD1\x80_x.avs")));
  ASSERT_FALSE(user.questions.empty());
  EXPECT_NE(user.questions.back().find("their scripts are left out: " + privet + "."),
            std::string::npos);
  EXPECT_EQ(model.lastRun()->report.leftOut, std::vector<std::string>{privet});
  EXPECT_NE(model.runStatus().find("; 1 clip left out, beyond the template's code page."),
            std::string::npos)
      << model.runStatus();

  // A UTF-8 template: written as it is; without utf8=true the preview warns.
  struct Case {
    const char* templ;
    bool warned;
  };
  for (const Case& c : {Case{"# \xC3\xA9\nAviSource(\"<P><F>\")\n", true},
                        Case{"# \xC3\xA9\nAviSource(\"<P><F>\", utf8=true)\n", false}}) {
    model.setTemplateText(c.templ);
    model.clearClipSelection();
    const std::vector<std::string> listed = entries();
    const auto at = std::find(listed.begin(), listed.end(), privet);
    ASSERT_NE(at, listed.end());
    model.setClipSelected(static_cast<std::size_t>(at - listed.begin()), true);
    const TemplatePreview shown = model.preview(0, 2);
    EXPECT_NE(shown.script.text.find(privet), std::string::npos);
    EXPECT_EQ(shown.note.find("misreads these clips' names: " + privet) != std::string::npos,
              c.warned)
        << shown.note;
  }
}

}  // namespace
}  // namespace clipquill
