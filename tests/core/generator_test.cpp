// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/generator.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

#include "support/fake_code_page.h"
#include "support/fakes.h"

namespace clipquill {
namespace {

using testing::FakeScriptFiles;
using testing::ScriptedUser;
using testing::VectorList;
using Lines = std::vector<std::string>;

class GeneratorTest : public ::testing::Test {
 protected:
  // The template's lines, each followed by "\n", as the model keeps them.
  std::string templ = "AVISource(\"<P><F>\")\nConvertToYV12()\n\n";
  Lines clips = {"a.avi", "b.avi", "c.avi"};
  std::string dest = "/out";
  std::string source = "/caps";
  std::string name;
  bool join = false;
  NameEncoding names;

  FakeScriptFiles files;
  ScriptedUser user;
  VectorList created;
  ScriptState state;

  RunOutcome run() {
    ScriptGenerator generator(files, user, created);
    ScriptInputs in{TemplateLines(templ), dest, source, name, clips, join};
    in.names = names;
    const RunOutcome outcome = generator.run(in, state);
    report = generator.report();
    return outcome;
  }
  RunReport report;

  // Runs and returns the error's message, or "" when none was raised.
  std::string runForError() {
    try {
      run();
    } catch (const Error& e) {
      return e.message();
    }
    return "";
  }
};

TEST_F(GeneratorTest, EmptyDestinationIsRefusedAndTouchesNothing) {
  dest.clear();
  created.lines = {"Script(s) Created:", "old.avs"};
  EXPECT_EQ(run(), RunOutcome::NoDestination);
  ASSERT_EQ(user.boxes.size(), 1u);
  EXPECT_EQ(user.boxes[0].kind, MessageKind::Error);
  EXPECT_EQ(user.boxes[0].buttons, Buttons::Ok);
  EXPECT_EQ(user.boxes[0].text, "You must specify a destination for the script(s).");
  EXPECT_EQ(created.lines, (Lines{"Script(s) Created:", "old.avs"}));
  EXPECT_TRUE(files.files.empty());
  EXPECT_TRUE(files.replaced.empty());
}

TEST_F(GeneratorTest, PerClipWritesOneScriptPerClipInListOrder) {
  EXPECT_EQ(run(), RunOutcome::Completed);
  EXPECT_EQ(created.lines, (Lines{"Script(s) Created:", "a.avs", "b.avs", "c.avs"}));
  ASSERT_EQ(files.files.size(), 3u);
  // CR LF after every line, the last and the empty one included.
  EXPECT_EQ(files.files["/out/b.avs"], "AVISource(\"/caps/b.avi\")\r\nConvertToYV12()\r\n\r\n");
  EXPECT_TRUE(user.boxes.empty());
  EXPECT_EQ(state.destFolder, "/out/");
  EXPECT_EQ(state.sourceFolder, "/caps/");
  EXPECT_EQ(state.clipFile, "c.avi");
  EXPECT_EQ(state.clipBase, "c");
  EXPECT_EQ(state.scriptFile, "c.avs");
}

TEST_F(GeneratorTest, FoldersGainOneTrailingSeparatorAtMost) {
  struct Case {
    const char* dest;
    const char* source;
    const char* destDir;
    const char* line;
  };
  const Case cases[] = {
      {"/out", "/caps", "/out/", "/caps/a.avi"},
      {"/out/", "/caps/", "/out/", "/caps/a.avi"},
      {"/", "/", "/", "/a.avi"},
      {"/out", "", "/out/", "a.avi"},  // no source folder: the bare clip name
  };
  for (const auto& c : cases) {
    dest = c.dest;
    source = c.source;
    templ = "<P><F>\n";
    clips = {"a.avi"};
    files.files.clear();
    run();
    EXPECT_EQ(state.destFolder, c.destDir);
    EXPECT_EQ(files.files[std::string(c.destDir) + "a.avs"], std::string(c.line) + "\r\n");
  }
}

TEST_F(GeneratorTest, EmptyTemplateOrNoClips) {
  templ.clear();
  clips = {"a.avi"};
  run();
  EXPECT_EQ(files.files.at("/out/a.avs"), "");  // an empty template: a zero-byte script

  clips.clear();
  EXPECT_EQ(run(), RunOutcome::Completed);
  EXPECT_EQ(created.lines, Lines{"Script(s) Created:"});
  EXPECT_EQ(files.files.size(), 1u);
}

// No cut at 4,096 characters, no line lost in a large template, no byte changed.
TEST_F(GeneratorTest, TemplatesAreCopiedWholeAndByteForByte) {
  const std::string ordinary = "AVISource(\"<P><F>\") # a line of ordinary length";
  templ = std::string(20000, 'x') + "<F>\n\xe9\xe8<P>\xff\n";
  for (int i = 2; i < 100000; ++i)
    templ.append(ordinary).append(1, '\n');
  clips = {"\xe0t\xe9.avi"};
  source = "/m\xe9";
  run();
  const std::string& script = files.files.at("/out/\xe0t\xe9.avs");
  const std::string head = std::string(20000, 'x') + "\xe0t\xe9.avi\r\n\xe9\xe8/m\xe9/\xff\r\n";
  const std::string line = "AVISource(\"/m\xe9/\xe0t\xe9.avi\") # a line of ordinary length\r\n";
  ASSERT_EQ(script.size(), head.size() + line.size() * 99998);
  EXPECT_EQ(script.substr(0, head.size()), head);
  EXPECT_EQ(script.substr(script.size() - line.size()), line);
}

// Clips that would share a script name: the later script would replace the
// one the run had just written, so the run is refused whole before anything
// is touched, naming each shared name with its clips. A joined run, and a
// run whose names are all different, go ahead.
TEST_F(GeneratorTest, ClipsSharingAScriptNameAreRefusedWhole) {
  struct Case {
    const char* what;
    std::string name;
    Lines clips;
    bool join;
    std::string box;  // "" when the run goes ahead
  } cases[] = {
      {"one name for all", "Final", clips, false, "\r\n\r\nFinal.avs: a.avi, b.avi, c.avi"},
      {"two containers",
       "*_enc",
       {"Episode 01.avi", "Episode 01.mkv", "Episode 02.avi"},
       false,
       "\r\n\r\nEpisode 01_enc.avs: Episode 01.avi, Episode 01.mkv"},
      {"two pairs",
       "",
       {"a.avi", "a.mkv", "b.avi", "b.part2.avi"},
       false,
       "\r\n\r\na.avs: a.avi, a.mkv\r\nb.avs: b.avi, b.part2.avi"},
      {"all different", "*_enc", {"a.avi", "b.avi"}, false, ""},
      {"joined", "Final", clips, true, ""},
  };
  for (const Case& c : cases) {
    files.files = {{"/out/old.avs", "old"}};
    created.lines = {"Script(s) Created:", "old.avs"};
    user.boxes.clear();
    name = c.name;
    join = c.join;
    ScriptGenerator generator(files, user, created);
    const RunOutcome outcome =
        generator.run({TemplateLines(templ), dest, source, name, c.clips, join}, state);
    if (c.box.empty()) {
      EXPECT_EQ(outcome, RunOutcome::Completed) << c.what;
      EXPECT_TRUE(user.boxes.empty()) << c.what;
      continue;
    }
    EXPECT_EQ(outcome, RunOutcome::NameClash) << c.what;
    ASSERT_EQ(user.boxes.size(), 1u) << c.what;
    EXPECT_EQ(user.boxes[0].kind, MessageKind::Error) << c.what;
    EXPECT_EQ(user.boxes[0].buttons, Buttons::Ok) << c.what;
    EXPECT_TRUE(user.boxes[0].text.ends_with(c.box)) << c.what << ": " << user.boxes[0].text;
    EXPECT_EQ(files.files.size(), 1u) << c.what;
    EXPECT_TRUE(files.replaced.empty()) << c.what;
    EXPECT_EQ(created.lines, (Lines{"Script(s) Created:", "old.avs"})) << c.what;
    EXPECT_EQ(generator.report().written, 0u) << c.what;
  }
}

// Thousands of clips under one name: the box names a few and counts the rest.
TEST_F(GeneratorTest, AClashOfManyClipsIsSummedUp) {
  name = "Final";
  clips.clear();
  for (int i = 0; i < 3000; ++i)
    clips.push_back("clip" + std::to_string(i) + ".avi");
  EXPECT_EQ(run(), RunOutcome::NameClash);
  ASSERT_EQ(user.boxes.size(), 1u);
  EXPECT_TRUE(user.boxes[0].text.ends_with("clip7.avi and 2992 more")) << user.boxes[0].text;
}

// Clips whose names hold dots: the first-dot rule gives them one script name
// and the refusal points at the other rule, under which each gets its own;
// a clip with no name to give is refused before anything is written, under
// either rule, rather than written as ".avs".
TEST_F(GeneratorTest, DottedAndNamelessClipsUnderEitherRule) {
  const std::string hint = "with Options > Clip Name to Last Dot (--name-to-last-dot";
  struct Case {
    const char* what;
    Lines clips;
    NameEnd end;
    RunOutcome outcome;
    Lines created;          // after the heading
    bool hinted;            // the refusal names the other rule
    std::string boxEnding;  // "" when there is no box
  } cases[] = {
      {"episodes, first dot",
       {"Show.S01E01.1080p.avi", "Show.S01E02.1080p.avi"},
       NameEnd::FirstDot,
       RunOutcome::NameClash,
       {},
       true,
       "Show.avs: Show.S01E01.1080p.avi, Show.S01E02.1080p.avi"},
      {"episodes, last dot",
       {"Show.S01E01.1080p.avi", "Show.S01E02.1080p.avi"},
       NameEnd::LastDot,
       RunOutcome::Completed,
       {"Show.S01E01.1080p.avs", "Show.S01E02.1080p.avs"},
       false,
       ""},
      {"containers: no help from the last dot",
       {"a.avi", "a.mkv"},
       NameEnd::FirstDot,
       RunOutcome::NameClash,
       {},
       false,
       "a.avs: a.avi, a.mkv"},
      {"dots alone, last dot",
       {"b.avi", "...avi", ".."},
       NameEnd::LastDot,
       RunOutcome::NamelessClip,
       {},
       false,
       "...avi, .."},
      {"dots alone, first dot",
       {"...avi"},
       NameEnd::FirstDot,
       RunOutcome::NamelessClip,
       {},
       false,
       "...avi"},
  };
  for (const Case& c : cases) {
    files.files = {{"/out/old.avs", "old"}};
    created.lines = {"Script(s) Created:", "old.avs"};
    user.boxes.clear();
    ScriptGenerator generator(files, user, created);
    ScriptInputs in{TemplateLines(templ), dest, source, "", c.clips, false};
    in.nameEnd = c.end;
    EXPECT_EQ(generator.run(in, state), c.outcome) << c.what;
    if (c.boxEnding.empty()) {
      EXPECT_TRUE(user.boxes.empty()) << c.what;
      Lines expected{"Script(s) Created:"};
      expected.insert(expected.end(), c.created.begin(), c.created.end());
      EXPECT_EQ(created.lines, expected) << c.what;
      continue;
    }
    ASSERT_EQ(user.boxes.size(), 1u) << c.what;
    EXPECT_EQ(user.boxes[0].kind, MessageKind::Error) << c.what;
    EXPECT_TRUE(user.boxes[0].text.ends_with(c.boxEnding)) << c.what << ": " << user.boxes[0].text;
    EXPECT_EQ(user.boxes[0].text.find(hint) != std::string::npos, c.hinted) << c.what;
    EXPECT_EQ(files.files.size(), 1u) << c.what;  // nothing written, nothing named ".avs"
    EXPECT_EQ(created.lines, (Lines{"Script(s) Created:", "old.avs"})) << c.what;
    EXPECT_TRUE(refusedBeforeStart(c.outcome)) << c.what;
  }
}

// A re-run over existing scripts: "Replace All" asks no more, "Skip" keeps
// one and goes on; the report says what was written, kept, and where it
// stopped. A single script is asked about with OK and Cancel alone.
TEST_F(GeneratorTest, ReplaceAllAndSkipOnARerun) {
  struct Case {
    const char* what;
    Lines clips;
    std::vector<Answer> answers;
    std::size_t asked, written, kept;
    std::string stoppedAt;
    std::string b;  // b.avs afterwards
  } cases[] = {
      {"OK each", clips, {Answer::Ok, Answer::Ok}, 2, 3, 0, "", "new"},
      {"Replace All", clips, {Answer::ReplaceAll}, 1, 3, 0, "", "new"},
      {"Skip, OK", clips, {Answer::Skip, Answer::Ok}, 2, 2, 1, "", "old"},
      {"Skip, Cancel", clips, {Answer::Skip, Answer::Cancel}, 2, 1, 1, "c.avs", "old"},
      {"one clip", {"b.avi"}, {Answer::Cancel}, 1, 0, 0, "b.avs", "old"},
  };
  for (const Case& c : cases) {
    files.files = {{"/out/b.avs", "old"}, {"/out/c.avs", "old"}};
    user.boxes.clear();
    user.answers.assign(c.answers.begin(), c.answers.end());
    ScriptGenerator generator(files, user, created);
    generator.run({TemplateLines(templ), dest, source, name, c.clips, join}, state);
    ASSERT_EQ(user.boxes.size(), c.asked) << c.what;
    EXPECT_EQ(user.boxes[0].buttons,
              c.clips.size() > 1 ? Buttons::ReplaceAllSkip : Buttons::OkCancel)
        << c.what;
    EXPECT_EQ(generator.report().written, c.written) << c.what;
    EXPECT_EQ(generator.report().kept, c.kept) << c.what;
    EXPECT_EQ(generator.report().stoppedAt, c.stoppedAt) << c.what;
    EXPECT_EQ(files.files["/out/b.avs"] == "old" ? "old" : "new", c.b) << c.what;
  }
}

TEST_F(GeneratorTest, DecliningEndsTheRunAtThatClip) {
  files.files["/out/b.avs"] = "old";
  user.answers = {Answer::Cancel};
  EXPECT_EQ(run(), RunOutcome::OverwriteDeclined);
  EXPECT_EQ(created.lines, (Lines{"Script(s) Created:", "a.avs"}));
  EXPECT_EQ(files.files["/out/b.avs"], "old");
  EXPECT_FALSE(files.files.contains("/out/c.avs"));
  EXPECT_EQ(state.clipFile, "b.avi");
}

// The window's Cancel stops a run between two scripts: what was written stays
// and stays listed, and nothing is begun after it.
TEST_F(GeneratorTest, AStopBetweenScriptsKeepsWhatWasWritten) {
  struct StopAt : RunProgress {
    std::size_t at;
    std::vector<std::size_t> told;
    explicit StopAt(std::size_t n) : at(n) {}
    bool proceed(std::size_t written, std::size_t total) override {
      EXPECT_EQ(total, 3u);
      told.push_back(written);
      return written < at;
    }
  } stop(2);
  ScriptGenerator generator(files, user, created, &stop);
  EXPECT_EQ(generator.run({TemplateLines(templ), dest, source, name, clips, join}, state),
            RunOutcome::Cancelled);
  EXPECT_EQ(stop.told, (std::vector<std::size_t>{0, 1, 2}));
  EXPECT_EQ(created.lines, (Lines{"Script(s) Created:", "a.avs", "b.avs"}));
  EXPECT_EQ(files.files.size(), 2u);
}

TEST_F(GeneratorTest, JoinedWritesOneWidenedScript) {
  join = true;
  name = "Joined Mamas";
  source = "C:\\scripts\\";  // ends in the Windows separator: kept as typed (POSIX: "/" added)
  templ = "AVISource(\"<P><F>\")\n# <F>\n";
  EXPECT_EQ(run(), RunOutcome::Completed);
  EXPECT_EQ(created.lines, (Lines{"Script(s) Created:", "Joined Mamas.avs"}));
#if defined(_WIN32)
  const std::string p = "C:\\scripts\\";
#else
  const std::string p = "C:\\scripts\\/";
#endif
  EXPECT_EQ(files.files.at("/out/Joined Mamas.avs"),
            "AVISource(\"" + p + "a.avi\", \"" + p + "b.avi\", \"" + p +
                "c.avi\")\r\n\"a.avi\", \"b.avi\", # c.avi\r\n");
  EXPECT_EQ(state.scriptFile, "Joined Mamas.avs");

  clips.clear();  // no clip: still written, surplus references get nothing
  name.clear();
  run();
  EXPECT_EQ(files.files.at("/out/.avs"), "AVISource(\"" + p + "\")\r\n# \r\n");
}

TEST_F(GeneratorTest, JoinedDeclinedWritesAndListsNothing) {
  join = true;
  name = "j.avs";
  files.files["/out/j.avs"] = "old";
  EXPECT_EQ(run(), RunOutcome::OverwriteDeclined);
  EXPECT_EQ(created.lines, Lines{"Script(s) Created:"});
  EXPECT_EQ(files.files["/out/j.avs"], "old");
}

// A failure ends the run: what was finished stays listed, the failing script
// is neither listed nor left behind, and a replaced script keeps its old bytes.
TEST_F(GeneratorTest, FailuresEndTheRunAndKeepFinishedScripts) {
  using Stage = FakeScriptFiles::Stage;
  struct Case {
    const char* what;
    Stage stage;
    int err;
    std::size_t afterBytes;
    bool replacing;
    const char* message;
  };
  const Case cases[] = {
    {"missing folder", Stage::Create, ENOENT, 0, false, "File not found"},
    {"refused name", Stage::Create, ENAMETOOLONG, 0, false, "Invalid filename"},
    {"too many files", Stage::Create, EMFILE, 0, false, "Too many open files"},
    {"access denied", Stage::Create, EACCES, 0, true, "File access denied"},
    {"disk full half-way", Stage::Write, ENOSPC, 10, false, "Disk full"},
    {"write refused half-way", Stage::Write, EIO, 10, true, "I/O error 5"},
#if defined(EDQUOT)
    {"close fails", Stage::Commit, EDQUOT, 0, true, "Disk full"},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    files = {};
    created.lines.clear();
    if (c.replacing) files.files["/out/b.avs"] = "old";
    user.answers = {Answer::Ok};
    files.fault = FakeScriptFiles::Fault{"/out/b.avs", c.stage, c.err, c.afterBytes};
    EXPECT_EQ(runForError(), c.message);
    EXPECT_EQ(created.lines, (Lines{"Script(s) Created:", "a.avs"}));
    EXPECT_TRUE(files.files.contains("/out/a.avs"));
    EXPECT_FALSE(files.files.contains("/out/c.avs"));
    if (c.replacing) {
      EXPECT_EQ(files.files["/out/b.avs"], "old");
    } else {
      EXPECT_FALSE(files.files.contains("/out/b.avs"));
    }
  }
}

// A template in the code page: names in it, and a clip it has no place for
// left out with the reason said, never written with other characters.
TEST_F(GeneratorTest, NamesGoIntoScriptsInTheCodePageTheTemplateIsIn) {
  const testing::FakeCodePage western(1252);
  const std::string cafe = "Caf\xC3\xA9.avi", privet = "\xD0\x9F\xD1\x80.avi";
  struct Case {
    bool join;
    std::string source;
    Lines clips;
    std::map<std::string, std::string> written;
    Lines leftOut;
    MessageKind box;
  };
  const Case cases[] = {
      {false,
       "/\xC3\x89t\xC3\xA9",
       {cafe, privet, "b.avi"},
       {{"/out/Caf\xC3\xA9.avs", "</\xC9t\xE9/Caf\xE9.avi>\r\n"},
        {"/out/b.avs", "</\xC9t\xE9/b.avi>\r\n"}},
       {privet},
       MessageKind::Error},
      {false, "/\xF0\x9F\x8E\xAC", {cafe, "b.avi"}, {}, {cafe, "b.avi"}, MessageKind::Error},
      {true, "/caps", {cafe, privet}, {}, {privet}, MessageKind::Error},
      {true,
       "/caps",
       {cafe, "b.avi"},
       {{"/out/Joined.avs", "\"/caps/Caf\xE9.avi\", </caps/b.avi>\r\n"}},
       {},
       MessageKind::Warning},
  };
  for (const Case& c : cases) {
    templ = "<<P><F>>\n";
    join = c.join;
    source = c.source;
    clips = c.clips;
    name = c.join ? "Joined" : "";
    names = {.codePage = &western, .misreadIn = 0};
    files.files.clear();
    user.boxes.clear();
    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(files.files, c.written) << c.source;
    EXPECT_EQ(report.leftOut, c.leftOut) << c.source;
    EXPECT_EQ(report.written, c.written.size());
    if (c.leftOut.empty()) {
      EXPECT_TRUE(user.boxes.empty());
    } else {
      ASSERT_EQ(user.boxes.size(), 1u);
      EXPECT_EQ(user.boxes[0].kind, c.box);
      EXPECT_NE(user.boxes[0].text.find("left out"), std::string::npos) << user.boxes[0].text;
    }
  }
}

// A UTF-8 template without utf8=true: written as asked, the misreading said first.
TEST_F(GeneratorTest, MisreadNamesAreWrittenAndSaidBeforeTheRun) {
  templ = "AVISource(\"<P><F>\")\n";
  clips = {"Caf\xC3\xA9.avi", "b.avi"};
  names = {.codePage = nullptr, .misreadIn = 1252};
  EXPECT_EQ(run(), RunOutcome::Completed);
  EXPECT_EQ(files.files.at("/out/Caf\xC3\xA9.avs"), "AVISource(\"/caps/Caf\xC3\xA9.avi\")\r\n");
  EXPECT_EQ(report.written, 2u);
  EXPECT_TRUE(report.leftOut.empty());
  ASSERT_EQ(user.boxes.size(), 1u);
  EXPECT_EQ(user.boxes[0].kind, MessageKind::Warning);
  EXPECT_EQ(user.boxes[0].text.find("misreads these clips' names: Caf\xC3\xA9.avi."),
            user.boxes[0].text.find("misreads"));
}

}  // namespace
}  // namespace clipquill
