// SPDX-License-Identifier: GPL-3.0-or-later
// The built program itself, run in a folder of its own with its own flags
// store, its input from /dev/null (no terminal) and its output in files.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include <nlohmann/json.hpp>

#include "check/avisynth_places.h"
#include "check/real_clips.h"
#include "persist/check_settings.h"
#include "persist/folder_registry.h"
#include "support/temp_dir.h"

extern char** environ;

namespace clipquill::cli {
namespace {

using clipquill::testing::readFile;
using clipquill::testing::TempDir;
using clipquill::testing::writeFile;

struct Spawned {
  int status = -1;
  std::string out;
  std::string err;
};

// The program started in tmp, with tmp as its home and tmp/config as its
// config folder unless env says otherwise; its output into outPath and
// errPath. Returns its process id, or -1.
pid_t startCli(const TempDir& tmp, const std::vector<std::string>& args, const std::string& outPath,
               const std::string& errPath, std::vector<std::string> env = {}) {
  std::vector<std::string> envText =
      env.empty() ? std::vector<std::string>{"XDG_CONFIG_HOME=" + tmp.slash() + "config",
                                             "HOME=" + tmp.path()}
                  : std::move(env);
  envText.push_back("PATH=/usr/bin:/bin");
  std::vector<char*> envp;
  for (std::string& entry : envText)
    envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::vector<std::string> argText{CLIPQUILL_CLI_BINARY};
  argText.insert(argText.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argText)
    argv.push_back(arg.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addchdir_np(&actions, tmp.path().c_str());
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return spawned == 0 ? pid : -1;
}

// The exit status of a started program, or -1.
int exitStatus(pid_t pid) {
  int wstatus = 0;
  if (pid < 0 || ::waitpid(pid, &wstatus, 0) != pid || !WIFEXITED(wstatus)) return -1;
  return WEXITSTATUS(wstatus);
}

// The program run to its end; standard output into outPath if given, else
// returned.
Spawned spawnCli(const TempDir& tmp, const std::vector<std::string>& args,
                 const std::string& outPath = "", std::vector<std::string> env = {}) {
  const std::string out = outPath.empty() ? tmp.slash() + "stdout" : outPath;
  const std::string err = tmp.slash() + "stderr";
  Spawned run;
  run.status = exitStatus(startCli(tmp, args, out, err, std::move(env)));
  run.out = outPath.empty() ? readFile(out) : "";
  run.err = readFile(err);
  return run;
}

TEST(CliEndToEndTest, RunsAsAProgram) {
  TempDir tmp;
  std::filesystem::create_directory(tmp.slash() + "clips");
  std::filesystem::create_directory(tmp.slash() + "out");
  std::filesystem::create_directory(tmp.slash() + "config");
  writeFile(tmp.slash() + "clips/a.avi", "");
  writeFile(tmp.slash() + "Hall.qtpl", "AviSource(\"<P><F>\")\r\n");

  struct Row {
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string err;  // expected within standard error
  };
  const std::vector<Row> rows{
      // The second line, which AviSynth+ a check would use, is checked below.
      {{"--version"}, 0, "", ""},
      {{"-s", "clips", "-e", "avi", "-d", "out", "Hall.qtpl"},
       0,
       "Script(s) Created:\na.avs\n",
       ""},
      // The same again: no terminal, so the existing script is kept, and
      // with nothing written there is no heading either.
      {{"-s", "clips", "-e", "avi", "-d", "out", "Hall.qtpl"}, 3, "", "no terminal to ask"},
      {{"--list", "--show"}, 2, "", "Try 'clipquill-cli --help'."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.args.front());
    const Spawned run = spawnCli(tmp, row.args);
    EXPECT_EQ(run.status, row.status) << run.err;
    if (row.args.front() == "--version") {
      // The build tree's own AviSynth+ when it has one, else why none.
      EXPECT_EQ(run.out.rfind("clipquill-cli 2.22\nAviSynth+", 0), 0u) << run.out;
      EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 2) << run.out;
      continue;
    }
    EXPECT_EQ(run.out, row.out);
    EXPECT_NE(run.err.find(row.err), std::string::npos) << run.err;
  }
  EXPECT_EQ(readFile(tmp.slash() + "out/a.avs"),
            "AviSource(\"" + tmp.slash() + "clips/a.avi\")\r\n");
  // Output that cannot be written is an error, not a success: the help and
  // the version too.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--list", "-s", "clips", "Hall.qtpl"},
        {"--help"},
        {"--version"}}) {
    const Spawned full = spawnCli(tmp, args, "/dev/full");
    EXPECT_EQ(full.status, 1) << args.front();
    EXPECT_EQ(full.err, "clipquill-cli: standard output: Disk full.\n") << args.front();
  }
  // The flags store is the one below XDG_CONFIG_HOME.
  EXPECT_TRUE(std::filesystem::is_directory(tmp.slash() +
                                            "config/Clipquill/registry/Software/Clipquill/Hall"));
}

// The check with AviSynth+ itself (the library the build made), of scripts
// from templates its core runs without plugins: clips that are .avsi scripts
// giving a BlankClip, imported per clip and joined.
TEST(CliEndToEndTest, ChecksScriptsWithAvisynth) {
  const std::string avisynth = CLIPQUILL_AVISYNTH_LIBRARY;
  if (avisynth.empty()) GTEST_SKIP() << "built without CLIPQUILL_AVISYNTH_LIBRARY";
  TempDir tmp;
  std::filesystem::create_directory(tmp.slash() + "clips");
  std::filesystem::create_directory(tmp.slash() + "out");
  for (const char* clip : {"a.avsi", "b.avsi", "it\"s.avsi"})
    writeFile(tmp.slash() + "clips/" + clip, "BlankClip(length=10)\r\n");
  writeFile(tmp.slash() + "Import.qtpl", "Import(\"<P><F>\")\r\n");
  writeFile(tmp.slash() + "filter.avs", "BlankClip()\r\n\r\nNoSuchFilter()\r\n");
  writeFile(tmp.slash() + "loop.avs", "while (true) {\r\n}\r\n");
  writeFile(tmp.slash() + "good.avs", "BlankClip()\r\n");
  // Past the quote that ends the string early: Import(" clips/ it"
  const std::string quoteColumn = std::to_string(8 + tmp.slash().size() + 6 + 3 + 1);

  struct Row {
    std::vector<std::string> args;
    int status;
    std::string err;  // standard error, whole
  };
  const std::vector<std::string> run = {"-s",  "clips", "-e",      "avsi",       "-d",
                                        "out", "-y",    "--check", "--avisynth", avisynth};
  auto with = [&](std::vector<std::string> more) {
    std::vector<std::string> args = run;
    args.insert(args.end(), more.begin(), more.end());
    return args;
  };
  const std::vector<Row> rows{
      {with({"-c", "a.avsi", "Import.qtpl"}), 0, ""},
      {with({"--join", "-n", "all", "-c", "a.avsi", "-c", "b.avsi", "Import.qtpl"}), 0, ""},
      {with({"Import.qtpl"}), 4,
       "out/it\"s.avs:1:" + quoteColumn + ": Script error: expected a , or )\n"},
      {{"--check-only", "--avisynth", avisynth, "filter.avs", "good.avs"},
       4,
       "filter.avs:3: Script error: There is no function named 'NoSuchFilter'.\n"},
      {{"--check-only", "--avisynth", avisynth, "--check-time", "1", "loop.avs", "good.avs"},
       4,
       "loop.avs: timed out after 1 s\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.args.back());
    const Spawned result = spawnCli(tmp, row.args);
    EXPECT_EQ(result.status, row.status) << result.err;
    EXPECT_EQ(result.err, row.err);
  }

  // Without AviSynth+ --check says so, with how to get it, and exits 2;
  // the scripts are written all the same.
  const Spawned missing =
      spawnCli(tmp, {"-s", "clips", "-e", "avsi", "-d", "out", "-y", "-c", "b.avsi", "--check",
                     "--avisynth", tmp.slash() + "none/libavisynth.so", "Import.qtpl"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("clipquill-cli: cannot check the scripts with AviSynth+: "),
            std::string::npos)
      << missing.err;
  EXPECT_NE(missing.err.find("Install AviSynth+"), std::string::npos) << missing.err;
  EXPECT_NE(missing.out.find("b.avs"), std::string::npos);
}

// Scripts over real clips, opened by FFMS2's plugin from the build folder:
// --info tells what ffprobe tells of each clip, --frame writes the frame
// ffmpeg itself decodes, and a clip that is not video fails at its line.
TEST(CliEndToEndTest, RealClipsInfoAndFrames) {
  if (const std::string why = testing::realClipsMissing(); !why.empty()) GTEST_SKIP() << why;
  TempDir tmp;
  std::filesystem::create_directory(tmp.slash() + "clips");
  std::filesystem::create_directory(tmp.slash() + "out");
  // clip.mp4 would get clip.avi's script name: the run refuses such a pair.
  const std::vector<std::string> clips = {"clip one.mkv", "clip.avi", "clip 444.mkv",
                                          "not video.mkv"};
  testing::copyClips(tmp.slash() + "clips", clips);
  writeFile(tmp.slash() + "Src.qtpl", "FFVideoSource(\"<P><F>\")\r\n");
  const std::vector<std::string> common = {"-s",
                                           "clips",
                                           "-e",
                                           "mkv",
                                           "-e",
                                           "mp4",
                                           "-e",
                                           "avi",
                                           "-d",
                                           "out",
                                           "-y",
                                           "-n",
                                           "*",
                                           "--check",
                                           "--info",
                                           "--avisynth",
                                           CLIPQUILL_AVISYNTH_LIBRARY,
                                           "--avisynth-plugins",
                                           testing::kFfms2Plugins,
                                           "--frame",
                                           "30",
                                           "--frame-dir",
                                           "frames",
                                           "Src.qtpl"};
  const Spawned run = spawnCli(tmp, common);
  EXPECT_EQ(run.status, 4) << run.err;
  EXPECT_NE(run.err.find("out/not video.avs:1: FFVideoSource: Can't open"), std::string::npos)
      << run.err;

  std::size_t lines = 0;
  std::istringstream out(run.out);
  for (std::string line; std::getline(out, line); ++lines) {
    const auto json = nlohmann::json::parse(line);
    const std::string script = json["path"];
    SCOPED_TRACE(script);
    const std::string clip = script.substr(4, script.size() - 8);  // out/<clip name>.avs
    const auto found = std::find_if(clips.begin(), clips.end(), [&](const std::string& c) {
      return c.substr(0, c.rfind('.')) == clip;
    });
    ASSERT_NE(found, clips.end());
    if (*found == "not video.mkv") {
      EXPECT_EQ(json["ok"], false);
      EXPECT_EQ(json["error"]["line"], 1);
      continue;
    }
    ASSERT_EQ(json["ok"], true) << line;
    const ClipInfo probed = testing::probeClip(tmp.slash() + "clips/" + *found);
    EXPECT_EQ(json["video"]["width"], probed.width);
    EXPECT_EQ(json["video"]["height"], probed.height);
    EXPECT_EQ(json["video"]["fps_num"], probed.fpsNumerator);
    EXPECT_EQ(json["video"]["fps_den"], probed.fpsDenominator);
    EXPECT_EQ(json["video"]["frames"], probed.frameCount);
    // FFVideoSource gives the picture alone.
    EXPECT_TRUE(json["audio"].is_null());
    EXPECT_TRUE(std::filesystem::exists(tmp.slash() + "frames/" + clip + ".png"));
  }
  EXPECT_EQ(lines, clips.size());
  // Full chroma and no matrix carried: ffmpeg's decode with Rec.601.
  EXPECT_EQ(testing::channelsOff(
                testing::picturePixels(tmp.slash() + "frames/clip 444.png"),
                testing::ffmpegFrame(tmp.slash() + "clips/clip 444.mkv", 30, "bt601"), 2),
            0u);

  // A frame past the end is the run's error, said per script.
  const Spawned past = spawnCli(
      tmp, {"--check-only", "--avisynth", CLIPQUILL_AVISYNTH_LIBRARY, "--avisynth-plugins",
            testing::kFfms2Plugins, "--frame", "500", "--frame-dir", "frames", "out/clip.avs"});
  EXPECT_EQ(past.status, 1);
  EXPECT_EQ(past.err, "out/clip.avs: frame 500: past the end: the clip has 50 frames (0 to 49)\n");
}

// A home that is gone is not made again, folders and all, as root would
// make it anywhere: the save is done, and says the flags were not stored.
// --check and --check-only both load the library set in the window's
// options, which live in the user's own store. One that has gone is passed
// over, said, and kept: the build tree's own AviSynth+ then checks, where
// the build has one.
TEST(CliEndToEndTest, BothChecksUseTheLibraryOfTheOptions) {
  TempDir tmp;
  for (const char* folder : {"config", "clips", "out"})
    std::filesystem::create_directory(tmp.slash() + folder);
  writeFile(tmp.slash() + "clips/a.avi", "");
  writeFile(tmp.slash() + "Hall.qtpl", "BlankClip()\r\n");
  writeFile(tmp.slash() + "good.avs", "BlankClip()\r\n");
  std::unique_ptr<PersistFiles> files = makeSystemPersistFiles();
  FolderRegistry store(*files, tmp.slash() + "config/Clipquill/registry");
  const std::string stored = tmp.slash() + "none/libstored-avisynth.so";
  ASSERT_TRUE(writeCheckSettings(store, "Clipquill", CheckSettings{stored, 10}));
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--check-only", "good.avs"},
        std::vector<std::string>{"-s", "clips", "-e", "avi", "-d", "out", "--check",
                                 "Hall.qtpl"}}) {
    SCOPED_TRACE(args.front());
    const Spawned result = spawnCli(tmp, args);
    const bool bundled =
        !findBundledAvisynth(utf8Of(pathFromUtf8(CLIPQUILL_CLI_BINARY).parent_path()))
             .library.empty();
    EXPECT_EQ(result.status, bundled ? 0 : 2) << result.err;
    EXPECT_NE(result.err.find("libstored-avisynth.so"), std::string::npos) << result.err;
    if (bundled) {
      EXPECT_NE(result.err.find("clipquill-cli: The AviSynth+ library set in Options, " + stored +
                                ", cannot be loaded ("),
                std::string::npos)
          << result.err;
    }
  }
  EXPECT_EQ(readCheckSettings(store, "Clipquill").avisynthLibrary, stored);
}

TEST(CliEndToEndTest, AMissingHomeIsNotMade) {
  TempDir tmp;
  writeFile(tmp.slash() + "Hall.qtpl", "AviSource(\"<P><F>\")\r\n");
  for (const std::vector<std::string>& env :
       {std::vector<std::string>{"HOME=" + tmp.slash() + "gone/deep"},
        std::vector<std::string>{"HOME=" + tmp.path(),
                                 "XDG_CONFIG_HOME=" + tmp.slash() + "gone"}}) {
    SCOPED_TRACE(env.back());
    const Spawned run = spawnCli(tmp, {"--save", "Saved.qtpl", "-y", "Hall.qtpl"}, "", env);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err,
              "clipquill-cli: Could not save the value of \"Load Template ini's\"\n"
              "clipquill-cli: Could not save the value of \"Save Template ini's\"\n");
    EXPECT_FALSE(std::filesystem::exists(tmp.slash() + "gone"));
    EXPECT_TRUE(std::filesystem::exists(tmp.slash() + "Saved.qtpl"));
  }
}

// -s naming what is no folder: the folder error, and nothing written, not
// even with -y over scripts that are there.
TEST(CliEndToEndTest, ASourceThatIsNoFolderWritesNothing) {
  TempDir tmp;
  std::filesystem::create_directory(tmp.slash() + "out");
  writeFile(tmp.slash() + "b.avi", "");
  writeFile(tmp.slash() + "out/b.avs", "good");
  writeFile(tmp.slash() + "Hall.qtpl", "AviSource(\"<P><F>\")\r\n");
  ASSERT_EQ(::mkfifo((tmp.slash() + "fifo").c_str(), 0600), 0);
  for (const std::string source : {"fifo", "b.avi", "/dev/null", "fifo/"}) {
    SCOPED_TRACE(source);
    const Spawned run = spawnCli(tmp, {"-y", "-s", source, "-d", "out", "Hall.qtpl"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    const std::string full = source.front() == '/' ? source : tmp.slash() + source;
    EXPECT_EQ(run.err, "clipquill-cli: --source '" + full + "': Invalid filename.\n");
    EXPECT_EQ(readFile(tmp.slash() + "out/b.avs"), "good");
  }
}

// Two runs into one destination at once, round after round: a script the
// other run made between a run's look and its link is asked about as one
// that was there. With -y both finish and every script is whole; without,
// the one that meets such a script stops there as at any declined question.
TEST(CliEndToEndTest, TwoRunsRaceOverOneDestination) {
  // In memory where there is a tmpfs: the race is over names, and the sync
  // that replacements wait for would make the rounds wait for a busy disk.
  const TempDir tmp(std::filesystem::is_directory("/dev/shm") ? "/dev/shm"
                                                              : TempDir::defaultBase());
  std::filesystem::create_directory(tmp.slash() + "clips");
  constexpr int kClips = 300;
  for (int i = 0; i < kClips; ++i)
    writeFile(tmp.slash() + "clips/c" + std::to_string(i) + ".avi", "");
  writeFile(tmp.slash() + "t.qtpl", "AviSource(\"<P><F>\")\r\n");
  for (const bool yes : {true, false}) {
    int declined = 0;  // rounds in which a run stopped at a question
    for (int round = 0; round < 20; ++round) {
      SCOPED_TRACE(std::string(yes ? "-y" : "no -y") + ", round " + std::to_string(round));
      std::filesystem::remove_all(tmp.slash() + "out");
      std::filesystem::create_directory(tmp.slash() + "out");
      std::vector<std::string> args{"-s", "clips", "-d", "out", "t.qtpl"};
      if (yes) args.insert(args.begin(), "-y");
      const pid_t first = startCli(tmp, args, tmp.slash() + "out1", tmp.slash() + "err1");
      const pid_t second = startCli(tmp, args, tmp.slash() + "out2", tmp.slash() + "err2");
      const int statuses[] = {exitStatus(first), exitStatus(second)};
      declined += statuses[0] == 3 || statuses[1] == 3;
      for (int i = 0; i < 2; ++i) {
        const std::string err = readFile(tmp.slash() + "err" + std::to_string(i + 1));
        EXPECT_EQ(err.find("I/O error"), std::string::npos) << err;
        if (yes) {
          EXPECT_EQ(statuses[i], 0) << err;
          EXPECT_EQ(err, "");
        } else if (statuses[i] == 3) {
          EXPECT_NE(err.find("answered Cancel"), std::string::npos) << err;
        } else {
          EXPECT_EQ(statuses[i], 0) << err;
        }
      }
      for (int i = 0; i < kClips; ++i) {
        const std::string clip = "c" + std::to_string(i);
        ASSERT_EQ(readFile(tmp.slash() + "out/" + clip + ".avs"),
                  "AviSource(\"" + tmp.slash() + "clips/" + clip + ".avi\")\r\n");
      }
    }
    // However the two interleave, one of them meets the other's scripts.
    EXPECT_EQ(declined, yes ? 0 : 20);
  }
}

}  // namespace
}  // namespace clipquill::cli
