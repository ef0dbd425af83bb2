// SPDX-License-Identifier: GPL-3.0-or-later
// The built program itself, run in a folder of its own with its own flags
// store, its input from /dev/null (no terminal) and its output in files.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fcntl.h>

#include <filesystem>

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

Spawned spawnCli(const TempDir& tmp, const std::vector<std::string>& args,
                 const std::string& outPath = "") {
  std::vector<std::string> envText{"XDG_CONFIG_HOME=" + tmp.slash() + "config",
                                   "HOME=" + tmp.path(), "PATH=/usr/bin:/bin"};
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

  const std::string out = outPath.empty() ? tmp.slash() + "stdout" : outPath;
  const std::string err = tmp.slash() + "stderr";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addchdir_np(&actions, tmp.path().c_str());
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  Spawned run;
  if (spawned != 0) return run;
  int wstatus = 0;
  if (::waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus)) run.status = WEXITSTATUS(wstatus);
  run.out = outPath.empty() ? readFile(out) : "";
  run.err = readFile(err);
  return run;
}

TEST(CliEndToEndTest, RunsAsAProgram) {
  TempDir tmp;
  std::filesystem::create_directory(tmp.slash() + "clips");
  std::filesystem::create_directory(tmp.slash() + "out");
  writeFile(tmp.slash() + "clips/a.avi", "");
  writeFile(tmp.slash() + "Hall.qtpl", "AviSource(\"<P><F>\")\r\n");

  struct Row {
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string err;  // expected within standard error
  };
  const std::vector<Row> rows{
      {{"--version"}, 0, "2.22\n", ""},
      {{"-s", "clips", "-e", "avi", "-d", "out", "Hall.qtpl"},
       0,
       "Script(s) Created:\na.avs\n",
       ""},
      // The same again: no terminal, so the existing script is kept.
      {{"-s", "clips", "-e", "avi", "-d", "out", "Hall.qtpl"},
       3,
       "Script(s) Created:\n",
       "no terminal to ask"},
      {{"--list", "--show"}, 2, "", "Try 'clipquill-cli --help'."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.args.front());
    const Spawned run = spawnCli(tmp, row.args);
    EXPECT_EQ(run.status, row.status) << run.err;
    EXPECT_EQ(run.out, row.out);
    EXPECT_NE(run.err.find(row.err), std::string::npos) << run.err;
  }
  EXPECT_EQ(readFile(tmp.slash() + "out/a.avs"),
            "AviSource(\"" + tmp.slash() + "clips/a.avi\")\r\n");
  // Output that cannot be written is an error, not a success.
  const Spawned full = spawnCli(tmp, {"--list", "-s", "clips", "Hall.qtpl"}, "/dev/full");
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err, "clipquill-cli: standard output: Disk full.\n");
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
  EXPECT_NE(missing.err.find("Install AviSynth+"), std::string::npos);
  EXPECT_NE(missing.out.find("b.avs"), std::string::npos);
}

}  // namespace
}  // namespace clipquill::cli
