// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/options.h"

#include <getopt.h>

#include <array>
#include <charconv>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "check/sandbox.h"
#include "cli/help_places.h"
#include "core/paths.h"

namespace clipquill::cli {

namespace {

constexpr OptionRow kOptions[] = {
    {OptionId::Source, 's', "source", "DIR", "location of sources"},
    {OptionId::Prefix, 'p', "prefix", "TEXT", "name of source(s): the clips' name prefix"},
    {OptionId::Ext, 'e', "ext", "EXT",
     "list clips ending in .EXT; replaces the filter list\n(repeatable)"},
    {OptionId::Name, 'n', "name", "PATTERN", "name for script(s)"},
    {OptionId::Dest, 'd', "dest", "DIR", "destination folder for scripts"},
    {OptionId::Join, 'j', "join", "", "one joined script for all the clips"},
    {OptionId::NameToLastDot, '\0', "name-to-last-dot", "",
     "each clip's name ends at its last dot, not its first\n"
     "(Show.S01E01.avi: Show.S01E01, not Show)"},
    {OptionId::Clip, 'c', "clip", "NAME", "use this clip of the list (repeatable); default: all"},
    {OptionId::List, '\0', "list", "", "print the clip list, write nothing"},
    {OptionId::Show, '\0', "show", "", "print the fields, filters and template as JSON"},
    {OptionId::DryRun, '\0', "dry-run", "",
     "print the scripts that would be written, write nothing;\n"
     "errors, questions and exit status as the real run"},
    {OptionId::Save, '\0', "save", "PATH", "save the template (and its settings) to PATH instead"},
    {OptionId::Type, '\0', "type", "qtpl|avs|txt|all",
     "the type --save saves as; a PATH without a \".\" gets\n"
     "its extension (default: the type of PATH's extension)"},
    {OptionId::LoadInis, '\0', "load-inis", "on|off", ""},
    {OptionId::SaveInis, '\0', "save-inis", "on|off",
     "set the template's option flags before --save"},
    {OptionId::NoIni, '\0', "no-ini", "", "load TEMPLATE without its settings file, this run only"},
    {OptionId::Null, '0', "null", "",
     "end each name with a NUL instead of a line end (for\n"
     "xargs -0), and leave out the heading of the scripts"},
    {OptionId::Check, '\0', "check", "",
     "check each script written with AviSynth+; each failure\n"
     "on standard error as path:line:column: message"},
    {OptionId::CheckOnly, '\0', "check-only", "",
     "check the scripts FILE.avs... given instead, write nothing"},
    {OptionId::Avisynth, '\0', "avisynth", "PATH",
     "the libavisynth.so (AviSynth.dll) to check with\n"
     "(default: the one set in the window's options, else\n"
     "the system's)"},
    {OptionId::CheckTime, '\0', "check-time", "SECONDS",
     "how long one script may take (default 10)"},
    {OptionId::AvisynthPlugins, '\0', "avisynth-plugins", "DIR",
     "load AviSynth+ plugins (source filters) from DIR too\n"
     "when checking (repeatable)"},
    {OptionId::CheckMemory, '\0', "check-memory", "SIZE",
     "the check's memory bound, such as 2G or 512M (default:\n"
     "a quarter of the physical memory)"},
    {OptionId::Frame, '\0', "frame", "N", ""},
    {OptionId::FrameDir, '\0', "frame-dir", "DIR",
     "with --check or --check-only: write frame N of each\n"
     "script that passes as DIR/<script name>.png (RGB, converted\n"
     "by AviSynth+)"},
    {OptionId::Info, '\0', "info", "",
     "with --check or --check-only: one line of JSON per script\n"
     "on standard output, with the clip's size, rate, frames,\n"
     "pixel type and audio (instead of the scripts' list)"},
    {OptionId::Functions, '\0', "functions", "",
     "print every function the AviSynth+ of the check has\n"
     "(its plugins' too) as JSON lines: name, source,\n"
     "signature, params; write nothing"},
    {OptionId::Yes, 'y', "yes", "", "replace existing files without asking"},
    {OptionId::NoClobber, '\0', "no-clobber", "", "stop at the first existing file"},
    {OptionId::SkipExisting, '\0', "skip-existing", "",
     "keep every existing script and write the others"},
    {OptionId::Help, 'h', "help", "", "print this help"},
    {OptionId::Version, '\0', "version", "", "print the version and the AviSynth+ used"},
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

}  // namespace

std::span<const OptionRow> optionTable() {
  return kOptions;
}

const std::string& optionSynopsis() {
  static const std::string synopsis = makeSynopsis();
  return synopsis;
}

const std::string& helpText() {
  static const std::string help = "Usage: " + std::string(kUsage) + "\n       " +
                                  std::string(kCheckOnlyUsage) + '\n' + std::string(kHelpHead) +
                                  std::string(helpTemplateSearch()) + '\n' + optionSynopsis() +
                                  std::string(kHelpTail) + std::string(helpExamples());
  return help;
}

std::string readmeSynopsis() {
  return std::string(kUsage) + '\n' + std::string(kCheckOnlyUsage) + '\n' + optionSynopsis();
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

Options parseOptions(const std::vector<std::string>& args, const std::string& workingFolder,
                     const DriveFolderLookup& driveFolder) {
  const ParsedArgs result = parseArgs(args);

  Options opts;
  opts.help = result.count(OptionId::Help) != 0;
  opts.version = result.count(OptionId::Version) != 0;
  if (opts.help || opts.version) return opts;

  const auto text = [&](OptionId option) -> std::optional<std::string> {
    if (!result.count(option)) return std::nullopt;
    return result.last(option);
  };
  const auto path = [&](OptionId option) -> std::optional<std::string> {
    std::optional<std::string> value = text(option);
    if (value) *value = absolutePath(workingFolder, *value, driveFolder);
    return value;
  };

  if (result.count(OptionId::CheckOnly)) {
    // The operands are the scripts to check, not a template.
    opts.action = Action::CheckOnly;
    if (result.operands.empty()) throw UsageError("--check-only needs the scripts to check");
    opts.checkScripts = result.operands;
    for (const std::string& script : opts.checkScripts) {
      if (script.empty()) throw UsageError("a script to check is empty");
      const std::string absolute = absolutePath(workingFolder, script, driveFolder);
      opts.checkScriptFolders.push_back(absolute.substr(0, absolute.find_last_of("/\\") + 1));
    }
  } else if (!result.operands.empty()) {
    const auto& templates = result.operands;
    if (templates.size() > 1) throw UsageError("one TEMPLATE at most");
    if (templates.front().empty()) throw UsageError("TEMPLATE is empty");
    opts.templatePath = absolutePath(workingFolder, templates.front(), driveFolder);
  }
  opts.source = path(OptionId::Source);
  opts.prefix = text(OptionId::Prefix);
  opts.name = text(OptionId::Name);
  opts.dest = path(OptionId::Dest);
  if (result.count(OptionId::Ext)) {
    opts.exts = result.all(OptionId::Ext);
    for (const std::string& ext : opts.exts) {
      if (ext.empty()) throw UsageError("--ext needs an extension, such as avi");
    }
  }
  if (result.count(OptionId::Clip)) opts.clips = result.all(OptionId::Clip);
  opts.join = result.count(OptionId::Join) != 0;
  opts.nameToLastDot = result.count(OptionId::NameToLastDot) != 0;

  int actions = 0;
  const auto action = [&](OptionId option, Action which) {
    if (!result.count(option)) return;
    ++actions;
    opts.action = which;
  };
  action(OptionId::List, Action::List);
  action(OptionId::Show, Action::Show);
  action(OptionId::DryRun, Action::DryRun);
  action(OptionId::Save, Action::Save);
  action(OptionId::CheckOnly, Action::CheckOnly);
  action(OptionId::Functions, Action::Functions);
  if (actions > 1) {
    throw UsageError(
        "--list, --show, --dry-run, --save, --check-only and --functions exclude each other");
  }
  if (opts.action == Action::Functions && (!result.operands.empty() || opts.templatePath))
    throw UsageError("--functions takes no TEMPLATE");
  opts.check = result.count(OptionId::Check) != 0;
  if (opts.check && opts.action != Action::Create && opts.action != Action::CheckOnly) {
    throw UsageError(
        "--check checks the scripts written: not with --list, --show, --dry-run "
        "or --save");
  }
  // The function table is the check's AviSynth+ and plugins, as the check takes them.
  const bool checking =
      opts.check || opts.action == Action::CheckOnly || opts.action == Action::Functions;
  if (const std::optional<std::string> library = text(OptionId::Avisynth)) {
    if (!checking) throw UsageError("--avisynth goes with --check or --check-only");
    if (library->empty()) throw UsageError("--avisynth needs a path");
    // A bare name is the dynamic loader's to find, as dlopen reads it.
    opts.avisynth = library->find_first_of(kNativeSeparators.all) == std::string::npos
                        ? *library
                        : absolutePath(workingFolder, *library, driveFolder);
  }
  if (const std::optional<std::string> seconds = text(OptionId::CheckTime)) {
    if (!checking) throw UsageError("--check-time goes with --check or --check-only");
    unsigned value = 0;
    const auto [end, ec] =
        std::from_chars(seconds->data(), seconds->data() + seconds->size(), value);
    if (ec != std::errc() || end != seconds->data() + seconds->size() || value < 1 ||
        value > 86400) {
      throw UsageError("--check-time takes whole seconds from 1 to 86400, not '" + *seconds + "'");
    }
    opts.checkSeconds = value;
  }
  if (result.count(OptionId::AvisynthPlugins)) {
    if (!checking) throw UsageError("--avisynth-plugins goes with --check or --check-only");
    for (const std::string& folder : result.all(OptionId::AvisynthPlugins)) {
      if (folder.empty()) throw UsageError("--avisynth-plugins needs a folder");
      opts.pluginFolders.push_back(absolutePath(workingFolder, folder, driveFolder));
    }
  }
  if (const std::optional<std::string> size = text(OptionId::CheckMemory)) {
    if (!checking) throw UsageError("--check-memory goes with --check or --check-only");
    opts.checkMemory = parseMemorySize(*size);
    if (!opts.checkMemory) {
      throw UsageError("--check-memory takes a size such as 512M or 2G (16M at least), not '" +
                       *size + "'");
    }
  }
  const std::optional<std::string> frame = text(OptionId::Frame);
  const std::optional<std::string> frameDir = path(OptionId::FrameDir);
  if (frame || frameDir) {
    if (!checking) throw UsageError("--frame goes with --check or --check-only");
    if (!frame || !frameDir) throw UsageError("--frame and --frame-dir go together");
    int value = -1;
    const auto [end, ec] = std::from_chars(frame->data(), frame->data() + frame->size(), value);
    if (ec != std::errc() || end != frame->data() + frame->size() || value < 0) {
      throw UsageError("--frame takes a frame number from 0, not '" + *frame + "'");
    }
    if (frameDir->empty()) throw UsageError("--frame-dir needs a folder");
    opts.frame = value;
    opts.frameDir = *frameDir;
  }
  opts.info = result.count(OptionId::Info) != 0;
  if (opts.info && (!checking || opts.action == Action::Functions))
    throw UsageError("--info goes with --check or --check-only");
  if (opts.action == Action::Save) {
    opts.savePath = *path(OptionId::Save);
    if (opts.savePath.empty()) throw UsageError("--save needs a path");
  }
  if (const std::optional<std::string> type = text(OptionId::Type)) {
    if (opts.action != Action::Save) throw UsageError("--type goes with --save");
    opts.saveType = saveTypeIndexNamed(*type);
    if (!opts.saveType) throw UsageError("--type takes qtpl, avs, txt or all, not '" + *type + "'");
  }
  opts.noIni = result.count(OptionId::NoIni) != 0;
  opts.nul = result.count(OptionId::Null) != 0;
  if (opts.info && opts.nul) throw UsageError("--info prints JSON lines: not with -0");
  if (opts.nul && (opts.action == Action::Show || opts.action == Action::Save)) {
    throw UsageError("-0 goes with --list, --dry-run or the scripts' list");
  }
  opts.loadInis = onOff(result, OptionId::LoadInis);
  opts.saveInis = onOff(result, OptionId::SaveInis);

  const bool yes = result.count(OptionId::Yes) != 0;
  const bool noClobber = result.count(OptionId::NoClobber) != 0;
  const bool skip = result.count(OptionId::SkipExisting) != 0;
  if (int(yes) + int(noClobber) + int(skip) > 1)
    throw UsageError("-y, --no-clobber and --skip-existing exclude each other");
  if (yes) opts.overwrite = Overwrite::Replace;
  if (noClobber) opts.overwrite = Overwrite::Keep;
  if (skip) opts.overwrite = Overwrite::Skip;
  return opts;
}

}  // namespace clipquill::cli
