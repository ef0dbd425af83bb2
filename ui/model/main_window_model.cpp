// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/model/main_window_model.h"

#include "ui/model/folder_paths.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <utility>

#include "core/constants.h"
#include "core/messages.h"
#include "core/naming.h"
#include "core/paths.h"
#include "persist/path_rules.h"
#include "persist/settings_file.h"
#include "persist/template_file.h"
#include "ui/model/process_environment.h"

namespace clipquill {

namespace {

std::size_t fieldIndex(Field field) {
  return static_cast<std::size_t>(field);
}

bool isContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Whether a line puts a clip's path inside an ordinary AviSynth string
// ("<P><F>"), which a double quote in the name would end; a triple-quoted
// string ("""<P><F>""") holds one.
bool quotesClipPath(std::string_view line) {
  for (std::size_t at = line.find("<P><F>"); at != std::string_view::npos;
       at = line.find("<P><F>", at + 1)) {
    if (at == 0 || line[at - 1] != '"') continue;
    if (at >= 3 && line.substr(at - 3, 3) == "\"\"\"") continue;
    return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> TemplateSource::templateLinesAt(std::size_t first, std::size_t count) {
  std::vector<std::string> lines = templateLines();
  if (first >= lines.size()) return {};
  const std::size_t end = first + std::min(count, lines.size() - first);
  return {std::make_move_iterator(lines.begin() + static_cast<std::ptrdiff_t>(first)),
          std::make_move_iterator(lines.begin() + static_cast<std::ptrdiff_t>(end))};
}

bool isKeystroke(std::string_view before, std::string_view after) {
  std::size_t prefix = 0;
  while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
    ++prefix;
  std::size_t suffix = 0;
  while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
         before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
    ++suffix;
  // Characters, not bytes: one typed "é" is two bytes of UTF-8.
  const std::string_view inserted = after.substr(prefix, after.size() - prefix - suffix);
  return std::count_if(inserted.begin(), inserted.end(),
                       [](char c) { return !isContinuation(c); }) <= 1;
}

MainWindowModel::MainWindowModel(FormPlatform platform)
    : folders_(platform.folders),
      scripts_(platform.scripts),
      files_(platform.files),
      registry_(platform.registry),
      user_(platform.user),
      clips_(platform.folders) {
  for (std::string_view text : kStartupFilters)
    filters_.add(std::string(text));
}

const std::string& MainWindowModel::fieldText(Field field) const {
  return fields_[fieldIndex(field)];
}

// --- What the user does ---------------------------------------------------

void MainWindowModel::setFieldText(Field field, std::string_view text) {
  std::string& current = fields_[fieldIndex(field)];
  if (current == text) return;
  current = text;
  user_.shown(Shown::Field, field);
  fireFieldChange(field);
}

void MainWindowModel::typeFieldText(Field field, std::string_view text) {
  std::string& current = fields_[fieldIndex(field)];
  if (field != Field::Source || !isKeystroke(current, text)) {
    setFieldText(field, text);
    return;
  }
  if (current == text) return;
  current = text;
  user_.shown(Shown::Field, field);
  try {
    followSource(false);
  } catch (const Error&) {
    // The list shows the clips of the folder the field names: none.
    clips_.clear();
    user_.shown(Shown::Clips);
  }
}

void MainWindowModel::commitSourceText() {
  if (!sourceProblem_ || sourceProblemShown_) return;
  sourceProblemShown_ = true;
  showError(*sourceProblem_);
}

void MainWindowModel::followSource(bool boxShown) {
  try {
    sourceChanged();
  } catch (const Error& e) {
    holdSourceProblem(e, boxShown);
    throw;
  }
  holdSourceProblem(std::nullopt, false);
}

void MainWindowModel::holdSourceProblem(std::optional<Error> problem, bool boxShown) {
  const bool had = sourceProblem_.has_value();
  sourceProblem_ = std::move(problem);
  sourceProblemShown_ = boxShown;
  if (had || sourceProblem_) user_.shown(Shown::SourceProblem);
}

void MainWindowModel::fireFieldChange(Field field) {
  switch (field) {
    case Field::Source:
      raiseChange([this] { followSource(true); });
      break;
    case Field::ClipName:
      raiseChange([this] { clipNameChanged(); });
      break;
    case Field::ScriptName:
      raiseChange([this] { scriptNameChanged(); });
      break;
    case Field::Destination:
      raiseChange([this] { destinationChanged(); });
      break;
  }
}

void MainWindowModel::setTemplateText(std::string_view text) {
  setTemplateLines(editorLines(text));
}

const std::vector<std::string>& MainWindowModel::templateLines() {
  const TemplateText& text = templateText();
  if (!templateLines_) templateLines_ = text.lines();
  return *templateLines_;
}

const TemplateText& MainWindowModel::templateText() {
  if (typed_) {
    std::vector<std::string> lines = typed_->templateLines();
    template_ = TemplateText(lines);
    templateLines_ = std::move(lines);
    typed_ = nullptr;
  }
  return template_;
}

void MainWindowModel::templateTyped(TemplateSource& source) {
  typed_ = &source;
  raiseChange([this] { templateChanged(); });
}

void MainWindowModel::setTemplateLines(std::vector<std::string> lines) {
  setTemplate(TemplateText(lines));
}

void MainWindowModel::setTemplate(TemplateText text) {
  if (text == templateText()) return;
  template_ = std::move(text);
  templateLines_.reset();
  user_.shown(Shown::Template);
  raiseChange([this] { templateChanged(); });
}

void MainWindowModel::setClipSelected(std::size_t index, bool selected) {
  clips_.setSelected(index, selected);
}

void MainWindowModel::clearClipSelection() {
  clips_.clearSelection();
}

void MainWindowModel::toggleFilter(std::size_t index) {
  filters_.toggle(index);
  user_.shown(Shown::Filters);
  event([this] { rebuildMask(); });
}

void MainWindowModel::toggleFilters(const std::vector<std::size_t>& indices) {
  for (const std::size_t index : indices)
    filters_.toggle(index);
  user_.shown(Shown::Filters);
  event([this] { rebuildMask(); });
}

void MainWindowModel::clickFilter() {
  event([this] { rebuildMask(); });
}

bool MainWindowModel::requestClose() {
  bool mayClose = false;
  event([&] { mayClose = offerSaveBeforeClose(); });
  return mayClose;
}

void MainWindowModel::readClips() {
  if (!clips_.readIsPending()) return;
  clips_.readPending();
  user_.shown(Shown::Clips);
}

void MainWindowModel::showError(const Error& e) {
  user_.errorBox(e);
}

void MainWindowModel::setModified(bool modified) {
  if (state_.Modified == modified) return;
  state_.Modified = modified;
  user_.shown(Shown::Modified);
}

void MainWindowModel::setFilters(std::vector<FilterEntry> entries) {
  filters_ = FilterList(std::move(entries));
  user_.shown(Shown::Filters);
}

// --- Start-up and close ---------------------------------------------------

void MainWindowModel::start(const StartupArgs& startup) {
  state_.AppTitle = std::string(kAppTitle);
  created_.clear();
  user_.shown(Shown::CreatedScripts);
  state_.Starting = true;
  state_.AppDir = withTrailingSeparator(folderOfPath(startup.executablePath));
  state_.UserDir = withTrailingSeparator(startup.userFolder);
  state_.TemplatePath.clear();
  // The clip list starts in the home folder. A home folder that cannot be
  // read must not keep the window from starting: the error is shown and the
  // list stays empty until the user picks a folder.
  event([&] { setFieldText(Field::Source, withTrailingSeparator(startup.homeFolder)); });
  // Two or more arguments are no template path at all.
  if (startup.args.size() == 1) state_.TemplatePath = startup.args.front();
  setModified(false);
  homeFolder_ = startup.homeFolder;
  event([this] { loadTemplate(); });
  // A settings file without a source folder (the installed default's) would
  // leave the box empty while the list still shows the home folder, and
  // scripts would then name their clips from the root.
  if (fieldText(Field::Source).empty() && !startup.homeFolder.empty()) {
    event([&] { setFieldText(Field::Source, withTrailingSeparator(startup.homeFolder)); });
  }
  // Only the user's own changes mark the window, also when the load failed
  // half-way through applying its settings.
  setModified(false);
  state_.Starting = false;
  // A template opened from the file manager is one the user chose.
  if (startup.args.size() == 1) rememberTemplate();
}

bool MainWindowModel::offerSaveBeforeClose() {
  if (!state_.Modified) return true;
  switch (user_.messageBox(MessageKind::Information, Buttons::SaveDontSaveCancel,
                           msg::kSaveTemplatePrompt)) {
    case Answer::Save:
      // A save dialog cancelled, or a replacement declined, saved nothing:
      // the window stays with the work in it.
      return saveTemplate() == SaveOutcome::Saved;
    case Answer::DontSave:
      return true;
    default:
      return false;
  }
}

// --- Change handlers ------------------------------------------------------

void MainWindowModel::sourceChanged() {
  const std::string& text = fieldText(Field::Source);
  if (aboutSubject([&] { return text; }, [&] { return followSourceText(clips_, text); })) {
    user_.shown(Shown::Clips);
    rebuildMask();
  }
  setModified(true);
}

void MainWindowModel::clipNameChanged() {
  rebuildMask();
  setModified(true);
}

void MainWindowModel::scriptNameChanged() {
  setModified(true);
}

void MainWindowModel::destinationChanged() {
  setModified(true);
}

void MainWindowModel::templateChanged() {
  setModified(true);
}

// --- Clip selection -------------------------------------------------------

void MainWindowModel::rebuildMask() {
  const std::string mask = rebuildClipMask(fieldText(Field::ClipName), filters_);
  if (aboutSubject([this] { return clips_.folder(); }, [&] { return clips_.setMask(mask); }))
    user_.shown(Shown::Clips);
  setModified(true);
}

void MainWindowModel::toggleSelectAll() {
  clipquill::toggleSelectAll(clips_);
  user_.shown(Shown::ClipSelection);
}

RunOutcome MainWindowModel::createScripts() {
  const std::vector<std::string> selected = clips_.selectedEntries();
  const ScriptInputs inputs{
      .templateLines = templateLines(),
      .destText = fieldText(Field::Destination),
      .sourceText = fieldText(Field::Source),
      .nameText = fieldText(Field::ScriptName),
      .selectedClips = selected,
      .join = join_,
  };
  ScriptGenerator generator(scripts_, user_, created_, &user_);
  // The list shows what was written even when a failure ends the run.
  struct Notify {
    FormPort& user;
    ~Notify() { user.shown(Shown::CreatedScripts); }
  } notify{user_};
  const ScriptState& script = state_.script;
  const auto record = [&](RunOutcome outcome, std::string error) {
    lastRun_ =
        LastRun{.outcome = outcome,
                .report = generator.report(),
                .folder = outcome == RunOutcome::NoDestination || outcome == RunOutcome::NameClash
                              ? ""
                              : script.DestDir,
                .error = std::move(error)};
  };
  try {
    const RunOutcome outcome = aboutSubject([&] { return script.DestDir + script.CurScriptFile; },
                                            [&] { return generator.run(inputs, state_.script); });
    record(outcome, {});
    return outcome;
  } catch (const Error& e) {
    record(RunOutcome::Completed, e.boxText());
    throw;
  }
}

TemplatePreview MainWindowModel::preview(std::size_t firstLine, std::size_t lineCount) {
  TemplatePreview shown;
  shown.firstLine = firstLine;
  std::vector<std::string> lines;
  if (TemplateSource* source = view_ ? view_ : typed_) {
    lines = source->templateLinesAt(firstLine, lineCount);
  } else {
    const std::vector<std::string>& all = templateLines();
    if (firstLine < all.size()) {
      const auto from = all.begin() + static_cast<std::ptrdiff_t>(firstLine);
      lines.assign(from,
                   from + static_cast<std::ptrdiff_t>(std::min(lineCount, all.size() - firstLine)));
    }
  }
  const std::vector<std::string> selected = clips_.selectedEntries();
  // Per clip: the first clip the run would write, else the first listed.
  std::string clip;
  if (!selected.empty()) {
    clip = selected.front();
  } else if (clips_.count() > 0) {
    clip = clips_.entries().front();
  }
  const ScriptInputs inputs{
      .templateLines = lines,
      .destText = fieldText(Field::Destination),
      .sourceText = fieldText(Field::Source),
      .nameText = fieldText(Field::ScriptName),
      .selectedClips = selected,
      .join = join_,
  };
  shown.script = previewScript(inputs, clip, kPreviewLineBytes);
  if (fieldText(Field::Destination).empty()) {
    shown.note = "No destination folder: the run would write nothing.";
  } else if (!join_ && selected.empty()) {
    shown.note = "No clip selected: the run would write nothing.";
  } else if (!join_) {
    // The run refuses clips that share a script name, so the user learns it
    // here first.
    bool selfSeen = false;
    for (const std::string& entry : selected) {
      if (entry == clip && !selfSeen) {
        selfSeen = true;
        continue;
      }
      if (PerClipScriptName(fieldText(Field::ScriptName), entry).scriptFile ==
          shown.script.scriptFile) {
        shown.clash = true;
        shown.note = "Another selected clip, " + entry +
                     ", also gets this script name: the run would write nothing.";
        break;
      }
    }
  }
  // A double quote in a clip's name ends the string its path stands in, and
  // AviSynth cannot read the path: said before the run, with the way out.
  if (shown.note.empty() && std::any_of(lines.begin(), lines.end(), quotesClipPath)) {
    const std::vector<std::string> named = join_ ? selected : std::vector<std::string>{clip};
    const auto quoted = std::find_if(named.begin(), named.end(), [](const std::string& name) {
      return name.find('"') != std::string::npos;
    });
    if (quoted != named.end()) {
      shown.note = "The clip " + *quoted +
                   " has a double quote in its name, which ends the string \"<P><F>\" stands "
                   "in: AviSynth cannot read that path. Triple quotes (\"\"\"<P><F>\"\"\") can.";
    }
  }
  shown.exists = !shown.script.path.empty() && files_.isFile(shown.script.path);
  return shown;
}

void MainWindowModel::editFilters() {
  std::vector<std::string> lines;
  lines.reserve(filters_.count());
  for (const FilterEntry& entry : filters_.entries())
    lines.push_back(entry.text);
  const std::optional<std::vector<std::string>> edited = user_.filterEditor(lines);
  // However the editor closed, the user may have meant a change.
  setModified(true);
  if (edited) applyFilterEditor(*edited);
}

void MainWindowModel::applyFilterEditor(const std::vector<std::string>& lines) {
  std::vector<FilterEntry> entries;
  for (const std::string& line : lines) {
    if (!line.empty()) entries.push_back({line, CheckState::Unchecked});
  }
  setFilters(std::move(entries));
  // The list follows what the user now sees, rather than the marks that
  // went away with the old entries.
  rebuildMask();
}

void MainWindowModel::pickSourceFolder() {
  // The picker opens on the field's text, so a folder error held for it is
  // the picker's to show.
  sourceProblemShown_ = true;
  pickInto(FolderPickerFor::Clips, Field::Source);
}

void MainWindowModel::pickDestinationFolder() {
  pickInto(FolderPickerFor::Scripts, Field::Destination);
}

void MainWindowModel::pickInto(FolderPickerFor which, Field field) {
  std::optional<std::string> folder =
      aboutSubject([&] { return fieldText(field); },
                   [&] { return user_.pickFolder(which, fieldText(field), clips_.folder()); });
  if (folder) setFieldText(field, *folder);
}

// --- Status ---------------------------------------------------------------

namespace {

std::string counted(std::size_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

// A folder as the user reads it: without its closing separator, unless it
// is the root.
std::string shownFolder(std::string folder) {
  const std::size_t root = pathRoot(folder).size();
  while (folder.size() > std::max<std::size_t>(root, 1) &&
         (folder.back() == kNativeSeparators.primary || folder.back() == '/'))
    folder.pop_back();
  return folder;
}

}  // namespace

std::string MainWindowModel::templateStatus() const {
  std::string text = state_.TemplateName;
  if (state_.Modified) text += " (modified)";
  if (!state_.TemplateDir.empty()) text += " in " + shownFolder(state_.TemplateDir);
  return text;
}

std::string MainWindowModel::clipStatus() const {
  return counted(clips_.count(), "clip", "clips") + ", " + std::to_string(clips_.selectedCount()) +
         " selected";
}

bool MainWindowModel::lastRunFolderIsThere() {
  return lastRun_ && !lastRun_->folder.empty() &&
         folders_.kind(lastRun_->folder) == PathKind::Folder;
}

std::string MainWindowModel::runStatus() const {
  if (!lastRun_) return {};
  const LastRun& run = *lastRun_;
  if (run.outcome == RunOutcome::NoDestination) return "Last run: no destination folder.";
  if (run.outcome == RunOutcome::NameClash)
    return "Last run: selected clips share script names; nothing written.";
  const RunReport& report = run.report;
  if (report.written == 0 && report.kept == 0 && report.stoppedAt.empty() && run.error.empty())
    return "Last run: no clip selected.";
  std::string text = "Last run: " + counted(report.written, "script", "scripts") + " written";
  if (report.kept != 0) text += ", " + std::to_string(report.kept) + " kept";
  text += " in " + shownFolder(run.folder);
  if (!run.error.empty()) {
    text += "; stopped at " + report.stoppedAt + ": " + run.error;
  } else if (run.outcome == RunOutcome::OverwriteDeclined) {
    text += "; stopped at " + report.stoppedAt + ", not replaced.";
  } else if (run.outcome == RunOutcome::Cancelled) {
    text += "; cancelled before " + report.stoppedAt + ".";
  } else {
    text += ".";
  }
  return text;
}

// --- Option flags ---------------------------------------------------------

void MainWindowModel::toggleLoadInis() {
  flags_.loadInis = !flags_.loadInis;
  user_.shown(Shown::OptionFlags);
  setModified(true);
}

void MainWindowModel::toggleSaveInis() {
  flags_.saveInis = !flags_.saveInis;
  user_.shown(Shown::OptionFlags);
  setModified(true);
}

// --- Template load and save -----------------------------------------------

void MainWindowModel::loadTemplate() {
  if (!state_.Starting && state_.Modified) {
    switch (user_.messageBox(MessageKind::Confirmation, Buttons::YesNoCancel,
                             msg::kSaveTemplatePrompt)) {
      case Answer::Yes:
        // Nothing saved (dialog cancelled, replacement declined): the edits
        // the user wanted kept are not thrown away by the load.
        if (saveTemplate() != SaveOutcome::Saved) return;
        break;
      case Answer::No:
        break;
      default:
        return;
    }
  }
  if (!state_.Starting) {
    // A cancelled dialog leaves everything as it is, the editor's text and
    // its undo history included.
    std::optional<FileChoice> choice = chooseTemplate();
    if (!choice) return;
    state_.TemplatePath = std::move(choice->path);
    openTypeIndex_ = choice->typeIndex;
  }
  if (state_.TemplatePath.empty()) {
    state_.TemplateDir = defaultTemplateFolder();
    state_.TemplateName = std::string(kDefaultTemplate);
    state_.TemplatePath = state_.TemplateDir + state_.TemplateName;
  } else {
    state_.TemplateDir = templateFolder(state_.TemplatePath);
    state_.TemplateName = fileNameOfPath(state_.TemplatePath);
  }
  // A missing file is no error: a new name starts an empty template, and
  // still gets its flags and settings. The editor changes only once the
  // whole file has been read.
  std::optional<TemplateText> text =
      aboutSubject([this] { return state_.TemplatePath; },
                   [this] { return readTemplateText(files_, state_.TemplatePath); });
  setTemplate(text ? std::move(*text) : TemplateText{});
  flags_ = readOptionFlags(registry_, state_.AppTitle, state_.TemplateName, flags_);
  user_.shown(Shown::OptionFlags);
  if (flags_.loadInis) readSettingsFile();
  setModified(false);
  if (!state_.Starting) rememberTemplate();
}

std::string MainWindowModel::defaultTemplateFolder() {
  // The user's own first, then beside the program (a build tree, a copy
  // unpacked anywhere), then an installed copy's data folder. With none, the
  // program folder, where the template is new.
  std::vector<std::string> folders =
      defaultTemplateSearch(state_.UserDir, state_.AppDir, installedDataFolder());
  for (std::string& folder : folders) {
    if (files_.isFile(folder + std::string(kDefaultTemplate))) return std::move(folder);
  }
  return state_.AppDir;
}

void MainWindowModel::readSettingsFile() {
  state_.IniDir = state_.TemplateDir;
  state_.IniName = iniNameFor(state_.TemplateName);
  const bool hadFilters = filters_.count() != 0;
  setFilters({});
  const std::string iniPath = state_.IniDir + state_.IniName;
  std::optional<TemplateSettings> settings =
      aboutSubject([&] { return iniPath; }, [&] { return readSettings(files_, iniPath); });
  if (!settings) {
    // The filters just emptied would otherwise still mask the list, which
    // then shows clips of extensions the user no longer sees checked.
    if (hadFilters) rebuildMask();
    return;
  }
  // Each field raises its change handling as if typed; in the running
  // window a folder that is gone is shown and the next key is read.
  setFieldText(Field::Source, settings->clipLoc);
  setFieldText(Field::ClipName, settings->clipName);
  setFieldText(Field::ScriptName, settings->scriptName);
  setFieldText(Field::Destination, settings->scriptDest);
  setFilters(std::move(settings->filters));
  rebuildMask();
}

SaveOutcome MainWindowModel::saveTemplate() {
  std::optional<FileChoice> choice = user_.saveDialog(state_.TemplateName, saveTypeIndex_);
  // A cancelled dialog saved nothing, so the unsaved changes are still
  // unsaved: the mark stays for the next close to ask about.
  if (!choice) return SaveOutcome::DialogCancelled;
  saveTypeIndex_ = choice->typeIndex;
  return saveTemplateTo(withSaveExtension(choice->path, choice->typeIndex));
}

SaveOutcome MainWindowModel::saveDefaultTemplate() {
  if (state_.UserDir.empty()) throw Error::withMessage(std::string(msg::kNoUserFolder));
  makeUserFolder();
  return saveTemplateTo(state_.UserDir + std::string(kDefaultTemplate));
}

void MainWindowModel::makeUserFolder() {
  std::string folder = state_.UserDir;
  // "C:/Users/u/Clipquill/" as well as "C:\Users\u\Clipquill\".
  while (folder.size() > std::max<std::size_t>(pathRoot(folder).size(), 1) &&
         (folder.back() == kNativeSeparators.primary || folder.back() == '/'))
    folder.pop_back();
  try {
    files_.makeFolder(folder);
    return;
  } catch (const Error&) {
  }
  // A fresh home has no config folder yet: that one is made too, but no
  // folder above it, so that a mistyped XDG_CONFIG_HOME makes no tree.
  files_.makeFolder(folderOfPath(folder));
  files_.makeFolder(folder);
}

SaveOutcome MainWindowModel::saveTemplateTo(std::string path) {
  state_.TemplatePath = std::move(path);
  state_.TemplateDir = templateFolder(state_.TemplatePath);
  state_.TemplateName = fileNameOfPath(state_.TemplatePath);
  if (files_.isFile(state_.TemplatePath) &&
      user_.messageBox(MessageKind::Warning, Buttons::OkCancel,
                       msg::overwriteQuestion(state_.TemplatePath)) != Answer::Ok) {
    return SaveOutcome::OverwriteDeclined;
  }
  aboutSubject([this] { return state_.TemplatePath; },
               [this] { writeTemplateText(files_, state_.TemplatePath, templateText()); });
  writeOptionFlags(registry_, user_, state_.AppTitle, state_.TemplateName, flags_);
  if (flags_.saveInis) writeSettingsFile();
  setModified(false);
  rememberTemplate();
  return SaveOutcome::Saved;
}

void MainWindowModel::writeSettingsFile() {
  state_.IniDir = state_.TemplateDir;
  state_.IniName = iniNameFor(state_.TemplateName);
  const TemplateSettings settings{
      .clipLoc = fieldText(Field::Source),
      .clipName = fieldText(Field::ClipName),
      .scriptName = fieldText(Field::ScriptName),
      .scriptDest = fieldText(Field::Destination),
      .filters = filters_.entries(),
  };
  const std::string iniPath = state_.IniDir + state_.IniName;
  aboutSubject([&] { return iniPath; },
               [&] { writeSettings(files_, user_, iniPath, state_.TemplatePath, settings); });
}

// --- What the program keeps for its user --------------------------------------

void MainWindowModel::useUserSettings(UserSettings* settings) {
  settings_ = settings;
  if (!settings_) return;
  recent_ = settings_->list(kRecentTemplatesKey);
  if (recent_.size() > kRecentTemplates) recent_.resize(kRecentTemplates);
  keyScheme_ = settings_->flag(kStandardKeysKey, false) ? KeyScheme::Desktop : KeyScheme::Specified;
  user_.shown(Shown::RecentTemplates);
  user_.shown(Shown::KeyScheme);
}

void MainWindowModel::toggleKeyScheme() {
  keyScheme_ = keyScheme_ == KeyScheme::Desktop ? KeyScheme::Specified : KeyScheme::Desktop;
  if (settings_) settings_->setFlag(kStandardKeysKey, keyScheme_ == KeyScheme::Desktop);
  user_.shown(Shown::KeyScheme);
}

void MainWindowModel::setRecent(std::vector<std::string> recent) {
  if (recent == recent_) return;
  recent_ = std::move(recent);
  if (settings_) settings_->setList(kRecentTemplatesKey, recent_);
  user_.shown(Shown::RecentTemplates);
}

void MainWindowModel::rememberTemplate() {
  // Only a file that is there: a name picked for a new template that was
  // never saved is nothing to come back to.
  if (files_.isFile(state_.TemplatePath)) setRecent(withRecent(recent_, state_.TemplatePath));
}

std::string MainWindowModel::dialogFolder() {
  if (!state_.TemplateDir.empty() && folders_.kind(state_.TemplateDir) == PathKind::Folder)
    return state_.TemplateDir;
  return homeFolder_;
}

std::string MainWindowModel::saveDialogFolder() {
  const bool shippedDefault = state_.TemplateName == kDefaultTemplate && !state_.UserDir.empty() &&
                              state_.TemplateDir != state_.UserDir;
  if (shippedDefault) {
    try {
      makeUserFolder();
      return state_.UserDir;
    } catch (const Error&) {
      // No user folder to be had: the dialog starts where it would anyway.
    }
  }
  return dialogFolder();
}

std::optional<FileChoice> MainWindowModel::chooseTemplate() {
  if (chosen_) return FileChoice{*std::exchange(chosen_, std::nullopt), openTypeIndex_};
  return user_.openDialog(openTypeIndex_);
}

void MainWindowModel::loadTemplateFrom(const std::string& path) {
  if (!files_.isFile(path)) {
    std::vector<std::string> recent = recent_;
    std::erase(recent, path);
    setRecent(std::move(recent));
    throw Error::fromNumber(kErrFileNotFound);
  }
  // The load takes the path where it would show the open dialog; should it
  // end before that (a failed save), the path must not linger.
  struct Forget {
    std::optional<std::string>& chosen;
    ~Forget() { chosen.reset(); }
  } forget{chosen_};
  chosen_ = path;
  loadTemplate();
}

DropDecision MainWindowModel::decideDrop(DropTarget target, const std::vector<std::string>& paths) {
  std::vector<DroppedPath> dropped;
  dropped.reserve(paths.size());
  for (const std::string& path : paths)
    dropped.push_back({path, folders_.kind(path)});
  return clipquill::decideDrop(target, dropped);
}

std::size_t MainWindowModel::drop(const DropDecision& decision) {
  switch (decision.action) {
    case DropDecision::Refuse:
      return 0;
    case DropDecision::SetSource:
      setFieldText(Field::Source, decision.path);
      return 0;
    case DropDecision::SetDestination:
      setFieldText(Field::Destination, decision.path);
      return 0;
    case DropDecision::LoadTemplate:
      loadTemplateFrom(decision.path);
      return 0;
    case DropDecision::SelectClips:
      break;
  }
  setFieldText(Field::Source, decision.path);
  // A folder that could not be read leaves the old list: nothing of it is
  // the user's drop.
  if (clips_.folder() != decision.path) return 0;
  clips_.clearSelection();
  std::size_t selected = 0;
  const std::vector<std::string> entries = clips_.entries();
  for (const std::string& name : decision.clips) {
    const auto it = std::find(entries.begin(), entries.end(), name);
    if (it == entries.end()) continue;
    clips_.setSelected(static_cast<std::size_t>(it - entries.begin()), true);
    ++selected;
  }
  user_.shown(Shown::ClipSelection);
  return selected;
}

}  // namespace clipquill

namespace clipquill {

CheckerOptions MainWindowModel::scriptCheckOptions() {
  const CheckSettings settings = readCheckSettings(registry_, state_.AppTitle);
  CheckerOptions options{settings.avisynthLibrary, std::chrono::seconds(settings.timeLimitSeconds),
                         state_.AppDir + programFileName(kCliProgramName)};
  // The clips' folders, where source plugins keep their index files: the
  // last run's, and the one in the field now.
  for (const std::string& folder : {state_.script.SourceDir, fieldText(Field::Source)}) {
    if (!folder.empty()) options.writableFolders.push_back(folder);
  }
  return options;
}

void MainWindowModel::setAvisynthLibrary(const std::string& path) {
  CheckSettings settings = readCheckSettings(registry_, state_.AppTitle);
  settings.avisynthLibrary = path;
  if (!writeCheckSettings(registry_, state_.AppTitle, settings)) {
    throw Error::withMessage("Unable to store the AviSynth+ library in the options");
  }
}

}  // namespace clipquill
