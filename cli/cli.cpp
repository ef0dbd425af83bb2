#include "cli/cli.h"

#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

// Clip names and extensions are taken whole: a "," is part of a file name,
// not a list separator. No argument can hold a NUL.
#define CXXOPTS_VECTOR_DELIMITER '\0'
#include <cxxopts.hpp>
#include <nlohmann/json.hpp>

#include "cli/cli_port.h"
#include "clips/clip_folders.h"
#include "core/constants.h"
#include "core/script_files.h"
#include "persist/folder_registry.h"
#include "persist/persist_files.h"
#include "ui/model/main_form_model.h"

namespace clipquill::cli {

namespace {

constexpr std::string_view kHelp =
    R"(Usage: clipquill-cli [OPTIONS] [TEMPLATE]
Write AviSynth scripts from a template: one per clip, or one joined script.

TEMPLATE is loaded with its settings file as at the window's start-up; without
it, DefaultTemplate.qtpl beside the program. The options then fill the fields.

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
      --dry-run         print the scripts that would be written, write nothing
      --save PATH       save the template (and its settings) to PATH instead
      --load-inis on|off, --save-inis on|off
                        set the template's option flags before --save
  -y, --yes             replace existing files without asking
      --no-clobber      stop at the first existing file
  -h, --help            print this help
      --version         print the version

Exit status: 0 done, 1 error, 2 usage error, 3 stopped at an existing file.

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

std::optional<bool> onOff(const cxxopts::ParseResult& result, const std::string& option) {
  if (!result.count(option)) return std::nullopt;
  const std::string value = result[option].as<std::string>();
  if (value == "on") return true;
  if (value == "off") return false;
  throw UsageError("--" + option + " takes on or off, not '" + value + "'");
}

Options parseOptions(const std::vector<std::string>& args, const CliEnvironment& env) {
  cxxopts::Options parser("clipquill-cli");
  parser.add_options()                                            //
      ("s,source", "", cxxopts::value<std::string>())             //
      ("p,prefix", "", cxxopts::value<std::string>())             //
      ("e,ext", "", cxxopts::value<std::vector<std::string>>())   //
      ("n,name", "", cxxopts::value<std::string>())               //
      ("d,dest", "", cxxopts::value<std::string>())               //
      ("j,join", "")                                              //
      ("c,clip", "", cxxopts::value<std::vector<std::string>>())  //
      ("list", "")                                                //
      ("show", "")                                                //
      ("dry-run", "")                                             //
      ("save", "", cxxopts::value<std::string>())                 //
      ("load-inis", "", cxxopts::value<std::string>())            //
      ("save-inis", "", cxxopts::value<std::string>())            //
      ("y,yes", "")                                               //
      ("no-clobber", "")                                          //
      ("h,help", "")                                              //
      ("version", "")                                             //
      ("template", "", cxxopts::value<std::vector<std::string>>());
  parser.parse_positional({"template"});

  std::vector<const char*> argv{"clipquill-cli"};
  for (const std::string& arg : args)
    argv.push_back(arg.c_str());
  const cxxopts::ParseResult result = parser.parse(static_cast<int>(argv.size()), argv.data());

  Options opts;
  opts.help = result.count("help") != 0;
  opts.version = result.count("version") != 0;
  if (opts.help || opts.version) return opts;

  const auto text = [&](const std::string& option) -> std::optional<std::string> {
    if (!result.count(option)) return std::nullopt;
    return result[option].as<std::string>();
  };
  const auto path = [&](const std::string& option) -> std::optional<std::string> {
    std::optional<std::string> value = text(option);
    if (value) *value = absolutePath(env.workingFolder, *value);
    return value;
  };

  if (result.count("template")) {
    const auto& templates = result["template"].as<std::vector<std::string>>();
    if (templates.size() > 1) throw UsageError("one TEMPLATE at most");
    if (templates.front().empty()) throw UsageError("TEMPLATE is empty");
    opts.templatePath = absolutePath(env.workingFolder, templates.front());
  }
  opts.source = path("source");
  opts.prefix = text("prefix");
  opts.name = text("name");
  opts.dest = path("dest");
  if (result.count("ext")) {
    opts.exts = result["ext"].as<std::vector<std::string>>();
    for (const std::string& ext : opts.exts) {
      if (ext.empty()) throw UsageError("--ext needs an extension, such as avi");
    }
  }
  if (result.count("clip")) opts.clips = result["clip"].as<std::vector<std::string>>();
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
  opts.loadInis = onOff(result, "load-inis");
  opts.saveInis = onOff(result, "save-inis");

  const bool yes = result.count("yes") != 0;
  const bool noClobber = result.count("no-clobber") != 0;
  if (yes && noClobber) throw UsageError("-y and --no-clobber exclude each other");
  if (yes) opts.overwrite = Overwrite::Replace;
  if (noClobber) opts.overwrite = Overwrite::Keep;
  return opts;
}

// --dry-run: every script is new and goes nowhere; only its path is kept.
class DryRunScripts : public ScriptFiles {
 public:
  std::vector<std::string> paths;

  std::unique_ptr<ScriptWriter> createNew(const std::string& path) override {
    return std::make_unique<Writer>(*this, path);
  }
  std::unique_ptr<ScriptWriter> replace(const std::string& path) override {
    return std::make_unique<Writer>(*this, path);
  }

 private:
  class Writer : public ScriptWriter {
   public:
    Writer(DryRunScripts& owner, std::string path) : owner_(owner), path_(std::move(path)) {}
    void write(std::string_view) override {}
    void commit(Landed landed) override {
      owner_.paths.push_back(path_);
      landed();
    }

   private:
    DryRunScripts& owner_;
    std::string path_;
  };
};

void printShow(MainFormModel& model, std::ostream& out) {
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
  shown["TemplateLines"] = model.templateLines();
  // Names are bytes in no particular encoding; the JSON stays valid.
  out << shown.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
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

int run(const Options& opts, std::istream& in, std::ostream& out, std::ostream& err,
        const CliEnvironment& env) {
  CliPort port(in, err, env.interactive, opts.overwrite);
  if (opts.action == Action::Save) port.setSavePath(opts.savePath);

  const std::unique_ptr<ClipFolders> folders = makeSystemClipFolders();
  const std::unique_ptr<ScriptFiles> systemScripts = makeSystemScriptFiles();
  DryRunScripts dryRun;
  ScriptFiles& scripts = opts.action == Action::DryRun ? dryRun : *systemScripts;
  const std::unique_ptr<PersistFiles> files = makeSystemPersistFiles();
  FolderRegistry registry(*files, env.registryRoot);
  MainFormModel model(FormPlatform{*folders, scripts, *files, registry, port});

  // A step that showed an error ends the run: a half-applied state must
  // never write scripts.
  model.FormCreate(StartupArgs{
      .executablePath = env.executablePath,
      .args = opts.templatePath ? std::vector<std::string>{*opts.templatePath}
                                : std::vector<std::string>{},
      .homeFolder = env.homeFolder,
  });
  if (port.errorShown()) return kExitError;

  // The window's order of fields, whatever the order on the command line:
  // the folder before the prefix and filters that mask it.
  const auto type = [&](Field field, const std::optional<std::string>& value) {
    if (value) model.setFieldText(field, *value);
    return !port.errorShown();
  };
  if (!type(Field::Source, opts.source) || !type(Field::ClipName, opts.prefix)) {
    return kExitError;
  }
  if (!opts.exts.empty()) {
    model.event([&] { model.applyFilterEditor(opts.exts); });
    for (std::size_t i = 0; i < opts.exts.size() && !port.errorShown(); ++i)
      model.toggleFilter(i);
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
  if (!selectClips(model, opts.clips, err)) return kExitError;

  switch (opts.action) {
    case Action::List:
      for (const std::string& entry : model.clips().entries())
        out << entry << '\n';
      return kExitDone;
    case Action::Show:
      printShow(model, out);
      return kExitDone;
    case Action::Save: {
      SaveOutcome outcome = SaveOutcome::Saved;
      model.event([&] { outcome = model.SaveScriptButtonClick(); });
      if (port.errorShown()) return kExitError;
      return outcome == SaveOutcome::OverwriteDeclined ? kExitDeclined : kExitDone;
    }
    case Action::DryRun:
    case Action::Create:
      break;
  }
  RunOutcome outcome = RunOutcome::Completed;
  model.event([&] { outcome = model.CreateScriptsButtonClick(); });
  if (opts.action == Action::DryRun) {
    for (const std::string& path : dryRun.paths)
      out << path << '\n';
  } else {
    // Scripts written before a failure or a declined question are there, so
    // they are listed in every case.
    for (const std::string& line : model.createdScripts())
      out << line << '\n';
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
  } catch (const std::exception& e) {  // UsageError and cxxopts' own
    err << "clipquill-cli: " << e.what() << "\nTry 'clipquill-cli --help'.\n";
    return kExitUsage;
  }
  if (opts.help) {
    out << kHelp;
    return kExitDone;
  }
  if (opts.version) {
    out << kVersion << '\n';
    return kExitDone;
  }
  try {
    const int status = run(opts, in, out, err, env);
    out.flush();
    return status;
  } catch (const Error& e) {
    err << e.boxText() << '\n';
  } catch (const std::exception& e) {
    err << "clipquill-cli: " << e.what() << '\n';
  }
  return kExitError;
}

}  // namespace clipquill::cli
