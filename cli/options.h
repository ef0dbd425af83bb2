// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's options, read into the fields and choices of one run.
// Each option is written once, in a table of its letter, name, value and
// help; the getopt tables and the --help text are made from that table.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/cli_port.h"
#include "core/paths.h"

namespace clipquill::cli {

// A command line that cannot be run as given; exit status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Action { Create, List, Show, DryRun, Save, CheckOnly };

struct Options {
  bool help = false;
  bool version = false;
  std::optional<std::string> templatePath;
  std::optional<std::string> source;
  std::optional<std::string> prefix;
  std::vector<std::string> exts;
  std::optional<std::string> name;
  std::optional<std::string> dest;
  bool join = false;
  std::vector<std::string> clips;
  Action action = Action::Create;
  std::string savePath;
  std::optional<int> saveType;
  bool noIni = false;
  bool nul = false;
  std::optional<bool> loadInis;
  std::optional<bool> saveInis;
  Overwrite overwrite = Overwrite::Ask;
  // The check with AviSynth+: of the scripts written (--check), or of the
  // scripts given (--check-only, as typed); the library and the time limit
  // when given, else those stored in the options.
  bool check = false;
  std::vector<std::string> checkScripts;
  // Where --check-only's scripts sit: which clips a script opens is its own
  // to say, and a batch's clips most often sit beside its scripts, so the
  // check may write there (source plugins' index files).
  std::vector<std::string> checkScriptFolders;
  std::optional<std::string> avisynth;
  std::optional<unsigned> checkSeconds;
  std::vector<std::string> pluginFolders;
  std::optional<std::uint64_t> checkMemory;
  // Frame `frame` of each script that passes, written into frameDir.
  std::optional<int> frame;
  std::string frameDir;
  // Each script checked told as a line of JSON on standard output.
  bool info = false;
};

// What --help prints.
const std::string& helpText();

// Reads args (without the program name); relative paths are read against
// workingFolder. Raises UsageError, whose text says what is wrong.
Options parseOptions(const std::vector<std::string>& args, const std::string& workingFolder,
                     const DriveFolderLookup& driveFolder = {});

}  // namespace clipquill::cli
