// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli.h"

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

#include "app/batch_run.h"
#include "app/clip_batch.h"
#include "app/main_window_model.h"
#include "app/script_checks.h"
#include "app/system_platform.h"
#include "cli/cli_port.h"
#include "cli/desktop_batch.h"
#include "cli/dry_run_scripts.h"
#include "cli/options.h"
#include "clips/folders.h"
#include "core/constants.h"
#include "core/error.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/script_files.h"
#include "core/utf8_path.h"
#include "persist/folder_registry.h"
#include "persist/persist_files.h"

namespace clipquill::cli {

namespace {

namespace fs = std::filesystem;

// The clip folders with a count of the names listed on the progress line.
class CountedFolders : public Folders {
 public:
  CountedFolders(Folders& inner, ProgressLine& progress) : inner_(inner), progress_(progress) {}
  void listFiles(const std::string& folder,
                 const std::function<void(std::string_view name)>& visit) override {
    std::size_t count = 0;
    inner_.listFiles(folder, [&](std::string_view name) {
      if (++count % 4096 == 0) progress_.report("files listed", count);
      visit(name);
    });
  }
  void listSubfolders(const std::string& folder,
                      const std::function<void(std::string_view name)>& visit) override {
    inner_.listSubfolders(folder, visit);
  }
  PathKind kind(const std::string& path) override { return inner_.kind(path); }
  int makeFolder(const std::string& path) override { return inner_.makeFolder(path); }
  void checkFolder(const std::string& folder) override { inner_.checkFolder(folder); }

 private:
  Folders& inner_;
  ProgressLine& progress_;
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
  // For lines that are written straight on (the check's JSON lines).
  std::ostream& stream() { return out_; }
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

// Printable ASCII but the quote and the backslash stands in JSON as it is.
bool plainJsonText(std::string_view text) {
  for (const char c : text) {
    if (c < 0x20 || c > 0x7E || c == '"' || c == '\\') return false;
  }
  return true;
}

void appendJsonText(std::string& out, std::string_view text) {
  // Most names and lines need no escape, and a million filter entries must
  // not cost a JSON value each.
  if (plainJsonText(text)) {
    out.append("\"").append(text).append("\"");
    return;
  }
  // Names are bytes in no particular encoding; the JSON stays valid.
  out += nlohmann::ordered_json(text).dump(-1, ' ', false,
                                           nlohmann::ordered_json::error_handler_t::replace);
}

// An object's members as dump(2) lays them out, without the object's closing
// line: members ending in an empty array are then filled in line by line.
std::string openJson(const nlohmann::ordered_json& members) {
  std::string text = members.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
  constexpr std::string_view kEmptyEnd = "[]\n}";
  text.resize(text.size() - kEmptyEnd.size());
  return text;
}

// The document is printed in pieces rather than built whole: a template of
// millions of lines, or a filter list of a million entries, must not cost a
// JSON value each. Its layout is what dump(2) gives the whole.
void printShow(MainWindowModel& model, Output& out) {
  constexpr std::size_t kPiece = 64 * 1024;
  std::string piece;
  const auto flush = [&](bool always) {
    if (always || piece.size() >= kPiece) {
      out.text(piece);
      piece.clear();
    }
  };

  nlohmann::ordered_json fields;
  fields["ClipLoc"] = model.fieldText(Field::Source);
  fields["ClipName"] = model.fieldText(Field::ClipName);
  fields["ScriptName"] = model.fieldText(Field::ScriptName);
  fields["ScriptDest"] = model.fieldText(Field::Destination);
  fields["Filters"] = nlohmann::ordered_json::array();
  piece = openJson(fields);
  const std::vector<FilterEntry>& filters = model.filters().entries();
  piece += '[';
  for (std::size_t i = 0; i < filters.size() && !out.failed(); ++i) {
    piece.append(i == 0 ? "\n    {\n      \"text\": " : ",\n    {\n      \"text\": ");
    appendJsonText(piece, filters[i].text);
    piece.append(",\n      \"checked\": ")
        .append(filters[i].state == CheckState::Checked ? "true" : "false")
        .append("\n    }");
    flush(false);
  }
  piece.append(filters.empty() ? "]," : "\n  ],");

  nlohmann::ordered_json rest;
  rest["LoadInis"] = model.optionFlags().loadInis;
  rest["SaveInis"] = model.optionFlags().saveInis;
  rest["ClipMask"] = model.clips().mask();
  rest["TemplatePath"] = model.state().templatePath;
  rest["TemplateLines"] = nlohmann::ordered_json::array();
  piece += openJson(rest).substr(1);  // without its "{"
  piece += '[';
  bool first = true;
  model.templateText().forEachLine([&](std::string_view line) {
    if (out.failed()) return;
    piece.append(first ? "\n    " : ",\n    ");
    first = false;
    appendJsonText(piece, line);
    flush(false);
  });
  piece.append(first ? "]\n}\n" : "\n  ]\n}\n");
  flush(true);
}

// Selects the named clips, or every clip when none is named. False, after
// saying which, when a name is not in the list.
bool selectClips(MainWindowModel& model, const std::vector<std::string>& names, std::ostream& err) {
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

std::string programFolder(const CliEnvironment& env) {
  return utf8Of(pathFromUtf8(env.executablePath).parent_path());
}

// What the options given choose of the check over the stored options.
CheckChoice checkChoice(const Options& opts) {
  return CheckChoice{
      .library = opts.avisynth.value_or(""),
      .timeLimitSeconds = opts.checkSeconds,
      .memoryLimit = static_cast<std::size_t>(opts.checkMemory.value_or(0)),
      .pluginFolders = opts.pluginFolders,
      .frame = opts.frame.value_or(-1),
  };
}

// The second line of --version: the AviSynth+ a check would use, and from
// where, so that a user can tell which of several is taken.
std::string avisynthVersionLine(const Options& opts, const CliEnvironment& env) {
  try {
    SystemPlatform system(env.registryRoot);
    return avisynthInUse(checkerOptions(system.registry, std::string(kAppTitle), env.executablePath,
                                        programFolder(env), checkChoice(opts), {}));
  } catch (const std::exception& e) {
    return std::string("AviSynth+: not looked for (") + e.what() + ")";
  }
}

// The check with AviSynth+ of paths, each failure printed under its name in
// shown; the library and the time limit from the options given, else the
// stored ones. The helper is this program. The exit status of the check.
int checkScripts(const Options& opts, RegistryStore& registry, const CliEnvironment& env,
                 const std::vector<std::string>& paths, const std::vector<std::string>& shown,
                 std::ostream& err, std::ostream* info, std::vector<std::string> writableFolders) {
  CheckerOptions options =
      checkerOptions(registry, std::string(kAppTitle), env.executablePath, programFolder(env),
                     checkChoice(opts), std::move(writableFolders));
  if (opts.frame) {
    std::error_code ec;
    std::filesystem::create_directories(pathFromUtf8(opts.frameDir), ec);
    if (ec) {
      err << "clipquill-cli: cannot make " << opts.frameDir << ": " << ec.message() << '\n';
      return kExitError;
    }
  }
  const CheckReport report =
      checkScriptFiles(std::move(options), paths, shown, err, "clipquill-cli", info,
                       opts.frame ? &opts.frameDir : nullptr);
  if (report.unavailable) return kExitUsage;
  if (report.failed > 0) return kExitCheckFailed;
  // A frame that could not be shown is the run's error, not the script's.
  return report.framesFailed > 0 ? kExitError : kExitDone;
}

// --functions: the check's AviSynth+ (with its plugin folders and those
// given) asked for every function it has, one JSON line each.
int printFunctions(const Options& opts, RegistryStore& registry, const CliEnvironment& env,
                   std::ostream& out, std::ostream& err) {
  const bool listed =
      printFunctionTable(checkerOptions(registry, std::string(kAppTitle), env.executablePath,
                                        programFolder(env), checkChoice(opts), {}),
                         out, err, "clipquill-cli");
  return listed ? kExitDone : kExitUsage;
}

enum class Step { Startup, Source, Clips, Scripts, Save, Batch };

// How long a leader of the desktop's batch waits for clips still to come:
// processes a desktop starts together arrive within this of each other, and
// it is all the time a batch of one clip waits before it runs.
constexpr std::chrono::milliseconds kGatherQuiet{300};
constexpr std::chrono::milliseconds kGatherBound{10000};

// What the batches of one --clips run did, summed up for the notice.
struct ClipRunSum {
  std::size_t written = 0;
  std::vector<std::string> folders;
  std::vector<std::string> lines;  // refusals, notes, the check's result
  bool listed = false;             // the created-scripts heading is out
};

// One run of the command line, in the window's own three parts: start-up
// loads the template, the options are typed into the fields, then the
// action runs. A part that showed an error ends the run: a half-applied
// state must never write scripts.
class Run {
 public:
  Run(const Options& opts, std::istream& in, std::ostream& err, const CliEnvironment& env)
      : opts_(opts),
        err_(err),
        env_(env),
        progress_(err, env.progress, env.progressAfter),
        port_(in, err, env.interactive, opts.overwrite, progress_),
        system_(env.registryRoot),
        countedFolders_(*system_.folders, progress_),
        model_(ModelPlatform{
            progress_.enabled() ? countedFolders_ : *system_.folders,
            opts.action == Action::DryRun ? dryRun_ : *system_.scripts,
            *system_.files,
            system_.registry,
            port_,
        }) {
    port_.setDryRun(opts.action == Action::DryRun);
    // Every field is set before the list is looked at: the folder is read once.
    model_.putOffClipReads();
    port_.setSubject([this] { return subject(); });
  }

  // The template given (or the default one) and its settings, loaded as the
  // window loads them at start-up. False when that showed an error.
  bool start();
  // The options in the window's order of fields, whatever their order on
  // the command line: the folder before the prefix and filters that mask
  // it. False when one showed an error.
  bool fillFields();
  // --show, --save, --list, --dry-run or the scripts written; the exit status.
  int act(Output& out);
  // --clips: the scripts of the clips handed over, folder by folder; with
  // --desktop those of processes started together too, and a notice. The
  // exit status.
  int makeClipScripts(Output& out);
  int runClipBatch(const std::vector<std::string>& paths, Output& out, ClipRunSum& sum);

 private:
  // What an error is about, as the user would name it.
  std::string subject() const;
  // A path as the user would write it: below the working folder, relative.
  std::string shownPath(const std::string& path) const;
  bool type(Field field, const std::optional<std::string>& value);
  int createScripts(Output& out);

  const Options& opts_;
  std::ostream& err_;
  const CliEnvironment& env_;
  ProgressLine progress_;
  CliPort port_;
  SystemPlatform system_;
  CountedFolders countedFolders_;
  DryRunScripts dryRun_;
  MainWindowModel model_;
  Step step_ = Step::Startup;
};

std::string Run::shownPath(const std::string& path) const {
  const std::string base = withTrailingSeparator(env_.workingFolder);
  if (base.size() > 1 && path.starts_with(base) && path.size() > base.size()) {
    return path.substr(base.size());
  }
  return path;
}

std::string Run::subject() const {
  const ModelState& state = model_.state();
  switch (step_) {
    case Step::Startup:
      if (!state.settingsName.empty()) {
        std::string subject = shownPath(state.settingsFolder + state.settingsName);
        if (port_.lastField() == Field::Source) {
          subject += ": ClipLoc '" + model_.fieldText(Field::Source) + "'";
        }
        return subject;
      }
      if (!state.templateName.empty()) return shownPath(state.templatePath);
      return "home folder '" + env_.homeFolder + "'";
    case Step::Source:
      return "--source '" + model_.fieldText(Field::Source) + "'";
    case Step::Clips:
      return "'" + model_.clips().folder() + "'";
    case Step::Scripts:
      return shownPath(state.script.destFolder + state.script.scriptFile);
    case Step::Save:
      return shownPath(state.templatePath);
    case Step::Batch:
      return shownPath(state.script.destFolder + state.script.scriptFile);
  }
  return {};
}

bool Run::start() {
  model_.start(StartupArgs{
      .executablePath = env_.executablePath,
      .args = opts_.templatePath ? std::vector<std::string>{*opts_.templatePath}
                                 : std::vector<std::string>{},
      .homeFolder = env_.homeFolder,
      .userFolder = env_.userFolder,
      .withSettings = !opts_.noIni,
  });
  if (port_.errorShown()) {
    // A settings file can name a folder that is gone, which no option mends.
    if (!model_.state().settingsName.empty() && !opts_.noIni) {
      err_ << "clipquill-cli: --no-ini loads " << shownPath(model_.state().templatePath)
           << " without its settings file.\n";
    }
    return false;
  }
  return true;
}

bool Run::type(Field field, const std::optional<std::string>& value) {
  if (value) model_.setFieldText(field, *value);
  return !port_.errorShown();
}

bool Run::fillFields() {
  step_ = Step::Source;
  if (!type(Field::Source, opts_.source)) return false;
  step_ = Step::Clips;
  if (!type(Field::ClipName, opts_.prefix)) return false;
  if (!opts_.exts.empty()) {
    model_.event([&] { model_.applyFilterEditor(opts_.exts); });
    std::vector<std::size_t> all(model_.filters().count());
    std::iota(all.begin(), all.end(), std::size_t{0});
    if (!port_.errorShown()) model_.toggleFilters(all);
    if (port_.errorShown()) return false;
  }
  if (!type(Field::ScriptName, opts_.name) || !type(Field::Destination, opts_.dest)) return false;
  if (opts_.join) model_.setJoin(true);
  // The window's own choice is the window's: a batch names its scripts the
  // same whatever was last clicked there.
  model_.setNameEnd(opts_.nameToLastDot ? NameEnd::LastDot : NameEnd::FirstDot);
  if (opts_.loadInis && *opts_.loadInis != model_.optionFlags().loadInis) {
    model_.event([&] { model_.toggleLoadInis(); });
  }
  if (opts_.saveInis && *opts_.saveInis != model_.optionFlags().saveInis) {
    model_.event([&] { model_.toggleSaveInis(); });
  }
  return !port_.errorShown();
}

int Run::act(Output& out) {
  switch (opts_.action) {
    case Action::Show:
      printShow(model_, out);
      return kExitDone;
    case Action::Save: {
      step_ = Step::Save;
      SaveOutcome outcome = SaveOutcome::Saved;
      model_.event([&] {
        outcome = model_.saveTemplateAs(opts_.savePath,
                                        opts_.saveType.value_or(saveTypeIndexFor(opts_.savePath)));
      });
      if (port_.errorShown()) return kExitError;
      return outcome == SaveOutcome::OverwriteDeclined ? kExitDeclined : kExitDone;
    }
    case Action::CheckOnly:  // runs without a template, before any Run
    case Action::Functions:
      return kExitUsage;
    case Action::List:
    case Action::DryRun:
    case Action::Create:
      break;
  }
  if (!model_.event([&] { model_.readClips(); })) return kExitError;
  progress_.clear();
  if (!selectClips(model_, opts_.clips, err_)) return kExitError;
  if (opts_.action == Action::List) {
    for (const std::string& entry : model_.clips().entries()) {
      out.name(entry);
      if (out.failed()) break;
    }
    return kExitDone;
  }
  return createScripts(out);
}

int Run::makeClipScripts(Output& out) {
  using namespace std::chrono_literals;
  std::vector<std::string> paths = opts_.clipFiles;
  std::unique_ptr<ClipGather> gather;
  if (opts_.desktop) {
    port_.setWindowAsk(env_.askInWindow);
    gather = joinOrLeadGather(paths, env_.gatherPlace);
    if (!gather) {
      err_ << "clipquill-cli: the clips were handed to the run gathering them already.\n";
      return kExitDone;
    }
    // A desktop that starts a process per file gives each one clip: the
    // others are a moment behind. A whole selection runs at once.
    if (paths.size() == 1) {
      const std::vector<std::string> more = gather->collect(kGatherQuiet, kGatherBound);
      paths.insert(paths.end(), more.begin(), more.end());
    }
  }
  ClipRunSum sum;
  int status = kExitDone;
  for (;;) {
    const int batchStatus = runClipBatch(paths, out, sum);
    if (status == kExitDone) status = batchStatus;
    // Clips handed over while this batch ran are a batch of their own, and
    // so are those that came as the gathering stopped.
    if (!gather) break;
    paths = gather->collect(kGatherQuiet, kGatherBound);
    if (paths.empty()) paths = gather->finish();
    if (paths.empty()) break;
  }
  // Nothing more is taken once the notice is out.
  gather.reset();
  if (opts_.desktop && env_.notify) {
    std::string body;
    for (const std::string& line : sum.lines)
      body.append(body.empty() ? "" : "\n").append(line);
    env_.notify(sum.written == 0 ? std::string("No script written")
                                 : batchSummary(sum.written, sum.folders),
                body, sum.folders.empty() ? std::string() : sum.folders.front());
  }
  return status;
}

int Run::runClipBatch(const std::vector<std::string>& paths, Output& out, ClipRunSum& sum) {
  step_ = Step::Batch;
  const std::size_t errorsBefore = port_.errorsShown().size();
  const ClipBatch batch = gatherClipBatch(*system_.folders, paths, model_.filters());
  const std::string notes = batchNotes(batch, !opts_.templatePath && model_.onShippedDefault());
  for (std::size_t at = 0; at < notes.size();) {
    const std::size_t end = std::min(notes.find('\n', at), notes.size());
    const std::string_view line = std::string_view(notes).substr(at, end - at);
    err_ << "clipquill-cli: " << line << '\n';
    if (std::find(sum.lines.begin(), sum.lines.end(), line) == sum.lines.end())
      sum.lines.emplace_back(line);
    at = end + 1;
  }
  // A dry run asks about the destinations as each script would.
  const BatchResult result =
      opts_.action == Action::DryRun
          ? clipquill::runClipBatch(model_, batch, port_, [](const std::string&) { return true; })
          : clipquill::runClipBatch(model_, batch, port_);
  progress_.clear();
  std::vector<std::string> shown;
  for (const std::string& path : opts_.action == Action::DryRun ? dryRun_.paths : result.written)
    shown.push_back(shownPath(path));
  if (opts_.action == Action::DryRun) {
    for (const std::string& path : shown)
      out.name(path);
    dryRun_.paths.clear();
  } else if (!opts_.info) {
    if (!opts_.nul && !shown.empty() && !sum.listed) {
      out.text(std::string(msg::kScriptsCreatedHeading) + "\n");
      sum.listed = true;
    }
    for (const std::string& path : shown)
      out.name(path);
  }
  sum.written += result.written.size();
  for (const std::string& folder : result.folders) {
    if (std::find(sum.folders.begin(), sum.folders.end(), folder) == sum.folders.end())
      sum.folders.push_back(folder);
  }
  const std::vector<std::string>& errors = port_.errorsShown();
  sum.lines.insert(sum.lines.end(), errors.begin() + std::ptrdiff_t(errorsBefore), errors.end());
  int status = kExitDone;
  if (errors.size() > errorsBefore || result.failed || !result.refusal.empty()) {
    status = kExitError;
  } else if (result.outcome == RunOutcome::OverwriteDeclined) {
    status = kExitDeclined;
    sum.lines.emplace_back("Stopped at an existing script.");
  }
  if (opts_.check && opts_.action == Action::Create && !result.written.empty()) {
    std::vector<std::string> folders;
    for (const ClipGroup& group : batch.groups)
      folders.push_back(group.folder);
    const int checked = checkScripts(opts_, system_.registry, env_, result.written, shown, err_,
                                     opts_.info ? &out.stream() : nullptr, std::move(folders));
    sum.lines.push_back(checked == kExitDone ? "Every script passed the AviSynth+ check."
                        : checked == kExitCheckFailed
                            ? "Some scripts failed the AviSynth+ check."
                            : "The scripts could not be checked: no AviSynth+ to check with.");
    if (status == kExitDone) status = checked;
  }
  return status;
}

int Run::createScripts(Output& out) {
  step_ = Step::Scripts;
  RunOutcome outcome = RunOutcome::Completed;
  model_.event([&] { outcome = model_.createScripts(); });
  progress_.clear();
  if (opts_.action == Action::DryRun) {
    for (const std::string& path : dryRun_.paths)
      out.name(path);
    for (const std::string& path : dryRun_.replaced) {
      err_ << "clipquill-cli: " << path << " exists: the run "
           << (port_.asked() ? "asks before replacing it" : "replaces it") << ".\n";
    }
  } else {
    // Scripts written before a failure or a declined question are there, so
    // they are listed in every case; -0 lists the names alone.
    // A run that wrote nothing has no heading to print either; --info's JSON
    // lines name every script: the list would only break them.
    const std::vector<std::string>& created = model_.createdScripts();
    const std::size_t listed = opts_.info ? 0 : created.size();
    for (std::size_t i = opts_.nul || created.size() < 2 ? 1 : 0; i < listed; ++i) {
      i == 0 ? out.text(created[0] + "\n") : out.name(created[i]);
    }
  }
  int status = kExitDone;
  if (port_.errorShown()) {
    status = kExitError;
  } else if (outcome == RunOutcome::OverwriteDeclined) {
    status = kExitDeclined;
  }
  if (opts_.check && opts_.action == Action::Create) {
    // Every script written is checked, those of a run that ended early too;
    // the run's own failure keeps its status.
    const std::vector<std::string> paths = model_.lastRunScripts();
    std::vector<std::string> shown;
    for (const std::string& path : paths)
      shown.push_back(shownPath(path));
    // The clips sit in the source folder: their source plugins' index files
    // go beside them.
    const int checked =
        checkScripts(opts_, system_.registry, env_, paths, shown, err_,
                     opts_.info ? &out.stream() : nullptr, {model_.state().script.sourceFolder});
    if (status == kExitDone) status = checked;
  }
  return status;
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
           std::ostream& err, const CliEnvironment& env) {
  Options opts;
  try {
    opts = parseOptions(args, env.workingFolder, env.driveFolder);
  } catch (const UsageError& e) {
    err << "clipquill-cli: " << e.what() << "\nTry 'clipquill-cli --help'.\n";
    return kExitUsage;
  }
  Output output(out, opts.nul);
  if (opts.help || opts.version) {
    output.text(opts.help ? helpText()
                          : "clipquill-cli " + std::string(kVersion) + "\n" +
                                avisynthVersionLine(opts, env) + "\n");
    return output.finish(err) ? kExitDone : kExitError;
  }
  if (opts.action == Action::Functions) {
    try {
      SystemPlatform system(env.registryRoot);
      const int status = printFunctions(opts, system.registry, env, output.stream(), err);
      return output.finish(err) ? status : kExitError;
    } catch (const std::exception& e) {
      err << "clipquill-cli: " << e.what() << '\n';
      return kExitError;
    }
  }
  if (opts.action == Action::CheckOnly) {
    try {
      // The store the window keeps its options in: the system's own when no
      // root is given, as for every other run.
      SystemPlatform system(env.registryRoot);
      const int status =
          checkScripts(opts, system.registry, env, opts.checkScripts, opts.checkScripts, err,
                       opts.info ? &output.stream() : nullptr, opts.checkScriptFolders);
      return output.finish(err) ? status : kExitError;
    } catch (const std::exception& e) {
      err << "clipquill-cli: " << e.what() << '\n';
      return kExitError;
    }
  }
  int status = kExitError;
  try {
    Run run(opts, in, err, env);
    if (!run.start() || !run.fillFields()) {
      status = kExitError;
    } else {
      status = opts.clipFiles.empty() ? run.act(output) : run.makeClipScripts(output);
    }
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
