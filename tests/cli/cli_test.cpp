// SPDX-License-Identifier: GPL-3.0-or-later
// The command line run in-process, on a temporary folder holding clips, a
// template, a destination and the option flags' store.
#include "cli/cli.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <streambuf>
#include <thread>

#include "cli/desktop_batch.h"
#include "core/paths.h"
#include "support/temp_dir.h"

namespace clipquill::cli {
namespace {

using clipquill::testing::listFolder;
using clipquill::testing::readFile;
using clipquill::testing::TempDir;
using clipquill::testing::writeFile;

constexpr std::string_view kTemplate = "AviSource(\"<P><F>\")\r\n";

// What the system says of a path below a folder that is not there: Windows
// tells a missing folder on the way (error 3) from a missing last name.
#if defined(_WIN32)
constexpr std::string_view kMissingParent = "Invalid filename.";
#else
constexpr std::string_view kMissingParent = "File not found.";
#endif
const std::string kSeparator(1, kNativeSeparators.primary);

struct Result {
  int status;
  std::string out;
  std::string err;
};

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"bin", "clips", "out", "registry"})
      std::filesystem::create_directory(at(folder));
    for (const char* clip : {"a.avi", "b.avi", "c.mpg", "x,y.avi"})
      writeFile(at("clips/") + clip, "");
    writeFile(at("t.qtpl"), std::string(kTemplate));
  }

  // A path below the test's folder, written with "/", in the platform's own
  // separators.
  std::string at(std::string relative) const {
#if defined(_WIN32)
    std::replace(relative.begin(), relative.end(), '/', '\\');
    return tmp_.path() + "\\" + relative;
#else
    return tmp_.slash() + relative;
#endif
  }

  Result run(std::vector<std::string> args, std::string input = "", bool interactive = false) {
    const CliEnvironment env{
        .executablePath = at("bin/clipquill-cli"),
        .workingFolder = tmp_.path(),
        .homeFolder = at("bin"),  // not the working folder: relative paths must not land here
        .registryRoot = at("registry"),
        .interactive = interactive,
    };
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = runCli(args, in, out, err, env);
    return {status, out.str(), err.str()};
  }

  std::string script(std::string_view clips) const {
    return "AviSource(" + std::string(clips) + ")\r\n";
  }
  std::string quoted(const std::string& clip) const {
    return "\"" + at("clips/" + clip) + "\"";
  }

  TempDir tmp_;
};

TEST_F(CliTest, CreatesScriptsFromTheOptionsWhateverTheirOrder) {
  struct Row {
    std::vector<std::string> args;
    std::string out;
    std::map<std::string, std::string> files;
  };
  const std::vector<Row> rows{
      // Destination before source, relative paths: read against the working folder.
      {{"-d", "out", "-e", "avi", "-s", "clips", "t.qtpl"},
       "Script(s) Created:\na.avs\nb.avs\nx,y.avs\n",
       {{"a.avs", script(quoted("a.avi"))},
        {"b.avs", script(quoted("b.avi"))},
        {"x,y.avs", script(quoted("x,y.avi"))}}},
      {{"t.qtpl", "-j", "-n", "all", "-s", "clips", "-e", "avi", "-d", "out", "-c", "x,y.avi", "-c",
        "a.avi"},
       "Script(s) Created:\nall.avs\n",
       {{"all.avs", script(quoted("a.avi") + ", " + quoted("x,y.avi"))}}},
      // The prefix narrows the mask; two extensions list both kinds.
      {{"-s", at("clips"), "-p", "c", "-e", "avi", "-e", "mpg", "-n", "s_*", "-d", at("out"),
        "t.qtpl"},
       "Script(s) Created:\ns_c.avs\n",
       {{"s_c.avs", script(quoted("c.mpg"))}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.out);
    std::filesystem::remove_all(at("out"));
    std::filesystem::create_directory(at("out"));
    const Result r = run(row.args);
    EXPECT_EQ(r.status, kExitDone) << r.err;
    EXPECT_EQ(r.out, row.out);
    EXPECT_EQ(r.err, "");
    std::map<std::string, std::string> files;
    for (const std::string& name : listFolder(at("out")))
      files[name] = readFile(at("out/" + name));
    EXPECT_EQ(files, row.files);
  }
}

// Clips whose names hold dots share one script name under the first-dot
// rule, and the refusal names the option that tells them apart.
TEST_F(CliTest, NameToLastDotGivesDottedClipsTheirOwnScripts) {
  for (const char* clip : {"Show.S01E01.avi", "Show.S01E02.avi"})
    writeFile(at("clips/") + clip, "");
  const std::vector<std::string> args{"-s", "clips", "-p", "Show", "-d", "out", "t.qtpl"};
  const Result refused = run(args);
  EXPECT_EQ(refused.status, kExitError);
  EXPECT_NE(refused.err.find("(--name-to-last-dot on the command line)"), std::string::npos)
      << refused.err;
  EXPECT_TRUE(listFolder(at("out")).empty());

  std::vector<std::string> lastDot = args;
  lastDot.insert(lastDot.begin(), "--name-to-last-dot");
  const Result written = run(lastDot);
  EXPECT_EQ(written.status, kExitDone) << written.err;
  EXPECT_EQ(written.out, "Script(s) Created:\nShow.S01E01.avs\nShow.S01E02.avs\n");
  EXPECT_EQ(readFile(at("out/Show.S01E02.avs")), script(quoted("Show.S01E02.avi")));
}

TEST_F(CliTest, FailuresWriteNothing) {
  struct Row {
    std::vector<std::string> args;
    std::string ini;  // beside t.qtpl when not empty
    int status;
    std::string err;  // expected within standard error
  };
  const std::string usage = "Try 'clipquill-cli --help'.";
  const std::vector<Row> rows{
      {{"-s", "nothere", "-d", "out", "t.qtpl"}, "", kExitError, "File not found.\n"},
      // The settings file's folder is gone: start-up fails, the options do not help.
      {{"-s", "clips", "-d", "out", "t.qtpl"},
       "[Entries]\r\nClipLoc=" + at("gone") + "\r\n",
       kExitError,
       "File not found.\n"},
      {{"-s", "clips", "t.qtpl"}, "", kExitError, "You must specify a destination"},
      // Clips that would share a script name: nothing is written, each name
      // is said with its clips.
      {{"-s", "clips", "-e", "avi", "-e", "mpg", "-n", "take", "-d", "out", "t.qtpl"},
       "",
       kExitError,
       "No script was written.\n\ntake.avs: a.avi, b.avi, c.mpg, x,y.avi\n"},
      // An empty -d empties the destination the settings file gave.
      {{"-s", "clips", "-d", "", "t.qtpl"},
       "[Entries]\r\nScriptDest=" + at("out") + "\r\n",
       kExitError,
       "You must specify a destination"},
      {{"-s", "clips", "-c", "zz.avi", "-c", "a.avi", "-d", "out", "t.qtpl"},
       "",
       kExitError,
       "no clip \"zz.avi\" in " + at("clips")},
      {{"--bogus"}, "", kExitUsage, usage},
      {{"-jq", "-d", "out"}, "", kExitUsage, "unknown option '-q'"},
      {{"--list=yes", "-d", "out"}, "", kExitUsage, "takes no value"},
      {{"-d"}, "", kExitUsage, usage},
      {{"-d", "out", "t.qtpl", "u.qtpl"}, "", kExitUsage, "one TEMPLATE at most"},
      {{"-y", "--no-clobber", "-d", "out"}, "", kExitUsage, "exclude each other"},
      {{"--list", "--dry-run"}, "", kExitUsage, "exclude each other"},
      {{"-e", "avi", "-e", "", "-d", "out"}, "", kExitUsage, usage},
      {{"--save", ""}, "", kExitUsage, usage},
      {{"--load-inis", "yes", "--save", "x.qtpl"}, "", kExitUsage, "on or off"},
      {{"--info", "-d", "out"}, "", kExitUsage, "--info goes with --check"},
      {{"--check", "--info", "-0", "-d", "out"}, "", kExitUsage, "not with -0"},
      {{"--avisynth-plugins", "p", "-d", "out"}, "", kExitUsage, "goes with --check"},
      {{"--check", "--check-memory", "lots", "-d", "out"}, "", kExitUsage, "not 'lots'"},
      {{"--check", "--frame", "3", "-d", "out"}, "", kExitUsage, "go together"},
      {{"--check", "--frame", "-1", "--frame-dir", "f", "-d", "out"}, "", kExitUsage, "not '-1'"},
      {{"--frame", "1", "--frame-dir", "f", "-d", "out"}, "", kExitUsage, "goes with --check"},
      {{"--functions", "t.qtpl"}, "", kExitUsage, "--functions takes no TEMPLATE"},
      {{"--functions", "--list"}, "", kExitUsage, "exclude each other"},
      {{"--functions", "--info"}, "", kExitUsage, "--info goes with --check"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.err);
    std::filesystem::remove(at("t.ini"));
    if (!row.ini.empty()) writeFile(at("t.ini"), row.ini);
    const Result r = run(row.args);
    EXPECT_EQ(r.status, row.status);
    EXPECT_NE(r.err.find(row.err), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(listFolder(at("out")).empty());
  }
}

TEST_F(CliTest, AsksBeforeReplacingAndNeverReplacesUnasked) {
  struct Row {
    std::vector<std::string> extra;
    bool interactive;
    std::string input;
    int status;
    bool replaced;
    std::string err;  // expected within standard error
  };
  const std::vector<Row> rows{
      {{}, false, "y\n", kExitDeclined, false, "no terminal to ask; -y answers OK"},
      {{"-y"}, false, "", kExitDone, true, ""},
      {{"--no-clobber"}, true, "y\n", kExitDeclined, false, "--no-clobber"},
      {{}, true, " YES\n", kExitDone, true, "Do you want to replace it? [y/N] "},
      {{}, true, "\n", kExitDeclined, false, "[y/N]"},
      {{}, true, "", kExitDeclined, false, "[y/N]"},  // end of input
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.input + row.err);
    writeFile(at("out/a.avs"), "old");
    std::filesystem::remove(at("out/b.avs"));
    std::vector<std::string> args{"-s", "clips", "-e", "avi", "-c",    "a.avi",
                                  "-c", "b.avi", "-d", "out", "t.qtpl"};
    args.insert(args.end(), row.extra.begin(), row.extra.end());
    const Result r = run(args, row.input, row.interactive);
    EXPECT_EQ(r.status, row.status);
    EXPECT_NE(r.err.find(row.err), std::string::npos) << r.err;
    EXPECT_EQ(readFile(at("out/a.avs")), row.replaced ? script(quoted("a.avi")) : "old");
    // A declined question ends the run: the next clip is not written either.
    EXPECT_EQ(std::filesystem::exists(at("out/b.avs")), row.replaced);
    // With nothing written there is no heading either.
    EXPECT_EQ(r.out, row.replaced ? "Script(s) Created:\na.avs\nb.avs\n" : "");
  }
}

// --skip-existing answers the window's Skip: each existing script is kept,
// the others are written, and the run is done.
TEST_F(CliTest, SkipExistingKeepsEveryExistingScript) {
  struct Row {
    std::vector<std::string> args;
    std::vector<std::string> existing;
    std::string out;
  };
  const std::vector<Row> rows{
      {{"-c", "a.avi", "-c", "b.avi"}, {"a.avs"}, "Script(s) Created:\nb.avs\n"},
      {{"-c", "a.avi"}, {"a.avs"}, ""},
      {{"-c", "a.avi", "-c", "b.avi"}, {"a.avs", "b.avs"}, ""},
      {{"-j", "-n", "all", "-c", "a.avi", "-c", "b.avi"}, {"all.avs"}, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.out);
    std::filesystem::remove_all(at("out"));
    std::filesystem::create_directory(at("out"));
    for (const std::string& name : row.existing)
      writeFile(at("out/" + name), "old");
    std::vector<std::string> args{"-s", "clips", "-e", "avi", "-d", "out", "--skip-existing"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    args.push_back("t.qtpl");
    const Result r = run(args);
    EXPECT_EQ(r.status, kExitDone) << r.err;
    EXPECT_EQ(r.out, row.out);
    EXPECT_EQ(r.err, "");
    for (const std::string& name : row.existing)
      EXPECT_EQ(readFile(at("out/" + name)), "old");
  }
  EXPECT_EQ(run({"-y", "--skip-existing", "-d", "out"}).status, kExitUsage);
}

TEST_F(CliTest, ListWritesNothing) {
  const Result r = run({"--list", "-s", "clips", "-e", "avi", "-d", "out", "t.qtpl"});
  EXPECT_EQ(r.status, kExitDone) << r.err;
  EXPECT_EQ(r.out, "a.avi\nb.avi\nx,y.avi\n");
  EXPECT_TRUE(listFolder(at("out")).empty());
}

// A dry run meets what the real run would meet, writes nothing, and says
// which scripts would replace a file.
TEST_F(CliTest, DryRunEndsAsTheRealRunWould) {
  struct Row {
    std::vector<std::string> extra;
    bool existing;  // out/a.avs is there already
    bool interactive;
    int status;
    std::string out;  // with "@" for the destination folder
    std::string err;  // expected within standard error
  };
  const std::vector<Row> rows{
      {{}, false, false, kExitDone, "@a.avs\n@b.avs\n", ""},
      // A destination that is not there is named, before any script.
      {{"-d", "nothere"},
       false,
       false,
       kExitError,
       "",
       "The destination folder \"" + at("nothere") + "\" does not exist.\n"},
      {{"-d", "t.qtpl"},
       false,
       false,
       kExitError,
       "",
       "t.qtpl" + kSeparator + "a.avs: Invalid filename.\n"},
      {{}, true, false, kExitDeclined, "", "no terminal to ask; -y answers OK."},
      {{"--no-clobber"}, true, true, kExitDeclined, "", "(--no-clobber)"},
      {{"-y"}, true, false, kExitDone, "@a.avs\n@b.avs\n", "a.avs exists: the run replaces it."},
      {{}, true, true, kExitDone, "@a.avs\n@b.avs\n", "exists: the run asks before replacing it."},
      {{"-0"}, false, false, kExitDone, std::string("@a.avs\0@b.avs\0", 14), ""},
      // A name the file system refuses as too long.
      {{"-n", "*" + std::string(300, 'n')}, false, false, kExitError, "", "Invalid filename.\n"},
      // A clip listed twice would have its second script replace its first:
      // refused before anything, as clips that share a script name are.
      {{"-e", "AVI"}, false, false, kExitError, "", "\na.avs: a.avi, a.avi\n"},
      {{"-n", "Final"}, false, false, kExitError, "", "\nFinal.avs: a.avi, b.avi\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.err);
    std::filesystem::remove_all(at("out"));
    std::filesystem::create_directory(at("out"));
    if (row.existing) writeFile(at("out/a.avs"), "old");
    std::vector<std::string> args{"-s", "clips", "-e", "avi", "-c", "a.avi", "-c", "b.avi"};
    if (std::find(row.extra.begin(), row.extra.end(), "-d") == row.extra.end()) {
      args.insert(args.end(), {"-d", "out"});
    }
    args.insert(args.end(), row.extra.begin(), row.extra.end());
    args.insert(args.end(), {"t.qtpl", "--dry-run"});
    const Result dry = run(args, "", row.interactive);
    std::string out = row.out;
    for (std::size_t at_ = out.find('@'); at_ != std::string::npos; at_ = out.find('@'))
      out.replace(at_, 1, at("out/"));
    EXPECT_EQ(dry.status, row.status) << dry.err;
    EXPECT_EQ(dry.out, out);
    EXPECT_NE(dry.err.find(row.err), std::string::npos) << dry.err << " lacks " << row.err;
    EXPECT_EQ(listFolder(at("out")),
              row.existing ? std::vector<std::string>{"a.avs"} : std::vector<std::string>{});
    if (row.existing) {
      EXPECT_EQ(readFile(at("out/a.avs")), "old");
    }
    if (row.interactive) continue;  // the real run would ask
    args.pop_back();
    EXPECT_EQ(run(args).status, row.status);
  }
}

// Names that hold a line end, -0, and output that cannot be written.
TEST_F(CliTest, OutputKeepsNamesWholeAndFailsLoudly) {
#if !defined(_WIN32)  // Windows takes no line end in a file name
  writeFile(at("clips/two\nlines.avi"), "");
  Result r = run({"--list", "-s", "clips", "-e", "avi", "t.qtpl"});
  EXPECT_EQ(r.status, kExitDone) << r.err;
  EXPECT_EQ(r.out, "a.avi\nb.avi\ntwo?lines.avi\nx,y.avi\n");
  EXPECT_NE(r.err.find("1 name holds a line end, shown as '?'; -0"), std::string::npos) << r.err;

  r = run({"--list", "--null", "-s", "clips", "-e", "avi", "t.qtpl"});
  EXPECT_EQ(r.out, std::string("a.avi\0b.avi\0two\nlines.avi\0x,y.avi\0", 34));
  EXPECT_EQ(r.err, "");

  r = run({"-0", "-s", "clips", "-e", "avi", "-c", "two\nlines.avi", "-d", "out", "t.qtpl"});
  EXPECT_EQ(r.status, kExitDone) << r.err;
  EXPECT_EQ(r.out, std::string("two\nlines.avs\0", 14));  // no heading
  EXPECT_EQ(listFolder(at("out")), std::vector<std::string>{"two\nlines.avs"});
#endif

  // A stream that refuses every byte, as /dev/full does.
  struct Full : std::streambuf {
    int overflow(int) override { return traits_type::eof(); }
  } full;
  std::ostream fullOut(&full);
  std::istringstream in;
  std::ostringstream err;
  const CliEnvironment env{.executablePath = at("bin/clipquill-cli"),
                           .workingFolder = tmp_.path(),
                           .homeFolder = at("bin"),
                           .registryRoot = at("registry")};
  EXPECT_EQ(runCli({"--list", "-s", "clips", "t.qtpl"}, in, fullOut, err, env), kExitError);
  EXPECT_NE(err.str().find("clipquill-cli: standard output: "), std::string::npos) << err.str();
}

// Each error names what it is about before the error box's text.
TEST_F(CliTest, ErrorsNameWhatTheyAreAbout) {
  struct Row {
    std::vector<std::string> args;
    std::string ini;  // beside t.qtpl when not empty
    std::string err;  // all of standard error, with "@" for the working folder
  };
  const std::vector<Row> rows{
      {{"-s", "nothere", "-d", "out", "t.qtpl"},
       "",
       "clipquill-cli: --source '@nothere': File not found.\n"},
      {{"-s", "clips", "-d", "out", "t.qtpl"},
       "[Entries]\r\nClipLoc=/gone/clips\r\n",
       "clipquill-cli: t.ini: ClipLoc '/gone/clips': " + std::string(kMissingParent) +
           "\n"
           "clipquill-cli: --no-ini loads t.qtpl without its settings file.\n"},
      {{"-s", "clips", "-c", "a.avi", "-d", "out/a.avs/x", "t.qtpl"},
       "",
       "clipquill-cli: The destination folder \"@out/a.avs/x\" does not exist.\n"},
  };
  writeFile(at("out/a.avs"), "a file in the way");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.err);
    std::filesystem::remove(at("t.ini"));
    if (!row.ini.empty()) writeFile(at("t.ini"), row.ini);
    const Result r = run(row.args);
    std::string err = row.err;
    if (const std::size_t at_ = err.find('@'); at_ != std::string::npos)
      err.replace(at_, 1, at(""));
    EXPECT_EQ(r.status, kExitError);
    EXPECT_EQ(r.err, err);
  }

  // The way past a gone folder: the template alone, and the flag as it was.
  writeFile(at("t.ini"), "[Entries]\r\nClipLoc=/gone/clips\r\nScriptName=kept\r\n");
  const Result r = run({"--no-ini", "--show", "t.qtpl"});
  ASSERT_EQ(r.status, kExitDone) << r.err;
  const auto shown = nlohmann::json::parse(r.out);
  EXPECT_EQ(shown["ScriptName"], "");
  EXPECT_EQ(shown["LoadInis"], true);
  EXPECT_FALSE(std::filesystem::exists(at("registry/Software/Clipquill/t/LoadInis")));
}

TEST_F(CliTest, SaveTypeGivesANameWithoutAPeriodItsExtension) {
  struct Row {
    std::string path;
    std::string type;
    std::string written;
  };
  for (const Row& row : std::vector<Row>{{"n1", "avs", "n1.avs"},
                                         {"n2", "all", "n2"},
                                         {"n3", "", "n3"},
                                         {"n4.txt", "qtpl", "n4.txt"},
                                         {"n5", "txt", "n5.txt"}}) {
    std::vector<std::string> args{"--save", "out/" + row.path, "--save-inis", "off", "t.qtpl"};
    if (!row.type.empty()) args.insert(args.end(), {"--type", row.type});
    const Result r = run(args);
    EXPECT_EQ(r.status, kExitDone) << r.err;
    EXPECT_EQ(readFile(at("out/" + row.written)), kTemplate) << row.path;
  }
  EXPECT_EQ(run({"--type", "avs", "t.qtpl"}).status, kExitUsage);
  EXPECT_EQ(run({"--save", "x", "--type", "mkv", "t.qtpl"}).status, kExitUsage);
  EXPECT_EQ(run({"--show", "-0", "t.qtpl"}).status, kExitUsage);
}

// On a terminal a long run keeps a count on standard error, and takes it
// away before anything else is said.
TEST_F(CliTest, ProgressShowsOnlyOnATerminal) {
  for (const bool terminal : {true, false}) {
    const CliEnvironment env{.executablePath = at("bin/clipquill-cli"),
                             .workingFolder = tmp_.path(),
                             .homeFolder = at("bin"),
                             .registryRoot = at("registry"),
                             .progress = terminal,
                             .progressAfter = std::chrono::seconds(0)};
    std::filesystem::remove_all(at("out"));
    std::filesystem::create_directory(at("out"));
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runCli({"-s", "clips", "-d", "out", "t.qtpl"}, in, out, err, env), kExitDone);
    if (terminal) {
      EXPECT_EQ(err.str(), "\rclipquill-cli: 0 of 4 scripts written\x1B[K\r\x1B[K");
    } else {
      EXPECT_EQ(err.str(), "");
    }
  }
}

TEST_F(CliTest, ShowPrintsTheStateAsValidJson) {
  // Bytes that are no UTF-8 must not break the JSON.
  writeFile(at("t.qtpl"), "Import(\"\xff.avsi\")\r\nAviSource(\"<P><F>\")\r\n");
  const Result r = run({"--show", "-s", "clips", "-p", "a", "-e", "avi", "-e", "mpg", "-n", "*_x",
                        "-d", "out", "--save-inis", "off", "t.qtpl"});
  ASSERT_EQ(r.status, kExitDone) << r.err;
  const auto shown = nlohmann::ordered_json::parse(r.out);
  std::vector<std::string> keys;
  for (const auto& item : shown.items())
    keys.push_back(item.key());
  EXPECT_EQ(keys, (std::vector<std::string>{"ClipLoc", "ClipName", "ScriptName", "ScriptDest",
                                            "Filters", "LoadInis", "SaveInis", "ClipMask",
                                            "TemplatePath", "TemplateLines"}));
  EXPECT_EQ(shown["ClipLoc"], at("clips"));
  EXPECT_EQ(shown["ClipName"], "a");
  EXPECT_EQ(shown["ScriptName"], "*_x");
  EXPECT_EQ(shown["ScriptDest"], at("out"));
  EXPECT_EQ(shown["Filters"],
            nlohmann::ordered_json::parse(
                R"([{"text":"avi","checked":true},{"text":"mpg","checked":true}])"));
  EXPECT_EQ(shown["LoadInis"], true);
  EXPECT_EQ(shown["SaveInis"], false);
  EXPECT_EQ(shown["ClipMask"], "a*.avi;a*.mpg");
  EXPECT_EQ(shown["TemplatePath"], at("t.qtpl"));
  EXPECT_EQ(shown["TemplateLines"][0], "Import(\"\xef\xbf\xbd.avsi\")");
  EXPECT_EQ(shown["TemplateLines"][1], "AviSource(\"<P><F>\")");
  EXPECT_TRUE(listFolder(at("out")).empty());
}

// --show prints its document in pieces; whatever the texts hold, the result
// must be the very layout that dumping the whole document gives.
TEST_F(CliTest, ShowIsLaidOutAsTheWholeDocumentDumped) {
  struct Row {
    const char* name;
    std::string settings;  // t.ini beside the template; "" for none
    std::string templateText;
    std::vector<std::pair<std::string, bool>> filters;
  };
  const Row rows[] = {
      {"no filters, no lines", "[FilterBy]\r\n", "", {}},
      {"one plain entry checked",
       "[FilterBy]\r\nExt0=avi\r\n[FilterState]\r\nExt0State=1\r\n",
       kTemplate.data(),
       {{"avi", true}}},
      {"texts that JSON escapes",
       "[FilterBy]\r\nExt0=a\"b\r\nExt1=c\\d\r\nExt2=e\tf\r\nExt3=\xff\r\nExt4=\x7f\r\n"
       "Ext5=caf\xc3\xa9\r\n",
       "a\"b\\c\td\r\n\xfe\r\n\r\n",
       {{"a\"b", false},
        {"c\\d", false},
        {"e\tf", false},
        {"\xef\xbf\xbd", false},
        {"\x7f", false},
        {"caf\xc3\xa9", false}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    writeFile(at("t.qtpl"), row.templateText);
    writeFile(at("t.ini"), row.settings);
    const Result r = run({"--show", "t.qtpl"});
    ASSERT_EQ(r.status, kExitDone) << r.err;
    const auto shown = nlohmann::ordered_json::parse(r.out);
    EXPECT_EQ(shown.dump(2) + "\n", r.out);
    auto expected = nlohmann::ordered_json::array();
    for (const auto& [text, checked] : row.filters)
      expected.push_back({{"text", text}, {"checked", checked}});
    EXPECT_EQ(shown["Filters"], expected);
  }
}

// The option forms a getopt user types: values glued on or after "=",
// grouped flags, a value that starts with "-", and "--" before the operand.
TEST_F(CliTest, TakesTheUsualOptionForms) {
  const Result r = run(
      {"--show", "-sclips", "--dest=out", "-jpa", "-n", "-x,y", "--save-inis=off", "--", "t.qtpl"});
  ASSERT_EQ(r.status, kExitDone) << r.err;
  const auto shown = nlohmann::json::parse(r.out);
  EXPECT_EQ(shown["ClipLoc"], at("clips"));
  EXPECT_EQ(shown["ScriptDest"], at("out"));
  EXPECT_EQ(shown["ClipName"], "a");
  EXPECT_EQ(shown["ScriptName"], "-x,y");
  EXPECT_EQ(shown["SaveInis"], false);
  EXPECT_EQ(shown["TemplatePath"], at("t.qtpl"));
}

TEST_F(CliTest, SaveWritesTemplateSettingsAndFlagsThatTheNextRunLoads) {
  std::filesystem::create_directory(at("kept"));
  Result r = run({"--save", "kept/new.QTPL", "--load-inis", "off", "-s", "clips", "-e", "avi", "-d",
                  "out", "t.qtpl"});
  ASSERT_EQ(r.status, kExitDone) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(readFile(at("kept/new.QTPL")), kTemplate);
  EXPECT_NE(readFile(at("kept/new.ini")).find("ScriptDest=" + at("out")), std::string::npos);
  EXPECT_EQ(readFile(at("registry/Software/Clipquill/new/LoadInis")), "dword:00000000");
  EXPECT_EQ(readFile(at("registry/Software/Clipquill/new/SaveInis")), "dword:00000001");
  EXPECT_TRUE(listFolder(at("out")).empty());

  // The stored flag keeps the settings file out of the next load. Turning it
  // on again takes a save over the same file, which only -y replaces.
  r = run({"--show", "kept/new.QTPL"});
  EXPECT_EQ(nlohmann::json::parse(r.out)["ScriptDest"], "");
  r = run({"--save", "kept/new.QTPL", "--load-inis", "on", "kept/new.QTPL"});
  EXPECT_EQ(r.status, kExitDeclined);
  r = run({"--save", "kept/new.QTPL", "--load-inis", "on", "-y", "-s", "clips", "-e", "avi", "-d",
           "out", "kept/new.QTPL"});
  EXPECT_EQ(r.status, kExitDone) << r.err;
  r = run({"-c", "b.avi", "kept/new.QTPL"});
  EXPECT_EQ(r.status, kExitDone) << r.err;
  EXPECT_EQ(listFolder(at("out")), std::vector<std::string>{"b.avs"});
}

TEST_F(CliTest, HelpAndVersionStartNothing) {
  // A template whose settings would fail start-up shows that nothing is loaded.
  writeFile(at("t.ini"), "[Entries]\r\nClipLoc=" + at("gone") + "\r\n");
  Result r = run({"--version", "t.qtpl"});
  EXPECT_EQ(r.status, kExitDone);
  // The helper named here is not there: no AviSynth+ is looked for, and why.
  EXPECT_EQ(r.out.rfind("clipquill-cli 2.22\nAviSynth+: none found (", 0), 0u) << r.out;
  r = run({"-h", "t.qtpl"});
  EXPECT_EQ(r.status, kExitDone);
  EXPECT_EQ(r.out.rfind("Usage: clipquill-cli [OPTIONS] [TEMPLATE]\n", 0), 0u);
  EXPECT_EQ(r.err, "");
}

// Clips handed over as a file manager hands a selection: one run per folder,
// the default template unless --template names one. (Names beyond ASCII are
// the code page's matter on Windows, tested with the run's encoding.)
TEST_F(CliTest, ClipsHandedOverGetTheirScriptsFolderByFolder) {
  std::filesystem::create_directory(at("other dir"));
  writeFile(at("other dir/a.avi"), "");
  writeFile(at("other dir/d e.mkv"), "");
  writeFile(at("bin/DefaultTemplate.qtpl"), "Default(\"<P><F>\")\r\n");
  const std::string shipped = "clipquill-cli: You have no default template of your own";
  struct Row {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string out;
    std::vector<std::string> errs;  // each found in standard error
    std::map<std::string, std::string> files;
  };
  const std::string sep = kSeparator;
  const std::vector<Row> rows{
      {"the shipped default, beside the clips, <P> each clip's own folder",
       {"--clips", "clips/a.avi", "other dir/d e.mkv", "gone.avi"},
       kExitDone,
       "Script(s) Created:\nclips" + sep + "a.avs\nother dir" + sep + "d e.avs\n",
       {shipped, "Not found, left out: " + at("gone.avi")},
       {{"clips/a.avs", "Default(\"" + at("clips/a.avi") + "\")\r\n"},
        {"other dir/d e.avs", "Default(\"" + at("other dir/d e.mkv") + "\")\r\n"}}},
      {"the template given; a folder gives its clips",
       {"--clips", "--template", "t.qtpl", "clips", "-d", "out", "-n", "*_s"},
       kExitDone,
       "Script(s) Created:\nout" + sep + "a_s.avs\nout" + sep + "b_s.avs\nout" + sep +
           "c_s.avs\nout" + sep + "x,y_s.avs\n",
       {},
       {{"out/a_s.avs", script(quoted("a.avi"))}, {"out/c_s.avs", script(quoted("c.mpg"))}}},
      {"two folders' clips named alike into one destination: refused whole",
       {"--clips", "-d", "out", "clips/b.avi", "clips/a.avi", "other dir/a.avi"},
       kExitError,
       "",
       {"would get the same script", at("clips/a.avi") + ", " + at("other dir/a.avi")},
       {}},
      {"joined over two folders: refused with why",
       {"--clips", "-j", "-n", "all", "clips/a.avi", "other dir/a.avi"},
       kExitError,
       "",
       {"A joined script takes its clips from one source folder"},
       {}},
      {"joined in one folder",
       {"--clips", "-j", "-n", "all", "--template", "t.qtpl", "clips/b.avi", "clips/a.avi"},
       kExitDone,
       "Script(s) Created:\nclips" + sep + "all.avs\n",
       {},
       {{"clips/all.avs", script(quoted("a.avi") + ", " + quoted("b.avi"))}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    for (const char* folder : {"clips", "out", "other dir"}) {
      for (const std::string& name : listFolder(at(folder)))
        if (name.ends_with(".avs")) std::filesystem::remove(at(std::string(folder) + "/" + name));
    }
    const Result r = run(row.args);
    EXPECT_EQ(r.status, row.status) << r.err;
    EXPECT_EQ(r.out, row.out);
    for (const std::string& err : row.errs)
      EXPECT_NE(r.err.find(err), std::string::npos) << r.err;
    if (row.errs.empty()) {
      EXPECT_EQ(r.err, "");
    }
    std::size_t scripts = 0;
    for (const char* folder : {"clips", "out", "other dir"}) {
      for (const std::string& name : listFolder(at(folder)))
        scripts += name.ends_with(".avs") ? 1 : 0;
    }
    EXPECT_EQ(scripts, static_cast<std::size_t>(std::count(row.out.begin(), row.out.end(), '\n') -
                                                (row.out.empty() ? 0 : 1)));
    for (const auto& [path, bytes] : row.files)
      EXPECT_EQ(readFile(at(path)), bytes) << path;
  }
}

TEST_F(CliTest, ClipsOptionUsageErrors) {
  const struct {
    std::vector<std::string> args;
    const char* err;
  } rows[] = {
      {{"--clips"}, "--clips needs the clips"},
      {{"--clips", "-s", "clips", "clips/a.avi"}, "not with -s"},
      {{"--clips", "-c", "a.avi", "clips/a.avi"}, "not with -c"},
      {{"--clips", "--list", "clips/a.avi"}, "not with --list"},
      {{"--template", "t.qtpl"}, "--template goes with --clips"},
      {{"--clips", "--check-only", "clips/a.avi"}, "exclude each other"},
  };
  for (const auto& row : rows) {
    const Result r = run(row.args);
    EXPECT_EQ(r.status, kExitUsage) << row.err;
    EXPECT_NE(r.err.find(row.err), std::string::npos) << r.err;
  }
}

// The file manager's action: questions and refusals in a window (here a
// script answers them), one notice at the end.
TEST_F(CliTest, DesktopBatchAsksInAWindowAndNotifiesOnce) {
  std::filesystem::create_directory(at("other"));
  writeFile(at("other/d.avi"), "");
  writeFile(at("clips/a.avs"), "old");
  struct Asked {
    MessageKind kind;
    Buttons buttons;
    std::string text;
  };
  struct Row {
    const char* name;
    std::vector<std::string> args;
    std::optional<Answer> answer;  // the window's; nothing: no window could ask
    int status;
    std::vector<Buttons> asked;
    std::string summary, bodyHas, folder;
    std::string aAvs;  // clips/a.avs afterwards
  };
  const std::vector<Row> rows{
      {"an existing script: Replace All in the window",
       {"clips/a.avi", "clips/b.avi"},
       Answer::ReplaceAll,
       kExitDone,
       {Buttons::ReplaceAllSkip},
       "2 scripts written in " + at("clips"),
       "",
       at("clips/"),
       script(quoted("a.avi"))},
      {"Skip keeps it",
       {"clips/a.avi", "clips/b.avi"},
       Answer::Skip,
       kExitDone,
       {Buttons::ReplaceAllSkip},
       "1 script written in " + at("clips"),
       "",
       at("clips/"),
       "old"},
      {"no window to ask: nothing replaced behind the user's back",
       {"clips/a.avi", "clips/b.avi"},
       std::nullopt,
       kExitDeclined,
       {Buttons::ReplaceAllSkip},
       "No script written",
       "Stopped at an existing script",
       "",
       "old"},
      {"a refusal is shown in the window and said in the notice",
       {"-j", "clips/a.avi", "other/d.avi", "gone.avi"},
       Answer::Ok,
       kExitError,
       {Buttons::Ok},
       "No script written",
       "A joined script takes its clips from one source folder",
       "",
       "old"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    writeFile(at("clips/a.avs"), "old");
    std::filesystem::remove(at("clips/b.avs"));
    std::vector<Asked> asked;
    std::vector<std::string> notices;
    CliEnvironment env{
        .executablePath = at("bin/clipquill-cli"),
        .workingFolder = tmp_.path(),
        .homeFolder = at("bin"),
        .registryRoot = at("registry"),
    };
    env.askInWindow = [&](MessageKind kind, Buttons buttons, std::string_view text) {
      asked.push_back({kind, buttons, std::string(text)});
      return row.answer;
    };
    env.notify = [&](const std::string& summary, const std::string& body,
                     const std::string& folder) {
      notices.push_back(summary + "|" + body + "|" + folder);
    };
    env.gatherPlace = at("gather");
    std::vector<std::string> args{"--clips", "--desktop", "--template", "t.qtpl"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    std::istringstream in;
    std::ostringstream out, err;
    EXPECT_EQ(runCli(args, in, out, err, env), row.status) << err.str();
    std::vector<Buttons> buttons;
    for (const Asked& a : asked)
      buttons.push_back(a.buttons);
    EXPECT_EQ(buttons, row.asked);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].substr(0, notices[0].find('|')), row.summary) << notices[0];
    EXPECT_NE(notices[0].find(row.bodyHas), std::string::npos) << notices[0];
    EXPECT_TRUE(notices[0].ends_with("|" + row.folder)) << notices[0];
    EXPECT_EQ(readFile(at("clips/a.avs")), row.aAvs);
  }
}

#if !defined(_WIN32)  // Windows' processes run their own clips, not gathered
// Processes started together for one selection: the first leads, the others
// hand it their clips and end; once it is gone the next one leads.
TEST_F(CliTest, ProcessesStartedTogetherGatherIntoOneRun) {
  const std::string place = at("gather");
  std::unique_ptr<ClipGather> leader = joinOrLeadGather({"a"}, place);
  ASSERT_NE(leader, nullptr);
  std::vector<std::thread> others;
  const std::vector<std::vector<std::string>> handed{{"b"}, {"c d", "e\xc3\xa9"}, {"f"}};
  for (const auto& paths : handed)
    others.emplace_back([&, paths] { EXPECT_EQ(joinOrLeadGather(paths, place), nullptr); });
  for (std::thread& t : others)
    t.join();
  std::vector<std::string> gathered =
      leader->collect(std::chrono::milliseconds(200), std::chrono::seconds(5));
  std::sort(gathered.begin(), gathered.end());
  EXPECT_EQ(gathered, (std::vector<std::string>{"b", "c d", "e\xc3\xa9", "f"}));
  EXPECT_TRUE(leader->collect(std::chrono::milliseconds(50), std::chrono::seconds(1)).empty());
  // A whole run of the command line hands its clips over as one of them.
  std::thread run([&] {
    CliEnvironment env{.executablePath = at("bin/clipquill-cli"),
                       .workingFolder = tmp_.path(),
                       .homeFolder = at("bin"),
                       .registryRoot = at("registry")};
    env.gatherPlace = place;
    std::istringstream in;
    std::ostringstream out, err;
    EXPECT_EQ(runCli({"--clips", "--desktop", "clips/a.avi"}, in, out, err, env), kExitDone);
    EXPECT_EQ(out.str(), "");
  });
  run.join();
  EXPECT_EQ(leader->collect(std::chrono::milliseconds(200), std::chrono::seconds(5)),
            std::vector<std::string>{at("clips/a.avi")});
  EXPECT_EQ(listFolder(at("clips")),
            (std::vector<std::string>{"a.avi", "b.avi", "c.mpg", "x,y.avi"}));
  // Once the leader stops, a process is not taken but leads a run of its own.
  EXPECT_TRUE(leader->finish().empty());
  std::unique_ptr<ClipGather> second;
  std::thread late([&] { second = joinOrLeadGather({"g"}, place); });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  leader.reset();
  late.join();
  EXPECT_NE(second, nullptr);
}
#endif

#if !defined(_WIN32)  // permission bits; Windows has access lists
TEST_F(CliTest, UnwritableDestinationIsAnErrorUnprivileged) {
  if (::geteuid() == 0) GTEST_SKIP() << "root is not stopped by permission bits";
  std::filesystem::permissions(
      at("out"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const Result r = run({"-s", "clips", "-e", "avi", "-d", "out", "t.qtpl"});
  EXPECT_EQ(r.status, kExitError);
  EXPECT_NE(r.err.find("out/a.avs: File access denied."), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");  // nothing written, no heading
  // The dry run meets the same refusal.
  const Result dry = run({"-s", "clips", "-e", "avi", "-d", "out", "--dry-run", "t.qtpl"});
  EXPECT_EQ(dry.status, kExitError);
  EXPECT_EQ(dry.err, r.err);
  EXPECT_EQ(dry.out, "");
  // Handed-over clips of a read-only folder: refused with the folder named
  // before any script is written, those of a writable folder included.
  std::filesystem::create_directory(at("free"));
  writeFile(at("free/f.avi"), "");
  std::filesystem::permissions(
      at("clips"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const Result batch = run({"--clips", "--template", "t.qtpl", "free/f.avi", "clips/a.avi"});
  std::filesystem::permissions(at("clips"), std::filesystem::perms::owner_all);
  EXPECT_EQ(batch.status, kExitError);
  EXPECT_NE(batch.err.find(at("clips") + " takes no new file"), std::string::npos) << batch.err;
  EXPECT_EQ(batch.out, "");
  EXPECT_EQ(listFolder(at("free")), std::vector<std::string>{"f.avi"});
}
#endif

#if !defined(_WIN32)  // permission bits; Windows has access lists
// What only permission bits refuse, which stop no root: the dry run asks
// the file system for the right to replace each script, and where the folder
// takes no new file, for the right to write it in place.
TEST_F(CliTest, DryRunMeetsTheRealRunsRightsUnprivileged) {
  if (::geteuid() == 0) GTEST_SKIP() << "root is not stopped by permission bits";
  const struct {
    bool readOnlyScript;
    bool readOnlyFolder;
    int status;
    const char* err;
  } rows[] = {
      {true, false, kExitError, "out/a.avs: File access denied.\n"},
      {false, true, kExitDone, ""},  // written in place
      {true, true, kExitError, "out/a.avs: File access denied.\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.readOnlyScript) + std::to_string(row.readOnlyFolder));
    std::filesystem::permissions(at("out"), std::filesystem::perms::owner_all);
    std::filesystem::remove_all(at("out"));
    std::filesystem::create_directory(at("out"));
    writeFile(at("out/a.avs"), "old");
    using std::filesystem::perms;
    if (row.readOnlyScript) std::filesystem::permissions(at("out/a.avs"), perms::owner_read);
    if (row.readOnlyFolder) {
      std::filesystem::permissions(at("out"), perms::owner_read | perms::owner_exec);
    }
    const std::vector<std::string> args{"-y", "-s", "clips", "-c", "a.avi", "-d", "out", "t.qtpl"};
    std::vector<std::string> dryArgs = args;
    dryArgs.push_back("--dry-run");
    const Result dry = run(dryArgs);
    const Result real = run(args);
    EXPECT_EQ(dry.status, row.status) << dry.err;
    EXPECT_EQ(real.status, row.status) << real.err;
    EXPECT_NE(real.err.find(row.err), std::string::npos) << real.err;
    if (row.status == kExitError) {
      EXPECT_EQ(dry.err, real.err);
    }
  }
  std::filesystem::permissions(at("out"), std::filesystem::perms::owner_all);
}
#endif

}  // namespace
}  // namespace clipquill::cli
