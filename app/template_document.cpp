// SPDX-License-Identifier: GPL-3.0-or-later
// The template document as the model holds it: its option flags, its load
// and save with the settings file, the default template, and the recent
// templates its loads and saves leave behind.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/folder_paths.h"
#include "app/main_window_model.h"
#include "core/constants.h"
#include "core/messages.h"
#include "core/paths.h"
#include "persist/path_rules.h"
#include "persist/settings_file.h"
#include "persist/template_file.h"

namespace clipquill {

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
  readTemplate(true);
}

void MainWindowModel::readTemplate(bool withSettings) {
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
  if (flags_.loadInis && withSettings) readSettingsFile();
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
  return saveTemplateAs(choice->path, choice->typeIndex);
}

SaveOutcome MainWindowModel::saveTemplateAs(const std::string& path, int typeIndex) {
  saveTypeIndex_ = typeIndex;
  return saveTemplateTo(withSaveExtension(path, typeIndex));
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

}  // namespace clipquill
