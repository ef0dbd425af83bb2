// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/options.h"

#include <getopt.h>

#include <array>
#include <charconv>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "app/script_checks.h"
#include "cli/help_places.h"
#include "core/paths.h"

namespace clipquill::cli {

namespace {

// A row of the table below: what the option goes with, as the rules have it,
// defaults to nothing.
constexpr OptionRow row(OptionId id, char letter, std::string_view name, std::string_view value,
                        std::string_view help, Needs needs = Needs::Nothing,
                        OneOf oneOf = OneOf::None) {
  return {id, letter, name, value, help, needs, id, id, {}, oneOf};
}
// Given with `partner`, or not at all.
constexpr OptionRow pairedWith(OptionId partner, OptionRow option) {
  option.together = partner;
  return option;
}
// Refused beside `other`, because it `why`.
constexpr OptionRow refusedBeside(OptionId other, std::string_view why, OptionRow option) {
  option.notWith = other;
  option.notWithWhy = why;
  return option;
}

constexpr OptionRow kOptions[] = {
    row(OptionId::Source, 's', "source", "DIR", "location of sources"),
    row(OptionId::Prefix, 'p', "prefix", "TEXT", "name of source(s): the clips' name prefix"),
    row(OptionId::Ext, 'e', "ext", "EXT",
        "list clips ending in .EXT; replaces the filter list\n(repeatable)"),
    row(OptionId::Name, 'n', "name", "PATTERN", "name for script(s)"),
    row(OptionId::Dest, 'd', "dest", "DIR", "destination folder for scripts"),
    row(OptionId::Join, 'j', "join", "", "one joined script for all the clips"),
    row(OptionId::NameToLastDot, '\0', "name-to-last-dot", "",
        "each clip's name ends at its last dot, not its first\n"
        "(Show.S01E01.avi: Show.S01E01, not Show)"),
    row(OptionId::Clip, 'c', "clip", "NAME",
        "use this clip of the list (repeatable); default: all"),
    row(OptionId::Clips, '\0', "clips", "",
        "write a script for each clip FILE... given (a folder:\n"
        "its clips through the filter list), beside it or in the\n"
        "destination, as a file manager's selection"),
    row(OptionId::Template, '\0', "template", "PATH",
        "with --clips: the template, not the default"),
    row(OptionId::Desktop, '\0', "desktop", "",
        "with --clips: as the file manager's action runs it: the\n"
        "clips of processes started together in one run, questions\n"
        "in a window, a desktop notification at the end"),
    row(OptionId::List, '\0', "list", "", "print the clip list, write nothing", Needs::Nothing,
        OneOf::Action),
    row(OptionId::Show, '\0', "show", "", "print the fields, filters and template as JSON",
        Needs::Nothing, OneOf::Action),
    row(OptionId::DryRun, '\0', "dry-run", "",
        "print the scripts that would be written, write nothing;\n"
        "errors, questions and exit status as the real run",
        Needs::Nothing, OneOf::Action),
    row(OptionId::Save, '\0', "save", "PATH",
        "save the template (and its settings) to PATH instead", Needs::Nothing, OneOf::Action),
    row(OptionId::Type, '\0', "type", "qtpl|avs|txt|all",
        "the type --save saves as; a PATH without a \".\" gets\n"
        "its extension (default: the type of PATH's extension)",
        Needs::Saving),
    row(OptionId::LoadInis, '\0', "load-inis", "on|off", ""),
    row(OptionId::SaveInis, '\0', "save-inis", "on|off",
        "set the template's option flags before --save"),
    row(OptionId::NoIni, '\0', "no-ini", "",
        "load TEMPLATE without its settings file, this run only"),
    row(OptionId::Null, '0', "null", "",
        "end each name with a NUL instead of a line end (for\n"
        "xargs -0), and leave out the heading of the scripts",
        Needs::NamesListed),
    row(OptionId::Check, '\0', "check", "",
        "check each script written with AviSynth+; each failure\n"
        "on standard error as path:line:column: message",
        Needs::ScriptsWritten),
    row(OptionId::CheckOnly, '\0', "check-only", "",
        "check the scripts FILE.avs... given instead, write nothing", Needs::Nothing,
        OneOf::Action),
    row(OptionId::Avisynth, '\0', "avisynth", "PATH",
        "the libavisynth.so (AviSynth.dll) to check with\n"
        "(default: the one set in the window's options, else\n"
        "the system's)",
        Needs::Avisynth),
    row(OptionId::CheckTime, '\0', "check-time", "SECONDS",
        "how long one script may take (default 10)", Needs::Avisynth),
    row(OptionId::AvisynthPlugins, '\0', "avisynth-plugins", "DIR",
        "load AviSynth+ plugins (source filters) from DIR too\n"
        "when checking (repeatable)",
        Needs::Avisynth),
    row(OptionId::CheckMemory, '\0', "check-memory", "SIZE",
        "the check's memory bound, such as 2G or 512M (default:\n"
        "a quarter of the physical memory)",
        Needs::Avisynth),
    pairedWith(OptionId::FrameDir, row(OptionId::Frame, '\0', "frame", "N", "", Needs::Checking)),
    row(OptionId::FrameDir, '\0', "frame-dir", "DIR",
        "with --check or --check-only: write frame N of each\n"
        "script that passes as DIR/<script name>.png (RGB, converted\n"
        "by AviSynth+)"),
    refusedBeside(OptionId::Null, "prints JSON lines",
                  row(OptionId::Info, '\0', "info", "",
                      "with --check or --check-only: one line of JSON per script\n"
                      "on standard output, with the clip's size, rate, frames,\n"
                      "pixel type and audio (instead of the scripts' list)",
                      Needs::Checking)),
    row(OptionId::Functions, '\0', "functions", "",
        "print every function the AviSynth+ of the check has\n"
        "(its plugins' too) as JSON lines: name, source,\n"
        "signature, params; write nothing",
        Needs::Nothing, OneOf::Action),
    row(OptionId::Yes, 'y', "yes", "", "replace existing files without asking", Needs::Nothing,
        OneOf::Overwrite),
    row(OptionId::NoClobber, '\0', "no-clobber", "", "stop at the first existing file",
        Needs::Nothing, OneOf::Overwrite),
    row(OptionId::SkipExisting, '\0', "skip-existing", "",
        "keep every existing script and write the others", Needs::Nothing, OneOf::Overwrite),
    row(OptionId::Help, 'h', "help", "", "print this help"),
    row(OptionId::Version, '\0', "version", "", "print the version and the AviSynth+ used"),
};

// Each row stands at its identifier's place, so that an identifier reads its
// own option.
constexpr bool rowsInIdOrder() {
  std::size_t i = 0;
  for (const OptionRow& row : kOptions) {
    if (static_cast<std::size_t>(row.id) != i++) return false;
  }
  return i == kOptionCount;
}
static_assert(rowsInIdOrder(), "kOptions has one row per OptionId, in its order");

// The two ways to run the program, as --help and the README begin.
constexpr std::string_view kUsage = "clipquill-cli [OPTIONS] [TEMPLATE]";
constexpr std::string_view kCheckOnlyUsage = "clipquill-cli --check-only [OPTIONS] FILE.avs...";
constexpr std::string_view kClipsUsage = "clipquill-cli --clips [OPTIONS] FILE...";

constexpr std::string_view kHelpHead =
    "Write AviSynth scripts from a template: one per clip, or one joined script.\n\n";

constexpr std::string_view kHelpTail = R"(
Exit status: 0 done, 1 error, 2 usage error or no AviSynth+ to check with,
3 stopped at an existing file, 4 a script failed the check.
A second TEMPLATE is a usage error (the window would ignore both).

Examples:
)";

// The column where the options' help starts.
constexpr std::size_t kHelpColumn = 24;

std::string makeSynopsis() {
  std::string help;
  std::string line;
  for (const OptionRow& row : kOptions) {
    // "  -s, --source DIR", "      --list"; a shared line goes on with ", ".
    const bool first = line.empty();
    line += first ? "  " : ", ";
    if (row.letter) {
      line += {'-', row.letter, ',', ' '};
    } else if (first) {
      line += "    ";
    }
    line += "--";
    line += row.name;
    if (!row.value.empty()) line += " " + std::string(row.value);
    if (row.help.empty()) continue;
    help += line;
    help += line.size() < kHelpColumn ? std::string(kHelpColumn - line.size(), ' ')
                                      : "\n" + std::string(kHelpColumn, ' ');
    for (const char c : row.help) {
      help += c;
      if (c == '\n') help.append(kHelpColumn, ' ');
    }
    help += '\n';
    line.clear();
  }
  return help;
}

// getopt_long's two tables: a long option without a letter is told apart by
// a code above any letter's, the code of its row.
struct GetoptTables {
  std::string shortOptions;
  std::vector<option> longOptions;
};

constexpr int kFirstLongOnlyCode = 256;

GetoptTables makeGetoptTables() {
  // ":" first: a missing value is told apart from an unknown option.
  GetoptTables tables{":", {}};
  for (const OptionRow& row : kOptions) {
    const int code = kFirstLongOnlyCode + static_cast<int>(row.id);
    const int hasArg = row.value.empty() ? no_argument : required_argument;
    if (row.letter) {
      tables.shortOptions += row.letter;
      if (hasArg == required_argument) tables.shortOptions += ':';
    }
    // The names are literals, so their data end in a NUL.
    tables.longOptions.push_back(
        {row.name.data(), hasArg, nullptr, row.letter ? row.letter : code});
  }
  tables.longOptions.push_back({nullptr, 0, nullptr, 0});
  return tables;
}

// Lexically absolute, so that the scripts name their clips wherever they are
// run from: the working folder in front of a relative path, and on Windows
// the drive's or share's root or current folder in front of "\x" and "D:x".
// An empty path stays empty, so that "-d ''" empties the field.
std::string absolutePath(const std::string& workingFolder, const std::string& path,
                         const DriveFolderLookup& driveFolder) {
  return fullPathAgainst(workingFolder, path, driveFolder);
}

// The options as given: each option's values in order, by its identifier;
// the operands apart.
class ParsedArgs {
 public:
  std::size_t count(OptionId id) const { return values(id).size(); }
  // The last value given: a repeated option counts once, as typed last.
  const std::string& last(OptionId id) const { return values(id).back(); }
  const std::vector<std::string>& all(OptionId id) const { return values(id); }
  void add(OptionId id, std::string value) { values_[index(id)].push_back(std::move(value)); }

  std::vector<std::string> operands;

 private:
  static std::size_t index(OptionId id) { return static_cast<std::size_t>(id); }
  const std::vector<std::string>& values(OptionId id) const { return values_[index(id)]; }
  std::array<std::vector<std::string>, kOptionCount> values_;
};

// The row getopt_long's code stands for: a letter's, or a long option's own.
const OptionRow* rowOfCode(int code) {
  for (const OptionRow& row : kOptions) {
    if (row.letter ? code == row.letter : code == kFirstLongOnlyCode + static_cast<int>(row.id))
      return &row;
  }
  return nullptr;
}

// The C library's getopt_long reads the options as Linux users expect:
// "-s DIR", "-sDIR", "--source DIR", "--source=DIR", grouped flags ("-jy"),
// unambiguous abbreviations, and "--" before operands that start with "-".
// A value is taken whole: a "," is part of a file name.
ParsedArgs parseArgs(const std::vector<std::string>& args) {
  // getopt_long may reorder what it is given: it gets copies. The leading
  // "+" would stop at the first operand; without it operands may stand
  // anywhere, as in the usage text.
  std::vector<std::string> copies;
  copies.reserve(args.size() + 1);
  copies.emplace_back("clipquill-cli");
  copies.insert(copies.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : copies)
    argv.push_back(arg.data());
  argv.push_back(nullptr);

  static const GetoptTables tables = makeGetoptTables();
  const option* const longOptions = tables.longOptions.data();
  ParsedArgs parsed;
  ::opterr = 0;  // the usage error below says it once, in our words
  ::optind = 0;  // 0, not 1: starts afresh, as each in-process run must
  const int argc = static_cast<int>(copies.size());
  for (int index = -1, c; (c = ::getopt_long(argc, argv.data(), tables.shortOptions.c_str(),
                                             longOptions, &index)) != -1;
       index = -1) {
    const std::string seen = argv[::optind - 1];
    // A value given to a flag ("--list=yes"): glibc reports it as unknown,
    // the Windows C library as a missing value.
    if ((c == '?' || c == ':') && seen.rfind("--", 0) == 0) {
      const std::string name = seen.substr(2, seen.find('=') - 2);
      for (const option* o = longOptions; o->name; ++o) {
        if (name == o->name && o->has_arg == no_argument && seen.find('=') != seen.npos)
          throw UsageError("option '--" + name + "' takes no value");
      }
    }
    if (c == '?') {
      if (seen.rfind("--", 0) == 0) throw UsageError("unknown option '" + seen + "'");
      throw UsageError(std::string("unknown option '-") + static_cast<char>(::optopt) + "'");
    }
    if (c == ':') throw UsageError("option '" + seen + "' needs a value");
    const OptionRow* found = index >= 0 ? &kOptions[index] : rowOfCode(c);
    if (!found) throw UsageError("unknown option '" + seen + "'");
    parsed.add(found->id, ::optarg ? std::string(::optarg) : std::string());
  }
  for (int i = ::optind; i < argc; ++i)
    parsed.operands.emplace_back(argv[static_cast<std::size_t>(i)]);
  return parsed;
}

std::string longName(OptionId id) {
  return "--" + std::string(kOptions[static_cast<std::size_t>(id)].name);
}

std::optional<bool> onOff(const ParsedArgs& result, OptionId option) {
  if (!result.count(option)) return std::nullopt;
  const std::string& value = result.last(option);
  if (value == "on") return true;
  if (value == "off") return false;
  throw UsageError(longName(option) + " takes on or off, not '" + value + "'");
}

const OptionRow& rowOf(OptionId id) {
  return kOptions[static_cast<std::size_t>(id)];
}

// An option as the usage errors name it: "-y" when it has a letter.
std::string spelled(const OptionRow& option) {
  return option.letter ? std::string{'-', option.letter} : "--" + std::string(option.name);
}

bool needMet(Needs needs, Action action, bool check) {
  switch (needs) {
    case Needs::Nothing:
      return true;
    case Needs::Checking:
      return check || action == Action::CheckOnly;
    case Needs::Avisynth:
      return check || action == Action::CheckOnly || action == Action::Functions;
    case Needs::Saving:
      return action == Action::Save;
    case Needs::ScriptsWritten:
      return action == Action::Create || action == Action::CheckOnly;
    case Needs::NamesListed:
      return action != Action::Show && action != Action::Save;
  }
  return false;
}

// Refuses more than one of the options of `group` given together.
void refuseMoreThanOne(const ParsedArgs& given, OneOf group) {
  std::vector<std::string> names;
  std::size_t count = 0;
  for (const OptionRow& option : kOptions) {
    if (option.oneOf != group) continue;
    names.push_back(spelled(option));
    if (given.count(option.id)) ++count;
  }
  if (count < 2) return;
  std::string list;
  for (std::size_t i = 0; i < names.size(); ++i)
    list += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
  throw UsageError(list + " exclude each other");
}

// Refuses what the table says an option goes with, in the order a user would
// mend it: the action first, what each option needs, the way with existing
// files last.
void refuseMismatches(const ParsedArgs& given, Action action, bool check) {
  refuseMoreThanOne(given, OneOf::Action);
  for (const Needs needs : {Needs::ScriptsWritten, Needs::Checking, Needs::Avisynth, Needs::Saving,
                            Needs::NamesListed}) {
    for (const OptionRow& option : kOptions) {
      if (option.needs != needs) continue;
      const bool has = given.count(option.id) != 0;
      const bool paired = option.together != option.id;
      const bool partner = paired && given.count(option.together) != 0;
      if ((has || partner) && !needMet(needs, action, check))
        throw UsageError(spelled(option) + " " + std::string(neededSentence(needs)));
      if (has != partner && paired) {
        throw UsageError(spelled(option) + " and " + spelled(rowOf(option.together)) +
                         " go together");
      }
      if (has && option.notWith != option.id && given.count(option.notWith)) {
        throw UsageError(spelled(option) + " " + std::string(option.notWithWhy) + ": not with " +
                         spelled(rowOf(option.notWith)));
      }
    }
  }
  refuseMoreThanOne(given, OneOf::Overwrite);
}

// A number of whole units from `least` to `most`, else nothing.
template <class Number>
std::optional<Number> wholeNumber(const std::string& text, Number least, Number most) {
  Number value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < least || value > most)
    return std::nullopt;
  return value;
}

}  // namespace

std::span<const OptionRow> optionTable() {
  return kOptions;
}

const std::string& optionSynopsis() {
  static const std::string synopsis = makeSynopsis();
  return synopsis;
}

const std::string& helpText() {
  static const std::string help =
      "Usage: " + std::string(kUsage) + "\n       " + std::string(kCheckOnlyUsage) + "\n       " +
      std::string(kClipsUsage) + '\n' + std::string(kHelpHead) + std::string(helpTemplateSearch()) +
      '\n' + optionSynopsis() + std::string(kHelpTail) + std::string(helpExamples());
  return help;
}

std::string readmeSynopsis() {
  return std::string(kUsage) + '\n' + std::string(kCheckOnlyUsage) + '\n' +
         std::string(kClipsUsage) + '\n' + optionSynopsis();
}

std::string optionWords() {
  std::string words;
  for (const OptionRow& row : kOptions) {
    if (row.letter) words += std::string{'-', row.letter, ' '};
    words += "--" + std::string(row.name) + ' ';
  }
  words.pop_back();
  return words;
}

std::string_view neededSentence(Needs needs) {
  switch (needs) {
    case Needs::Nothing:
      return {};
    case Needs::Checking:
      return "goes with --check or --check-only";
    case Needs::Avisynth:
      return "goes with --check, --check-only or --functions";
    case Needs::Saving:
      return "goes with --save";
    case Needs::ScriptsWritten:
      return "checks the scripts written: not with --list, --show, --dry-run or --save";
    case Needs::NamesListed:
      return "goes with --list, --dry-run or the scripts' list";
  }
  return {};
}

namespace {

// --clips: the operands are the clips, as a file manager passes a
// selection; the template is the default one unless --template names one,
// and what would list clips otherwise has no place beside them.
void readClipOperands(const ParsedArgs& given, Options& opts, const std::string& workingFolder,
                      const DriveFolderLookup& driveFolder) {
  if (given.count(OptionId::CheckOnly))
    throw UsageError("--check-only and --clips exclude each other");
  if (given.operands.empty()) throw UsageError("--clips needs the clips");
  for (const std::string& clip : given.operands) {
    if (clip.empty()) throw UsageError("a clip to make a script of is empty");
    opts.clipFiles.push_back(absolutePath(workingFolder, clip, driveFolder));
  }
  for (const OptionId listing : {OptionId::Source, OptionId::Prefix, OptionId::Ext, OptionId::Clip,
                                 OptionId::List, OptionId::Show, OptionId::Save}) {
    if (given.count(listing)) {
      throw UsageError("--clips names the clips itself: not with " + spelled(rowOf(listing)));
    }
  }
  if (given.count(OptionId::Template)) {
    opts.templatePath = absolutePath(workingFolder, given.last(OptionId::Template), driveFolder);
    if (given.last(OptionId::Template).empty()) throw UsageError("--template is empty");
  }
}

// The operands: the scripts --check-only checks, else the template.
void readOperands(const std::vector<std::string>& operands, Options& opts,
                  const std::string& workingFolder, const DriveFolderLookup& driveFolder) {
  if (opts.action == Action::CheckOnly) {
    if (operands.empty()) throw UsageError("--check-only needs the scripts to check");
    opts.checkScripts = operands;
    for (const std::string& script : opts.checkScripts) {
      if (script.empty()) throw UsageError("a script to check is empty");
      const std::string absolute = absolutePath(workingFolder, script, driveFolder);
      opts.checkScriptFolders.push_back(absolute.substr(0, absolute.find_last_of("/\\") + 1));
    }
  } else if (!operands.empty()) {
    if (operands.size() > 1) throw UsageError("one TEMPLATE at most");
    if (operands.front().empty()) throw UsageError("TEMPLATE is empty");
    opts.templatePath = absolutePath(workingFolder, operands.front(), driveFolder);
  }
}

// The values of the check's options, once the table allowed them.
void readCheckValues(const ParsedArgs& given, Options& opts, const std::string& workingFolder,
                     const DriveFolderLookup& driveFolder) {
  if (given.count(OptionId::Avisynth)) {
    const std::string& library = given.last(OptionId::Avisynth);
    if (library.empty()) throw UsageError("--avisynth needs a path");
    // A bare name is the dynamic loader's to find, as dlopen reads it.
    opts.avisynth = library.find_first_of(kNativeSeparators.all) == std::string::npos
                        ? library
                        : absolutePath(workingFolder, library, driveFolder);
  }
  if (given.count(OptionId::CheckTime)) {
    const std::string& seconds = given.last(OptionId::CheckTime);
    opts.checkSeconds = wholeNumber(seconds, 1u, 86400u);
    if (!opts.checkSeconds)
      throw UsageError("--check-time takes whole seconds from 1 to 86400, not '" + seconds + "'");
  }
  for (const std::string& folder : given.all(OptionId::AvisynthPlugins)) {
    if (folder.empty()) throw UsageError("--avisynth-plugins needs a folder");
    opts.pluginFolders.push_back(absolutePath(workingFolder, folder, driveFolder));
  }
  if (given.count(OptionId::CheckMemory)) {
    const std::string& size = given.last(OptionId::CheckMemory);
    opts.checkMemory = checkMemorySize(size);
    if (!opts.checkMemory) {
      throw UsageError("--check-memory takes a size such as 512M or 2G (16M at least), not '" +
                       size + "'");
    }
  }
  if (given.count(OptionId::Frame)) {
    const std::string& frame = given.last(OptionId::Frame);
    opts.frame = wholeNumber(frame, 0, std::numeric_limits<int>::max());
    if (!opts.frame) throw UsageError("--frame takes a frame number from 0, not '" + frame + "'");
    opts.frameDir = absolutePath(workingFolder, given.last(OptionId::FrameDir), driveFolder);
    if (opts.frameDir.empty()) throw UsageError("--frame-dir needs a folder");
  }
}

// The action of the options of which one at most is given.
Action actionOf(const ParsedArgs& given) {
  constexpr std::pair<OptionId, Action> kActions[] = {
      {OptionId::List, Action::List},           {OptionId::Show, Action::Show},
      {OptionId::DryRun, Action::DryRun},       {OptionId::Save, Action::Save},
      {OptionId::CheckOnly, Action::CheckOnly}, {OptionId::Functions, Action::Functions},
  };
  Action action = Action::Create;
  for (const auto& [option, which] : kActions) {
    if (given.count(option)) action = which;
  }
  return action;
}

}  // namespace

Options parseOptions(const std::vector<std::string>& args, const std::string& workingFolder,
                     const DriveFolderLookup& driveFolder) {
  const ParsedArgs given = parseArgs(args);
  const auto has = [&](OptionId option) { return given.count(option) != 0; };
  const auto text = [&](OptionId option) -> std::optional<std::string> {
    return has(option) ? std::optional<std::string>(given.last(option)) : std::nullopt;
  };
  const auto path = [&](OptionId option) -> std::optional<std::string> {
    if (!has(option)) return std::nullopt;
    return absolutePath(workingFolder, given.last(option), driveFolder);
  };

  Options opts;
  opts.help = has(OptionId::Help);
  opts.version = has(OptionId::Version);
  if (opts.help || opts.version) return opts;
  opts.action = has(OptionId::CheckOnly) ? Action::CheckOnly : Action::Create;
  if (has(OptionId::Clips)) {
    readClipOperands(given, opts, workingFolder, driveFolder);
  } else {
    readOperands(given.operands, opts, workingFolder, driveFolder);
  }
  for (const OptionId clipsOnly : {OptionId::Template, OptionId::Desktop}) {
    if (has(clipsOnly) && opts.clipFiles.empty())
      throw UsageError(spelled(rowOf(clipsOnly)) + " goes with --clips");
  }
  opts.desktop = has(OptionId::Desktop);
  opts.source = path(OptionId::Source);
  opts.prefix = text(OptionId::Prefix);
  opts.name = text(OptionId::Name);
  opts.dest = path(OptionId::Dest);
  opts.exts = given.all(OptionId::Ext);
  for (const std::string& ext : opts.exts) {
    if (ext.empty()) throw UsageError("--ext needs an extension, such as avi");
  }
  opts.clips = given.all(OptionId::Clip);
  opts.join = has(OptionId::Join);
  opts.nameToLastDot = has(OptionId::NameToLastDot);
  opts.action = actionOf(given);
  opts.check = has(OptionId::Check);
  refuseMismatches(given, opts.action, opts.check);
  if (opts.action == Action::Functions && !given.operands.empty())
    throw UsageError("--functions takes no TEMPLATE");
  readCheckValues(given, opts, workingFolder, driveFolder);
  opts.info = has(OptionId::Info);
  if (opts.action == Action::Save) {
    opts.savePath = *path(OptionId::Save);
    if (opts.savePath.empty()) throw UsageError("--save needs a path");
  }
  if (const std::optional<std::string> type = text(OptionId::Type)) {
    opts.saveType = saveTypeIndexNamed(*type);
    if (!opts.saveType) throw UsageError("--type takes qtpl, avs, txt or all, not '" + *type + "'");
  }
  opts.noIni = has(OptionId::NoIni);
  opts.nul = has(OptionId::Null);
  opts.loadInis = onOff(given, OptionId::LoadInis);
  opts.saveInis = onOff(given, OptionId::SaveInis);
  if (has(OptionId::Yes)) opts.overwrite = Overwrite::Replace;
  if (has(OptionId::NoClobber)) opts.overwrite = Overwrite::Keep;
  if (has(OptionId::SkipExisting)) opts.overwrite = Overwrite::Skip;
  return opts;
}

}  // namespace clipquill::cli
