// SPDX-License-Identifier: GPL-3.0-or-later
// The window's own command line: what is answered before a window exists.
#include "ui/platform/program_args.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace clipquill {
namespace {

TEST(ProgramArgsTest, OnlyAnExactRequestStandingAloneIsAnswered) {
  const struct {
    std::vector<std::string> args;
    ProgramRequest request;
    std::optional<std::string> templatePath;
  } cases[] = {
      {{}, ProgramRequest::Start, std::nullopt},
      {{"--help"}, ProgramRequest::Help, std::nullopt},
      {{"--version"}, ProgramRequest::Version, std::nullopt},
      {{"Hall.qtpl"}, ProgramRequest::Start, "Hall.qtpl"},
      {{"./--help"}, ProgramRequest::Start, "./--help"},
      {{"--HELP"}, ProgramRequest::Start, "--HELP"},  // names are exact
      {{"-h"}, ProgramRequest::Start, "-h"},
      {{"--help="}, ProgramRequest::Start, "--help="},
      {{""}, ProgramRequest::Start, ""},
      // Not alone: the window starts, as with any two arguments, on the default.
      {{"--help", "--version"}, ProgramRequest::Start, std::nullopt},
      {{"Hall.qtpl", "--help"}, ProgramRequest::Start, std::nullopt},
  };
  for (const auto& c : cases) {
    const ProgramArgs parsed = readProgramArgs(c.args);
    EXPECT_EQ(parsed.request, c.request) << testing::PrintToString(c.args);
    EXPECT_EQ(parsed.templatePath, c.templatePath) << testing::PrintToString(c.args);
  }
}

TEST(ProgramArgsTest, ClipsAndTheDesktopBatchsRequests) {
  using Lines = std::vector<std::string>;
  const struct {
    Lines args;
    ProgramRequest request;
    std::optional<std::string> templatePath;
    Lines clips, words;
  } cases[] = {
      {{"--clips", "a b.avi", "c.mkv"},
       ProgramRequest::Start,
       std::nullopt,
       {"a b.avi", "c.mkv"},
       {}},
      // Alone it is a template's name, as any single argument.
      {{"--clips"}, ProgramRequest::Start, "--clips", {}, {}},
      {{"x.avi", "--clips", "y.avi"}, ProgramRequest::Start, std::nullopt, {}, {}},
      {{"--ask", "error", "ok", "text"},
       ProgramRequest::Ask,
       std::nullopt,
       {},
       {"error", "ok", "text"}},
      {{"--notify", "3 scripts", "", "/c/"},
       ProgramRequest::Notify,
       std::nullopt,
       {},
       {"3 scripts", "", "/c/"}},
      // A word short or over: the window, on the default template.
      {{"--ask", "error", "ok"}, ProgramRequest::Start, std::nullopt, {}, {}},
      {{"--notify", "a", "b", "c", "d"}, ProgramRequest::Start, std::nullopt, {}, {}},
  };
  for (const auto& c : cases) {
    const ProgramArgs parsed = readProgramArgs(c.args);
    EXPECT_EQ(parsed.request, c.request) << testing::PrintToString(c.args);
    EXPECT_EQ(parsed.templatePath, c.templatePath) << testing::PrintToString(c.args);
    EXPECT_EQ(parsed.clips, c.clips) << testing::PrintToString(c.args);
    EXPECT_EQ(parsed.words, c.words) << testing::PrintToString(c.args);
  }
}

TEST(ProgramArgsTest, PrintsTheAnswerAndItsStatusOrLetsTheWindowStart) {
  const struct {
    std::vector<const char*> argv;
    std::optional<int> status;
    std::string out;
  } cases[] = {
      {{"clipquill", "--version"}, 0, "clipquill 2.22\n"},
      {{"clipquill", "--help"}, 0, programHelpText()},
      {{"clipquill", "t.qtpl"}, std::nullopt, ""},
      {{"clipquill"}, std::nullopt, ""},
      {{}, std::nullopt, ""},
  };
  for (const auto& c : cases) {
    std::ostringstream out;
    EXPECT_EQ(answerProgramRequest(static_cast<int>(c.argv.size()), c.argv.data(), out), c.status);
    EXPECT_EQ(out.str(), c.out);
  }
  EXPECT_EQ(programHelpText().rfind("Usage: clipquill [TEMPLATE]\n", 0), 0u);
  EXPECT_NE(programHelpText().find("./--help"), std::string::npos);
}

TEST(ProgramArgsTest, AnOutputThatFailsIsAFailedRun) {
  std::ostringstream out;
  out.setstate(std::ios::badbit);
  const char* argv[] = {"clipquill", "--version"};
  EXPECT_EQ(answerProgramRequest(2, argv, out), 1);
}

}  // namespace
}  // namespace clipquill
