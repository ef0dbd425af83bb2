// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli.h"

#include <getopt.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <istream>
#include <iterator>
#include <memory>
#include <numeric>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "cli/cli_port.h"
#include "cli/dry_run_scripts.h"
#include "clips/clip_folders.h"
#include "core/constants.h"
#include "core/error.h"
#include "core/script_files.h"
#include "persist/folder_registry.h"
#include "persist/option_flags.h"
#include "persist/persist_files.h"
#include "ui/model/main_form_model.h"

namespace clipquill::cli {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kHelp =
    R"(Usage: clipquill-cli [OPTIONS] [TEMPLATE]
Write AviSynth scripts from a template: one per clip, or one joined script.

TEMPLATE is loaded with its settings file as at the window's start-up; without
it, DefaultTemplate.qtpl beside the program, or else the installed one in
../share/clipquill/ from the program's folder. The options then fill the fields.

  -s, --source DIR      location of sources
  -p, --prefix TEXT     name of source(s): the clips' name prefix
  -e, --ext EXT         list clips ending in .EXT; replaces the filter list
                        (repeatable)
  -n, --name PATTERN    name for script(s)
  -d, --dest DIR        destination folder for scripts
  -j, --join            one joined script for all the clips
  -c, --clip NAME       use this clip of the list (repeatable); default: all
      --list            print the clip list, write nothing
      --show            print the fields, filters and template as JSON
      --dry-run         print the scripts that would be written, write nothing;
                        errors, questions and exit status as the real run
      --save PATH       save the template (and its settings) to PATH instead
      --type qtpl|avs|txt|all
                        the type --save saves as; a PATH without a "." gets
                        its extension (default: the type of PATH's extension)
      --load-inis on|off, --save-inis on|off
                        set the template's option flags before --save
      --no-ini          load TEMPLATE without its settings file, this run only
  -0, --null            end each name with a NUL instead of a line end (for
                        xargs -0), and leave out the heading of the scripts
  -y, --yes             replace existing files without asking
      --no-clobber      stop at the first existing file
  -h, --help            print this help
      --version         print the version

Exit status: 0 done, 1 error, 2 usage error, 3 stopped at an existing file.
A second TEMPLATE is a usage error (the window would ignore both).

Examples:
  clipquill-cli -s ~/clips -e avi -d ~/scripts Hall.qtpl
  clipquill-cli --join -n all -c a.avi -c b.avi -d out --dry-run Hall.qtpl
)";

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Action { Create, List, Show, DryRun, Save };

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
};

// Lexically absolute: the working folder in front of a relative path. An
// empty path stays empty, so that "-d ''" empties the field.
std::string absolutePath(const std::string& workingFolder, const std::string& path) {
  if (path.empty() || path.front() == '/') return path;
  std::string full = workingFolder;
  if (full.empty() || full.back() != '/') full += '/';
  return full + path;
}

// The options as given: each option's values in order, by its long name;
// the operands under "template".
class ParsedArgs {
 public:
  std::size_t count(const std::string& name) const {
    const auto it = values_.find(name);
    return it == values_.end() ? 0 : it->second.size();
  }
  // The last value given: a repeated option counts once, as typed last.
  const std::string& last(const std::string& name) const { return values_.at(name).back(); }
  const std::vector<std::string>& all(const std::string& name) const { return values_.at(name); }
  void add(const std::string& name, std::string value) {
    values_[name].push_back(std::move(value));
  }

 private:
  std::unordered_map<std::string, std::vector<std::string>> values_;
};

// The C library's getopt_long reads the options as Linux users expect:
// "-s DIR", "-sDIR", "--source DIR", "--source=DIR", grouped flags ("-jy"),
// unambiguous abbreviations, and "--" before operands that start with "-".
// A value is taken whole: a "," is part of a file name.
ParsedArgs parseArgs(const std::vector<std::string>& args) {
  static constexpr option kLong[] = {
      {"source", required_argument, nullptr, 's'},
      {"prefix", required_argument, nullptr, 'p'},
      {"ext", required_argument, nullptr, 'e'},
      {"name", required_argument, nullptr, 'n'},
      {"dest", required_argument, nullptr, 'd'},
      {"join", no_argument, nullptr, 'j'},
      {"clip", required_argument, nullptr, 'c'},
      {"list", no_argument, nullptr, 256},
      {"show", no_argument, nullptr, 257},
      {"dry-run", no_argument, nullptr, 258},
      {"save", required_argument, nullptr, 259},
      {"type", required_argument, nullptr, 260},
      {"no-ini", no_argument, nullptr, 261},
      {"null", no_argument, nullptr, '0'},
      {"load-inis", required_argument, nullptr, 262},
      {"save-inis", required_argument, nullptr, 263},
      {"yes", no_argument, nullptr, 'y'},
      {"no-clobber", no_argument, nullptr, 264},
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, 265},
      {nullptr, 0, nullptr, 0},
  };
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

  ParsedArgs parsed;
  ::opterr = 0;  // the usage error below says it once, in our words
  ::optind = 0;  // 0, not 1: starts afresh, as each in-process run must
  const int argc = static_cast<int>(copies.size());
  for (int index = -1, c;
       (c = ::getopt_long(argc, argv.data(), ":s:p:e:n:d:jc:0yh", kLong, &index)) != -1;
       index = -1) {
    const std::string seen = argv[::optind - 1];
    if (c == '?') {
      if (seen.rfind("--", 0) == 0) {
        const std::string name = seen.substr(2, seen.find('=') - 2);
        for (const option* o = kLong; o->name; ++o) {
          if (name == o->name && o->has_arg == no_argument)
            throw UsageError("option '--" + name + "' takes no value");
        }
        throw UsageError("unknown option '" + seen + "'");
      }
      throw UsageError(std::string("unknown option '-") + static_cast<char>(::optopt) + "'");
    }
    if (c == ':') throw UsageError("option '" + seen + "' needs a value");
    const option* found = index >= 0 ? &kLong[index] : nullptr;
    for (const option* o = kLong; !found && o->name; ++o) {
      if (o->val == c) found = o;
    }
    if (!found) throw UsageError("unknown option '" + seen + "'");
    parsed.add(found->name, ::optarg ? std::string(::optarg) : std::string());
  }
  for (int i = ::optind; i < argc; ++i)
    parsed.add("template", argv[static_cast<std::size_t>(i)]);
  return parsed;
}

std::optional<bool> onOff(const ParsedArgs& result, const std::string& option) {
  if (!result.count(option)) return std::nullopt;
  const std::string& value = result.last(option);
  if (value == "on") return true;
  if (value == "off") return false;
  throw UsageError("--" + option + " takes on or off, not '" + value + "'");
}

Options parseOptions(const std::vector<std::string>& args, const CliEnvironment& env) {
  const ParsedArgs result = parseArgs(args);

  Options opts;
  opts.help = result.count("help") != 0;
  opts.version = result.count("version") != 0;
  if (opts.help || opts.version) return opts;

  const auto text = [&](const std::string& option) -> std::optional<std::string> {
    if (!result.count(option)) return std::nullopt;
    return result.last(option);
  };
  const auto path = [&](const std::string& option) -> std::optional<std::string> {
    std::optional<std::string> value = text(option);
    if (value) *value = absolutePath(env.workingFolder, *value);
    return value;
  };

  if (result.count("template")) {
    const auto& templates = result.all("template");
    if (templates.size() > 1) throw UsageError("one TEMPLATE at most");
    if (templates.front().empty()) throw UsageError("TEMPLATE is empty");
    opts.templatePath = absolutePath(env.workingFolder, templates.front());
  }
  opts.source = path("source");
  opts.prefix = text("prefix");
  opts.name = text("name");
  opts.dest = path("dest");
  if (result.count("ext")) {
    opts.exts = result.all("ext");
    for (const std::string& ext : opts.exts) {
      if (ext.empty()) throw UsageError("--ext needs an extension, such as avi");
    }
  }
  if (result.count("clip")) opts.clips = result.all("clip");
  opts.join = result.count("join") != 0;

  int actions = 0;
  const auto action = [&](const std::string& option, Action which) {
    if (!result.count(option)) return;
    ++actions;
    opts.action = which;
  };
  action("list", Action::List);
  action("show", Action::Show);
  action("dry-run", Action::DryRun);
  action("save", Action::Save);
  if (actions > 1) throw UsageError("--list, --show, --dry-run and --save exclude each other");
  if (opts.action == Action::Save) {
    opts.savePath = *path("save");
    if (opts.savePath.empty()) throw UsageError("--save needs a path");
  }
  if (const std::optional<std::string> type = text("type")) {
    if (opts.action != Action::Save) throw UsageError("--type goes with --save");
    opts.saveType = saveTypeIndexNamed(*type);
    if (!opts.saveType) throw UsageError("--type takes qtpl, avs, txt or all, not '" + *type + "'");
  }
  opts.noIni = result.count("no-ini") != 0;
  opts.nul = result.count("null") != 0;
  if (opts.nul && (opts.action == Action::Show || opts.action == Action::Save)) {
    throw UsageError("-0 goes with --list, --dry-run or the scripts' list");
  }
  opts.loadInis = onOff(result, "load-inis");
  opts.saveInis = onOff(result, "save-inis");

  const bool yes = result.count("yes") != 0;
  const bool noClobber = result.count("no-clobber") != 0;
  if (yes && noClobber) throw UsageError("-y and --no-clobber exclude each other");
  if (yes) opts.overwrite = Overwrite::Replace;
  if (noClobber) opts.overwrite = Overwrite::Keep;
  return opts;
}

// The clip folders with a count of the names listed on the progress line.
class CountedClipFolders : public ClipFolders {
 public:
  CountedClipFolders(ClipFolders& inner, ProgressLine& progress)
      : inner_(inner), progress_(progress) {}
  void listFiles(const std::string& folder,
                 const std::function<void(std::string_view name)>& visit) override {
    std::size_t count = 0;
    inner_.listFiles(folder, [&](std::string_view name) {
      if (++count % 4096 == 0) progress_.report("files listed", count);
      visit(name);
    });
  }
  PathKind kind(const std::string& path) override { return inner_.kind(path); }
  void checkFolder(const std::string& folder) override { inner_.checkFolder(folder); }

 private:
  ClipFolders& inner_;
  ProgressLine& progress_;
};

// --no-ini: the option flags store as it is, except that while the template
// loads its settings flag reads as off. Nothing is stored by it.
class NoIniRegistry : public RegistryStore {
 public:
  explicit NoIniRegistry(RegistryStore& inner) : inner_(inner) {}
  bool loading = true;

  std::unique_ptr<RegistryKey> openOrCreate(std::string_view keyPath) override {
    std::unique_ptr<RegistryKey> key = inner_.openOrCreate(keyPath);
    if (!key) return key;
    return std::make_unique<Key>(*this, std::move(key));
  }

 private:
  class Key : public RegistryKey {
   public:
    Key(NoIniRegistry& owner, std::unique_ptr<RegistryKey> inner)
        : owner_(owner), inner_(std::move(inner)) {}
    std::optional<RegistryValue> query(std::string_view name) override {
      if (owner_.loading && name == kValueLoadInis) {
        return RegistryValue{RegistryValueType::Dword, std::string(4, '\0')};
      }
      return inner_->query(name);
    }
    bool setDword(std::string_view name, std::uint32_t value) override {
      return inner_->setDword(name, value);
    }

   private:
    NoIniRegistry& owner_;
    std::unique_ptr<RegistryKey> inner_;
  };

  RegistryStore& inner_;
};

// Standard output, one name a record. A name that holds a line end would
// pass for two in a list of lines: there it is shown with "?" in its place,
// and -0 prints it whole. A write that fails is remembered with its reason.
class Output {
 public:
  Output(std::ostream& out, bool nul) : out_(out), nul_(nul) { errno = 0; }

  void name(std::string_view text) {
    if (nul_) {
      out_ << text << '\0';
    } else if (text.find_first_of("\r\n") == std::string_view::npos) {
      out_ << text << '\n';
    } else {
      ++mangled_;
      std::string shown(text);
      for (char& c : shown) {
        if (c == '\r' || c == '\n') c = '?';
      }
      out_ << shown << '\n';
    }
    noteFailure();
  }
  void text(std::string_view text) {
    out_ << text;
    noteFailure();
  }
  bool failed() const { return failed_; }
  // Flushes and says on err what went wrong, if anything did.
  bool finish(std::ostream& err) {
    out_.flush();
    noteFailure();
    if (mangled_ != 0) {
      err << "clipquill-cli: " << mangled_ << (mangled_ == 1 ? " name holds" : " names hold")
          << " a line end, shown as '?'; -0 prints names whole.\n";
    }
    if (!failed_) return true;
    err << "clipquill-cli: standard output: "
        << (errno_ != 0 ? Error::fromErrno(errno_).boxText() : std::string("write error.")) << '\n';
    return false;
  }

 private:
  void noteFailure() {
    if (failed_ || out_.good()) return;
    failed_ = true;
    errno_ = errno;
  }

  std::ostream& out_;
  bool nul_;
  bool failed_ = false;
  int errno_ = 0;
  std::size_t mangled_ = 0;
};

std::string jsonText(std::string_view text) {
  // Names are bytes in no particular encoding; the JSON stays valid.
  return nlohmann::ordered_json(text).dump(-1, ' ', false,
                                           nlohmann::ordered_json::error_handler_t::replace);
}

void printShow(MainFormModel& model, Output& out) {
  nlohmann::ordered_json filters = nlohmann::ordered_json::array();
  for (const FilterEntry& entry : model.filters().entries()) {
    filters.push_back({{"text", entry.text}, {"checked", entry.state == cbChecked}});
  }
  nlohmann::ordered_json shown;
  shown["ClipLoc"] = model.fieldText(Field::Source);
  shown["ClipName"] = model.fieldText(Field::ClipName);
  shown["ScriptName"] = model.fieldText(Field::ScriptName);
  shown["ScriptDest"] = model.fieldText(Field::Destination);
  shown["Filters"] = std::move(filters);
  shown["LoadInis"] = model.optionFlags().loadInis;
  shown["SaveInis"] = model.optionFlags().saveInis;
  shown["ClipMask"] = model.clips().mask();
  shown["TemplatePath"] = model.state().TemplatePath;
  shown["TemplateLines"] = nlohmann::ordered_json::array();
  std::string head = shown.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
  // The template's lines are printed one by one rather than built into the
  // document: a template of millions of lines must not cost a JSON value each.
  constexpr std::string_view kEmptyEnd = "[]\n}";
  head.resize(head.size() - kEmptyEnd.size());
  out.text(head);
  out.text("[");
  bool first = true;
  model.templateText().forEachLine([&](std::string_view line) {
    if (out.failed()) return;
    out.text(first ? "\n    " : ",\n    ");
    first = false;
    out.text(jsonText(line));
  });
  out.text(first ? "]\n}\n" : "\n  ]\n}\n");
}

// Selects the named clips, or every clip when none is named. False, after
// saying which, when a name is not in the list.
bool selectClips(MainFormModel& model, const std::vector<std::string>& names, std::ostream& err) {
  const ClipList& clips = model.clips();
  model.clearClipSelection();
  if (names.empty()) {
    for (std::size_t i = 0; i < clips.count(); ++i)
      model.setClipSelected(i, true);
    return true;
  }
  // One pass over the list, however many names: scripts may name thousands.
  std::unordered_map<std::string_view, bool> found;
  for (const std::string& name : names)
    found.emplace(name, false);
  for (std::size_t i = 0; i < clips.count(); ++i) {
    if (const auto it = found.find(clips.entry(i)); it != found.end()) {
      model.setClipSelected(i, true);
      it->second = true;
    }
  }
  bool allFound = true;
  for (const std::string& name : names) {
    if (!found[name]) {
      err << "clipquill-cli: no clip \"" << name << "\" in " << clips.folder() << " (mask "
          << clips.mask() << ")\n";
      found[name] = true;  // said once, however often it was named
      allFound = false;
    }
  }
  return allFound;
}

// Where the run is, for naming what an error is about.
enum class Step { Startup, Source, Clips, Scripts, Save };

int run(const Options& opts, std::istream& in, Output& out, std::ostream& err,
        const CliEnvironment& env) {
  ProgressLine progress(err, env.progress, env.progressAfter);
  CliPort port(in, err, env.interactive, opts.overwrite, progress);
  if (opts.action == Action::Save) port.setSavePath(opts.savePath, opts.saveType);
  port.setDryRun(opts.action == Action::DryRun);

  const std::unique_ptr<ClipFolders> systemFolders = makeSystemClipFolders();
  CountedClipFolders countedFolders(*systemFolders, progress);
  ClipFolders& folders = progress.enabled() ? countedFolders : *systemFolders;
  const std::unique_ptr<ScriptFiles> systemScripts = makeSystemScriptFiles();
  DryRunScripts dryRun;
  ScriptFiles& scripts = opts.action == Action::DryRun ? dryRun : *systemScripts;
  const std::unique_ptr<PersistFiles> files = makeSystemPersistFiles();
  FolderRegistry systemRegistry(*files, env.registryRoot);
  NoIniRegistry noIniRegistry(systemRegistry);
  RegistryStore& registry = opts.noIni ? static_cast<RegistryStore&>(noIniRegistry)
                                       : static_cast<RegistryStore&>(systemRegistry);
  MainFormModel model(FormPlatform{folders, scripts, *files, registry, port});
  // Every field is set before the list is looked at: the folder is read once.
  model.putOffClipReads();

  // A path as the user would write it: below the working folder, relative.
  const auto shownPath = [&](const std::string& path) {
    const std::string base =
        env.workingFolder.ends_with('/') ? env.workingFolder : env.workingFolder + '/';
    if (base.size() > 1 && path.starts_with(base) && path.size() > base.size()) {
      return path.substr(base.size());
    }
    return path;
  };
  Step step = Step::Startup;
  port.setSubject([&]() -> std::string {
    const FormState& state = model.state();
    switch (step) {
      case Step::Startup:
        if (!state.IniName.empty()) {
          std::string subject = shownPath(state.IniDir + state.IniName);
          if (port.lastField() == Field::Source) {
            subject += ": ClipLoc '" + model.fieldText(Field::Source) + "'";
          }
          return subject;
        }
        if (!state.TemplateName.empty()) return shownPath(state.TemplatePath);
        return "home folder '" + env.homeFolder + "'";
      case Step::Source:
        return "--source '" + model.fieldText(Field::Source) + "'";
      case Step::Clips:
        return "'" + model.clips().folder() + "'";
      case Step::Scripts:
        return shownPath(state.script.DestDir + state.script.CurScriptFile);
      case Step::Save:
        return shownPath(state.TemplatePath);
    }
    return {};
  });

  // A step that showed an error ends the run: a half-applied state must
  // never write scripts.
  model.FormCreate(StartupArgs{
      .executablePath = env.executablePath,
      .args = opts.templatePath ? std::vector<std::string>{*opts.templatePath}
                                : std::vector<std::string>{},
      .homeFolder = env.homeFolder,
  });
  if (port.errorShown()) {
    // A settings file can name a folder that is gone, which no option mends.
    if (!model.state().IniName.empty() && !opts.noIni) {
      err << "clipquill-cli: --no-ini loads " << shownPath(model.state().TemplatePath)
          << " without its settings file.\n";
    }
    return kExitError;
  }
  if (opts.noIni) {
    // The flag as stored, so that a --save stores it unchanged.
    noIniRegistry.loading = false;
    const OptionFlags stored = readOptionFlags(systemRegistry, model.state().AppTitle,
                                               model.state().TemplateName, model.optionFlags());
    if (stored.loadInis != model.optionFlags().loadInis) model.LoadInisClick();
  }

  // The window's order of fields, whatever the order on the command line:
  // the folder before the prefix and filters that mask it.
  const auto type = [&](Field field, const std::optional<std::string>& value) {
    if (value) model.setFieldText(field, *value);
    return !port.errorShown();
  };
  step = Step::Source;
  if (!type(Field::Source, opts.source)) return kExitError;
  step = Step::Clips;
  if (!type(Field::ClipName, opts.prefix)) return kExitError;
  if (!opts.exts.empty()) {
    model.event([&] { model.applyFilterEditor(opts.exts); });
    std::vector<std::size_t> all(model.filters().count());
    std::iota(all.begin(), all.end(), std::size_t{0});
    if (!port.errorShown()) model.toggleFilters(all);
    if (port.errorShown()) return kExitError;
  }
  if (!type(Field::ScriptName, opts.name) || !type(Field::Destination, opts.dest)) {
    return kExitError;
  }
  if (opts.join) model.setJoin(true);
  if (opts.loadInis && *opts.loadInis != model.optionFlags().loadInis) {
    model.event([&] { model.LoadInisClick(); });
  }
  if (opts.saveInis && *opts.saveInis != model.optionFlags().saveInis) {
    model.event([&] { model.SaveInisClick(); });
  }
  if (port.errorShown()) return kExitError;

  switch (opts.action) {
    case Action::Show:
      printShow(model, out);
      return kExitDone;
    case Action::Save: {
      step = Step::Save;
      SaveOutcome outcome = SaveOutcome::Saved;
      model.event([&] { outcome = model.SaveScriptButtonClick(); });
      if (port.errorShown()) return kExitError;
      return outcome == SaveOutcome::OverwriteDeclined ? kExitDeclined : kExitDone;
    }
    case Action::List:
    case Action::DryRun:
    case Action::Create:
      break;
  }
  if (!model.event([&] { model.readClips(); })) return kExitError;
  progress.clear();
  if (!selectClips(model, opts.clips, err)) return kExitError;
  if (opts.action == Action::List) {
    for (const std::string& entry : model.clips().entries()) {
      out.name(entry);
      if (out.failed()) break;
    }
    return kExitDone;
  }

  step = Step::Scripts;
  RunOutcome outcome = RunOutcome::Completed;
  model.event([&] { outcome = model.CreateScriptsButtonClick(); });
  progress.clear();
  if (opts.action == Action::DryRun) {
    for (const std::string& path : dryRun.paths)
      out.name(path);
    for (const std::string& path : dryRun.replaced) {
      err << "clipquill-cli: " << path << " exists: the run "
          << (port.asked() ? "asks before replacing it" : "replaces it") << ".\n";
    }
  } else {
    // Scripts written before a failure or a declined question are there, so
    // they are listed in every case; -0 lists the names alone.
    const std::vector<std::string>& created = model.createdScripts();
    for (std::size_t i = opts.nul && !created.empty() ? 1 : 0; i < created.size(); ++i) {
      i == 0 ? out.text(created[0] + "\n") : out.name(created[i]);
    }
  }
  if (port.errorShown()) return kExitError;
  return outcome == RunOutcome::OverwriteDeclined ? kExitDeclined : kExitDone;
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
           std::ostream& err, const CliEnvironment& env) {
  Options opts;
  try {
    opts = parseOptions(args, env);
  } catch (const UsageError& e) {
    err << "clipquill-cli: " << e.what() << "\nTry 'clipquill-cli --help'.\n";
    return kExitUsage;
  }
  Output output(out, opts.nul);
  if (opts.help || opts.version) {
    output.text(opts.help ? kHelp : std::string(kVersion) + "\n");
    return output.finish(err) ? kExitDone : kExitError;
  }
  int status = kExitError;
  try {
    status = run(opts, in, output, err, env);
  } catch (const Error& e) {
    err << "clipquill-cli: " << e.boxText() << '\n';
  } catch (const std::exception& e) {
    err << "clipquill-cli: " << e.what() << '\n';
  }
  // Output that did not arrive is a failure, whatever the run did.
  if (!output.finish(err)) return kExitError;
  return status;
}

}  // namespace clipquill::cli
