// SPDX-License-Identifier: GPL-3.0-or-later
// The template document as the model holds it: its option flags, its load
// and save with the settings file, the default template, and the recent
// templates its loads and saves leave behind.
#include "app/template_document.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/folder_paths.h"
#include "core/constants.h"
#include "core/messages.h"
#include "core/paths.h"
#include "persist/path_rules.h"
#include "persist/settings_file.h"
#include "persist/template_file.h"
#include "persist/user_keys.h"

namespace clipquill {

TemplateDocument::TemplateDocument(ModelContext& context, ClipFields& fields)
    : ModelPart(context), fields_(fields) {}

std::string TemplateDocument::templateStatus() const {
  std::string text = state_.templateName;
  if (state_.modified) text += " (modified)";
  if (!state_.templateFolder.empty()) text += " in " + shownFolder(state_.templateFolder);
  return text;
}

// --- The template ---------------------------------------------------------

TemplateText TemplateSource::templateTextAt(std::size_t first, std::size_t count) {
  return TemplateText(templateText().lines().slice(first, count));
}

void TemplateDocument::setTemplateText(std::string_view text) {
  setTemplate(TemplateText::fromEditor(text));
}

const TemplateText& TemplateDocument::templateText() {
  if (typed_) {
    template_ = typed_->templateText();
    typed_ = nullptr;
  }
  return template_;
}

void TemplateDocument::templateTyped(TemplateSource& source) {
  typed_ = &source;
  ++revision_;
  raiseChange([this] { templateChanged(); });
}

void TemplateDocument::setTemplate(TemplateText text) {
  if (text == templateText()) return;
  template_ = std::move(text);
  ++revision_;
  user_.shown(Shown::Template);
  raiseChange([this] { templateChanged(); });
}

void TemplateDocument::templateChanged() {
  setModified(true);
}

bool TemplateDocument::offerSaveBeforeClose() {
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

void TemplateDocument::useUserSettings(UserSettings* settings) {
  settings_ = settings;
  if (!settings_) return;
  recent_ = settings_->get(kRecentTemplatesKey);
  if (recent_.size() > kRecentTemplates) recent_.resize(kRecentTemplates);
  keyScheme_ =
      settings_->get(kStandardKeysKey) ? KeyScheme::DesktopStandard : KeyScheme::WindowKeysFirst;
  state_.nameEnd = settings_->get(kNameToLastDotKey) ? NameEnd::LastDot : NameEnd::FirstDot;
  user_.shown(Shown::RecentTemplates);
  user_.shown(Shown::KeyScheme);
}

void TemplateDocument::toggleKeyScheme() {
  keyScheme_ = keyScheme_ == KeyScheme::DesktopStandard ? KeyScheme::WindowKeysFirst
                                                        : KeyScheme::DesktopStandard;
  if (settings_) settings_->set(kStandardKeysKey, keyScheme_ == KeyScheme::DesktopStandard);
  user_.shown(Shown::KeyScheme);
}

void TemplateDocument::toggleNameEnd() {
  state_.nameEnd = state_.nameEnd == NameEnd::LastDot ? NameEnd::FirstDot : NameEnd::LastDot;
  if (settings_) settings_->set(kNameToLastDotKey, state_.nameEnd == NameEnd::LastDot);
}

// --- Option flags ---------------------------------------------------------

void TemplateDocument::toggleLoadInis() {
  flags_.loadInis = !flags_.loadInis;
  user_.shown(Shown::OptionFlags);
  setModified(true);
}

void TemplateDocument::toggleSaveInis() {
  flags_.saveInis = !flags_.saveInis;
  user_.shown(Shown::OptionFlags);
  setModified(true);
}

// --- Template load and save -----------------------------------------------

void TemplateDocument::loadTemplate() {
  if (!state_.starting && state_.modified) {
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
  if (!state_.starting) {
    // A cancelled dialog leaves everything as it is, the editor's text and
    // its undo history included.
    std::optional<FileChoice> choice = chooseTemplate();
    if (!choice) return;
    state_.templatePath = std::move(choice->path);
    openTypeIndex_ = choice->typeIndex;
  }
  readTemplate(true);
}

void TemplateDocument::readTemplate(bool withSettings) {
  if (state_.templatePath.empty()) {
    state_.templateFolder = defaultTemplateFolder();
    state_.templateName = std::string(kDefaultTemplate);
    state_.templatePath = state_.templateFolder + state_.templateName;
  } else {
    state_.templateFolder = templateFolder(state_.templatePath);
    state_.templateName = fileNameOfPath(state_.templatePath);
  }
  // A missing file is no error: a new name starts an empty template, and
  // still gets its flags and settings. The editor changes only once the
  // whole file has been read.
  std::optional<TemplateText> text =
      aboutSubject([this] { return state_.templatePath; },
                   [this] { return readTemplateText(files_, state_.templatePath); });
  setTemplate(text ? std::move(*text) : TemplateText{});
  flags_ = readOptionFlags(registry_, state_.appTitle, state_.templateName, flags_);
  user_.shown(Shown::OptionFlags);
  if (flags_.loadInis && withSettings) readSettingsFile();
  setModified(false);
  if (!state_.starting) rememberTemplate();
}

std::string TemplateDocument::defaultTemplateFolder() {
  // The user's own first, then beside the program (a build tree, a copy
  // unpacked anywhere), then an installed copy's data folder. With none, the
  // program folder, where the template is new.
  std::vector<std::string> folders =
      defaultTemplateSearch(state_.userFolder, state_.programFolder, installedDataFolder());
  for (std::string& folder : folders) {
    if (files_.isFile(folder + std::string(kDefaultTemplate))) return std::move(folder);
  }
  return state_.programFolder;
}

void TemplateDocument::readSettingsFile() {
  state_.settingsFolder = state_.templateFolder;
  state_.settingsName = iniNameFor(state_.templateName);
  const bool hadFilters = fields_.filters().count() != 0;
  fields_.setFilters({});
  const std::string iniPath = state_.settingsFolder + state_.settingsName;
  std::optional<TemplateSettings> settings =
      aboutSubject([&] { return iniPath; }, [&] { return readSettings(files_, iniPath); });
  if (!settings) {
    // The filters just emptied would otherwise still mask the list, which
    // then shows clips of extensions the user no longer sees checked.
    if (hadFilters) fields_.rebuildMask();
    return;
  }
  // Each field raises its change handling as if typed; in the running
  // window a folder that is gone is shown and the next key is read.
  fields_.setFieldText(Field::Source, settings->clipLoc);
  fields_.setFieldText(Field::ClipName, settings->clipName);
  fields_.setFieldText(Field::ScriptName, settings->scriptName);
  fields_.setFieldText(Field::Destination, settings->scriptDest);
  fields_.setFilters(std::move(settings->filters));
  fields_.rebuildMask();
}

SaveOutcome TemplateDocument::saveTemplate() {
  std::optional<FileChoice> choice = user_.saveDialog(state_.templateName, saveTypeIndex_);
  // A cancelled dialog saved nothing, so the unsaved changes are still
  // unsaved: the mark stays for the next close to ask about.
  if (!choice) return SaveOutcome::DialogCancelled;
  return saveTemplateAs(choice->path, choice->typeIndex);
}

SaveOutcome TemplateDocument::saveTemplateAs(const std::string& path, int typeIndex) {
  saveTypeIndex_ = typeIndex;
  return saveTemplateTo(withSaveExtension(path, typeIndex));
}

SaveOutcome TemplateDocument::saveDefaultTemplate() {
  if (state_.userFolder.empty()) throw Error::withMessage(std::string(msg::kNoUserFolder));
  makeUserFolder();
  return saveTemplateTo(state_.userFolder + std::string(kDefaultTemplate));
}

void TemplateDocument::makeUserFolder() {
  std::string folder = state_.userFolder;
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

SaveOutcome TemplateDocument::saveTemplateTo(std::string path) {
  state_.templatePath = std::move(path);
  state_.templateFolder = templateFolder(state_.templatePath);
  state_.templateName = fileNameOfPath(state_.templatePath);
  if (files_.isFile(state_.templatePath) &&
      user_.messageBox(MessageKind::Warning, Buttons::OkCancel,
                       msg::overwriteQuestion(state_.templatePath)) != Answer::Ok) {
    return SaveOutcome::OverwriteDeclined;
  }
  aboutSubject([this] { return state_.templatePath; },
               [this] { writeTemplateText(files_, state_.templatePath, templateText()); });
  writeOptionFlags(registry_, user_, state_.appTitle, state_.templateName, flags_);
  if (flags_.saveInis) writeSettingsFile();
  setModified(false);
  rememberTemplate();
  return SaveOutcome::Saved;
}

void TemplateDocument::writeSettingsFile() {
  state_.settingsFolder = state_.templateFolder;
  state_.settingsName = iniNameFor(state_.templateName);
  const TemplateSettings settings{
      .clipLoc = fields_.fieldText(Field::Source),
      .clipName = fields_.fieldText(Field::ClipName),
      .scriptName = fields_.fieldText(Field::ScriptName),
      .scriptDest = fields_.fieldText(Field::Destination),
      .filters = fields_.filters().entries(),
  };
  const std::string iniPath = state_.settingsFolder + state_.settingsName;
  aboutSubject([&] { return iniPath; },
               [&] { writeSettings(files_, user_, iniPath, state_.templatePath, settings); });
}

void TemplateDocument::setRecent(std::vector<std::string> recent) {
  if (recent == recent_) return;
  recent_ = std::move(recent);
  if (settings_) settings_->set(kRecentTemplatesKey, recent_);
  user_.shown(Shown::RecentTemplates);
}

void TemplateDocument::rememberTemplate() {
  // Only a file that is there: a name picked for a new template that was
  // never saved is nothing to come back to.
  if (files_.isFile(state_.templatePath)) setRecent(withRecent(recent_, state_.templatePath));
}

std::string TemplateDocument::dialogFolder() {
  if (!state_.templateFolder.empty() && folders_.kind(state_.templateFolder) == PathKind::Folder)
    return state_.templateFolder;
  return homeFolder_;
}

std::string TemplateDocument::saveDialogFolder() {
  const bool shippedDefault = state_.templateName == kDefaultTemplate &&
                              !state_.userFolder.empty() &&
                              state_.templateFolder != state_.userFolder;
  if (shippedDefault) {
    try {
      makeUserFolder();
      return state_.userFolder;
    } catch (const Error&) {
      // No user folder to be had: the dialog starts where it would anyway.
    }
  }
  return dialogFolder();
}

std::optional<FileChoice> TemplateDocument::chooseTemplate() {
  if (chosen_) return FileChoice{*std::exchange(chosen_, std::nullopt), openTypeIndex_};
  return user_.openDialog(openTypeIndex_);
}

void TemplateDocument::loadTemplateFrom(const std::string& path) {
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
