// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's options, read into the fields and choices of one run.
// Each option is written once, in a table of its letter, name, value and
// help; the getopt tables and the --help text are made from that table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_port.h"
#include "core/paths.h"

namespace clipquill::cli {

// A command line that cannot be run as given; exit status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Action { Create, List, Show, DryRun, Save, CheckOnly, Functions };

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
  // Each clip's name ends at its last dot, not its first: this run only.
  bool nameToLastDot = false;
  std::vector<std::string> clips;
  // --clips: the clips (or folders) handed over, full paths; a batch, run
  // once per folder. --desktop: the file manager's action; questions in a
  // window, a notice at the end.
  std::vector<std::string> clipFiles;
  bool desktop = false;
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

// Each option of the command line, by meaning; the table below has one row
// for each, in this order.
enum class OptionId {
  Source,
  Prefix,
  Ext,
  Name,
  Dest,
  Join,
  NameToLastDot,
  Clip,
  Clips,
  Template,
  Desktop,
  List,
  Show,
  DryRun,
  Save,
  Type,
  LoadInis,
  SaveInis,
  NoIni,
  Null,
  Check,
  CheckOnly,
  Avisynth,
  CheckTime,
  AvisynthPlugins,
  CheckMemory,
  Frame,
  FrameDir,
  Info,
  Functions,
  Yes,
  NoClobber,
  SkipExisting,
  Help,
  Version,
};
inline constexpr std::size_t kOptionCount = static_cast<std::size_t>(OptionId::Version) + 1;

// What an option goes with; given without it, the command line is refused
// with the sentence neededSentence() gives.
enum class Needs {
  Nothing,
  Checking,        // --check or --check-only
  Avisynth,        // the check's AviSynth+: --check, --check-only or --functions
  Saving,          // --save
  ScriptsWritten,  // the run that writes scripts (or --check-only): not another action
  NamesListed,     // a list of names: not --show or --save
};

// Options of which one at most may be given.
enum class OneOf { None, Action, Overwrite };

// One option: its letter ('\0' for none), its long name, the value it takes
// as --help names it (empty for none) and its help. A help of more than one
// line breaks where it has a line end; an empty help lists the option on one
// line with the next one, under the next one's help. Then what it goes with:
// what it needs, the option it must be given with (itself: none, a pair's
// need is its first's), the option it is refused beside (itself: none) and
// why, and the options of which it is one.
struct OptionRow {
  OptionId id;
  char letter;
  std::string_view name;
  std::string_view value;
  std::string_view help;
  Needs needs;
  OptionId together;
  OptionId notWith;
  std::string_view notWithWhy;
  OneOf oneOf;
};

// The sentence after an option's name that refuses it given without what it
// needs: "goes with --save".
std::string_view neededSentence(Needs needs);

// Every option once, in the order --help lists them.
std::span<const OptionRow> optionTable();

// What --help prints, and the part of it that lists the options.
const std::string& helpText();
const std::string& optionSynopsis();
// The usage lines and the options, as cli/README.md shows them.
std::string readmeSynopsis();
// Every spelling of every option, "-s --source -p --prefix ...", each
// separated by a space: the words the shell completion offers.
std::string optionWords();

// Reads args (without the program name); relative paths are read against
// workingFolder. Raises UsageError, whose text says what is wrong.
Options parseOptions(const std::vector<std::string>& args, const std::string& workingFolder,
                     const DriveFolderLookup& driveFolder = {});

}  // namespace clipquill::cli
