// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window_model.h"

#include "app/folder_paths.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <utility>

#include "app/process_environment.h"
#include "core/constants.h"
#include "core/messages.h"
#include "core/naming.h"
#include "core/paths.h"
#include "persist/path_rules.h"
#include "persist/settings_file.h"
#include "persist/template_file.h"

namespace clipquill {

namespace {

std::size_t fieldIndex(Field field) {
  return static_cast<std::size_t>(field);
}

bool isContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}
}  // namespace

TemplateText TemplateSource::templateTextAt(std::size_t first, std::size_t count) {
  return TemplateText(templateText().lines().slice(first, count));
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

MainWindowModel::MainWindowModel(ModelPlatform platform)
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
  setTemplate(TemplateText::fromEditor(text));
}

const TemplateText& MainWindowModel::templateText() {
  if (typed_) {
    template_ = typed_->templateText();
    typed_ = nullptr;
  }
  return template_;
}

void MainWindowModel::templateTyped(TemplateSource& source) {
  typed_ = &source;
  raiseChange([this] { templateChanged(); });
}

void MainWindowModel::setTemplate(TemplateText text) {
  if (text == templateText()) return;
  template_ = std::move(text);
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
  if (state_.modified == modified) return;
  state_.modified = modified;
  user_.shown(Shown::Modified);
}

void MainWindowModel::setFilters(std::vector<FilterEntry> entries) {
  filters_ = FilterList(std::move(entries));
  user_.shown(Shown::Filters);
}

// --- Start-up and close ---------------------------------------------------

void MainWindowModel::start(const StartupArgs& startup) {
  state_.appTitle = std::string(kAppTitle);
  created_.clear();
  user_.shown(Shown::CreatedScripts);
  state_.starting = true;
  state_.programFolder = withTrailingSeparator(folderOfPath(startup.executablePath));
  state_.userFolder = withTrailingSeparator(startup.userFolder);
  state_.templatePath.clear();
  // The clip list starts in the home folder. A home folder that cannot be
  // read must not keep the window from starting: the error is shown and the
  // list stays empty until the user picks a folder.
  event([&] { setFieldText(Field::Source, withTrailingSeparator(startup.homeFolder)); });
  // Two or more arguments are no template path at all.
  if (startup.args.size() == 1) state_.templatePath = startup.args.front();
  setModified(false);
  homeFolder_ = startup.homeFolder;
  event([&] { readTemplate(startup.withSettings); });
  // A settings file without a source folder (the installed default's) would
  // leave the box empty while the list still shows the home folder, and
  // scripts would then name their clips from the root.
  if (fieldText(Field::Source).empty() && !startup.homeFolder.empty()) {
    event([&] { setFieldText(Field::Source, withTrailingSeparator(startup.homeFolder)); });
  }
  // Only the user's own changes mark the window, also when the load failed
  // half-way through applying its settings.
  setModified(false);
  state_.starting = false;
  // A template opened from the file manager is one the user chose.
  if (startup.args.size() == 1) rememberTemplate();
}

bool MainWindowModel::offerSaveBeforeClose() {
  if (!state_.modified) return true;
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
