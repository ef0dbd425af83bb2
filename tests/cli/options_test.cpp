// SPDX-License-Identifier: GPL-3.0-or-later
// The options as --help lists them: each one it names is read as it says,
// and the manual page and the shell completion, written apart, name them all.
#include "cli/options.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace clipquill::cli {
namespace {

struct Listed {
  std::string letter;  // "-s", or empty
  std::string name;    // "--source"
  bool takesValue;
};

// "  -s, --source DIR", "      --list", "--load-inis on|off, --save-inis on|off".
std::vector<Listed> listedOptions() {
  std::vector<Listed> listed;
  const std::regex option(R"((?:(-\w), )?(--[a-z-]+)( [^ ,]+)?)");
  const std::string& help = helpText();
  std::size_t start = 0;
  while (start < help.size()) {
    const std::size_t end = help.find('\n', start);
    const std::string line = help.substr(start, end - start);
    start = end + 1;
    if (line.rfind("  -", 0) != 0 && line.rfind("      --", 0) != 0) continue;
    const std::string left = line.substr(0, line.find("   ", line.find('-')));
    for (std::sregex_iterator it(left.begin(), left.end(), option), stop; it != stop; ++it)
      listed.push_back({(*it)[1], (*it)[2], (*it)[3].matched});
  }
  return listed;
}

TEST(CliOptions, EachListedOptionIsReadInEveryFormItsHelpShows) {
  const std::vector<Listed> listed = listedOptions();
  ASSERT_EQ(listed.size(), 35u);
  for (const Listed& o : listed) {
    SCOPED_TRACE(o.name);
    // A value that every option taking one accepts on its own.
    const std::string value = o.name == "--type"           ? "avs"
                              : o.name.ends_with("-inis")  ? "on"
                              : o.name == "--check-time"   ? "5"
                              : o.name == "--check-memory" ? "2G"
                              : o.name == "--frame"        ? "3"
                                                           : "x";
    std::vector<std::string> forms{o.name};
    if (!o.letter.empty()) forms.push_back(o.letter);
    for (const std::string& form : forms) {
      std::vector<std::string> args{form};
      if (o.takesValue) args.push_back(value);
      // --type goes with --save only, the check's own with --check; the
      // scripts --check-only checks are its operands.
      if (o.name == "--type") args.insert(args.begin(), {"--save", "t.avs"});
      if (o.name == "--avisynth" || o.name == "--check-time" || o.name == "--avisynth-plugins" ||
          o.name == "--info" || o.name == "--check-memory") {
        args.insert(args.begin(), "--check");
      }
      // --frame and --frame-dir go together, with the check.
      if (o.name == "--frame") args.insert(args.begin(), {"--check", "--frame-dir", "f"});
      if (o.name == "--frame-dir") args.insert(args.begin(), {"--check", "--frame", "0"});
      if (o.name == "--check-only") args.push_back("a.avs");
      // --clips takes the clips as operands; --template goes with it.
      if (o.name == "--clips") args.push_back("a.avi");
      if (o.name == "--template" || o.name == "--desktop")
        args.insert(args.begin(), {"--clips", "a.avi"});
      EXPECT_NO_THROW(parseOptions(args, "/work")) << form;
    }
    // A flag given a value, or an option left without its value, is refused.
    const std::string wrong = o.takesValue ? o.name : o.name + "=x";
    EXPECT_THROW(parseOptions({wrong}, "/work"), UsageError);
  }
}

// What an option goes with is the table's: each mismatch is refused with
// its own sentence, and what goes together passes.
TEST(CliOptions, WhatAnOptionGoesWithIsRefusedWithoutIt) {
  struct Case {
    std::vector<std::string> args;
    std::string refused;  // the usage error; empty: accepted
  };
  const std::vector<Case> cases = {
      {{"--check-time", "5"}, "--check-time goes with --check, --check-only or --functions"},
      {{"--frame-dir", "f"}, "--frame goes with --check or --check-only"},
      {{"--check", "--frame-dir", "f"}, "--frame and --frame-dir go together"},
      {{"--type", "avs"}, "--type goes with --save"},
      {{"--check", "--list"},
       "--check checks the scripts written: not with --list, --show, --dry-run or --save"},
      {{"-0", "--show"}, "-0 goes with --list, --dry-run or the scripts' list"},
      {{"--check", "--info", "-0"}, "--info prints JSON lines: not with -0"},
      {{"--list", "--save", "x"},
       "--list, --show, --dry-run, --save, --check-only and --functions exclude each other"},
      {{"--functions", "--info"}, "--info goes with --check or --check-only"},
      {{"--functions", "t.qtpl"}, "--functions takes no TEMPLATE"},
      {{"--functions", "--avisynth", "/a/libavisynth.so", "--avisynth-plugins", "p", "--check-time",
        "5", "--check-memory", "1G"},
       ""},
      {{"-y", "--skip-existing"}, "-y, --no-clobber and --skip-existing exclude each other"},
      {{"--check", "--check-time", "0"},
       "--check-time takes whole seconds from 1 to 86400, not '0'"},
      {{"--check", "--frame", "-1", "--frame-dir", "f"},
       "--frame takes a frame number from 0, not '-1'"},
      {{"--check", "--avisynth", ""}, "--avisynth needs a path"},
      {{"--check-only", "a.avs", "--info", "--frame", "2", "--frame-dir", "f"}, ""},
      {{"--check-only", "a.avs", "-0", "--check-memory", "1G"}, ""},
      {{"--save", "t.avs", "--type", "txt", "--no-clobber"}, ""},
      {{"--dry-run", "-0", "-y"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front() + (c.args.size() > 1 ? " " + c.args[1] : ""));
    try {
      parseOptions(c.args, "/work");
      EXPECT_EQ(c.refused, "");
    } catch (const UsageError& e) {
      EXPECT_EQ(e.what(), c.refused);
    }
  }
}

// --help speaks of this system's places and paths only.
TEST(CliOptions, TheHelpsPlacesAreThisSystemsOwn) {
  const std::string& help = helpText();
#if defined(_WIN32)
  const char* const own[] = {"%APPDATA%\\Clipquill\\", "-s C:\\clips"};
  const char* const foreign[] = {"~/", "XDG_CONFIG_HOME", "../share", "/clips"};
#else
  const char* const own[] = {"$XDG_CONFIG_HOME/Clipquill/", "-s ~/clips"};
  const char* const foreign[] = {"C:\\", "%APPDATA%"};
#endif
  for (const char* text : own)
    EXPECT_NE(help.find(text), std::string::npos) << text;
  for (const char* text : foreign)
    EXPECT_EQ(help.find(text), std::string::npos) << text;
  EXPECT_TRUE(help.ends_with("Hall.qtpl\n"));
}

// The completion's words are made from the table at build time; the build
// tree's completion is checked as installed by cli_docs_name_every_option.
TEST(CliOptions, TheManualAndTheCompletionNameEveryOption) {
  const std::string manual =
      testing::readFile(std::string(CLIPQUILL_SOURCE_DIR) + "/resources/man/clipquill-cli.1");
  const std::string completion = testing::readFile(std::string(CLIPQUILL_SOURCE_DIR) +
                                                   "/resources/completion/clipquill-cli.in");
  EXPECT_NE(completion.find("@CLIPQUILL_CLI_OPTION_WORDS@"), std::string::npos);
  const std::string words = " " + optionWords() + " ";
  for (const Listed& o : listedOptions()) {
    std::string escaped;  // the manual writes each "-" as "\-"
    for (const char c : o.name)
      escaped += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(manual.find(escaped), std::string::npos) << o.name << " is not in the manual";
    EXPECT_NE(words.find(" " + o.name + " "), std::string::npos) << o.name << " is not completed";
    if (!o.letter.empty()) {
      EXPECT_NE(words.find(" " + o.letter + " "), std::string::npos) << o.letter;
    }
  }
}

// cli/README.md shows the options as the table has them ("cmake --build
// build --target cli_readme" writes them there).
TEST(CliOptions, TheReadmeSynopsisIsTheTables) {
  const std::string readme =
      testing::readFile(std::string(CLIPQUILL_SOURCE_DIR) + "/cli/README.md");
  const std::size_t open = readme.find("```\n");
  ASSERT_NE(open, std::string::npos);
  const std::size_t start = open + 4;
  EXPECT_EQ(readme.substr(start, readme.find("```\n", start) - start), readmeSynopsis());
}

}  // namespace
}  // namespace clipquill::cli
