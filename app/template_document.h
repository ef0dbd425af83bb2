// SPDX-License-Identifier: GPL-3.0-or-later
// The template document: the template's lines in one buffer, its load and
// save with the option flags and the settings file, the default template,
// the recent templates and the key scheme kept for the user. A part of
// MainWindowModel.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/clip_fields.h"
#include "app/desktop_rules.h"
#include "app/model_context.h"
#include "persist/option_flags.h"
#include "persist/template_file.h"
#include "persist/user_settings.h"

namespace clipquill {

// How "Save Template" ended, for callers that report it.
enum class SaveOutcome { Saved, DialogCancelled, OverwriteDeclined };

class TemplateDocument : ModelPart {
 public:
  TemplateDocument(ModelContext& context, ClipFields& fields);

  // The template's lines in one buffer, as the model keeps them: a template
  // of millions of lines is read, shown, saved and run without a string per
  // line. Reads them back from the editor if it was typed in.
  const TemplateText& templateText();
  // The editor that shows the template (the preview reads its lines in
  // view from it), and the editor while its typed lines are unread.
  TemplateSource* view() const { return view_; }
  TemplateSource* typed() const { return typed_; }
  const OptionFlags& optionFlags() const { return flags_; }
  // Counts the template's changes: what is worked out of the whole template
  // is kept until it changes.
  std::uint64_t revision() const { return revision_; }
  // The status bar's text: the template with its folder and the unsaved-
  // changes mark.
  std::string templateStatus() const;
  // The dialogs' file-type indices, each kept from its last completed use.
  int openTypeIndex() const { return openTypeIndex_; }
  int saveTypeIndex() const { return saveTypeIndex_; }

  // The template editor's text as the editor now holds it.
  void setTemplateText(std::string_view text);
  // The user changed the editor's text: the change handler runs at once, and
  // the lines are read from source when next needed.
  void templateTyped(TemplateSource& source);
  void setTemplateView(TemplateSource* view) { view_ = view; }
  // The template editor's change handler.
  void templateChanged();

  // The start-up load of templatePath (the default template when it is
  // empty), with its flags and, when asked and flagged, its settings.
  void readTemplate(bool withSettings);
  // "Load Template", "Save Template"; they raise Error.
  void loadTemplate();
  SaveOutcome saveTemplate();
  // "Save Template" as if path and typeIndex had been chosen in its dialog:
  // a path without a "." gets the type's extension, and the dialog starts
  // on that type next time. Asks before replacing a file, as ever.
  SaveOutcome saveTemplateAs(const std::string& path, int typeIndex);
  // "Save as Default Template": the template saved as the user's own default
  // template, which start-up then prefers, as "Save Template" saves to a
  // path chosen in its dialog. The user's folder is made when missing, with
  // the config folder it lies in only when that is missing below an existing
  // folder (the home folder). Raises Error when there is no user folder.
  SaveOutcome saveDefaultTemplate();
  // Offers to save when there are unsaved changes. Returns whether the
  // window may close; a failed save raises.
  bool offerSaveBeforeClose();
  // The Options menu's "Load Template .ini's" and "Save Template .ini's".
  void toggleLoadInis();
  void toggleSaveInis();

  // The per-user settings, if the front end keeps any (the command line does
  // not): the recent templates, the keyboard scheme and where clips' names
  // end are read from them now, and written at each change. settings must outlive the model.
  void useUserSettings(UserSettings* settings);
  // The templates last loaded or saved, the latest first.
  const std::vector<std::string>& recentTemplates() const { return recent_; }
  KeyScheme keyScheme() const { return keyScheme_; }
  // Options > the desktop's standard keys, kept per user.
  void toggleKeyScheme();
  // Options > the clip's name to its last dot (else its first), kept per
  // user.
  void toggleNameEnd();
  // Where the open and save dialogs start: the current template's folder,
  // else the home folder.
  std::string dialogFolder();
  // Where the save dialog starts: as dialogFolder(), except for the shipped
  // default template (beside the program or installed, read-only there),
  // whose save goes to the user's own default template's folder, made when
  // missing, so that the name the dialog proposes is the user's own.
  std::string saveDialogFolder();
  // "Load Template" with path in place of the open dialog's choice, asking
  // everything else as ever. A template that is gone is said so, before any
  // question, and leaves the recent list. Raises Error.
  void loadTemplateFrom(const std::string& path);
  // A template the user chose (opened from the file manager) joins the
  // recent templates.
  void rememberTemplate();
  // Where the dialogs start when the template's folder is gone.
  void setHomeFolder(std::string folder) { homeFolder_ = std::move(folder); }

 private:
  void setTemplate(TemplateText text);
  std::string defaultTemplateFolder();
  SaveOutcome saveTemplateTo(std::string path);
  void makeUserFolder();
  void readSettingsFile();
  void writeSettingsFile();
  std::optional<FileChoice> chooseTemplate();
  void setRecent(std::vector<std::string> recent);

  ClipFields& fields_;
  TemplateText template_;
  std::uint64_t revision_ = 0;
  TemplateSource* typed_ = nullptr;  // the editor, while its lines are unread
  TemplateSource* view_ = nullptr;   // the editor, for the preview's lines
  OptionFlags flags_;
  int openTypeIndex_ = 1;
  int saveTypeIndex_ = 1;
  UserSettings* settings_ = nullptr;
  std::vector<std::string> recent_;
  KeyScheme keyScheme_ = KeyScheme::WindowKeysFirst;
  std::optional<std::string> chosen_;  // loadTemplateFrom's path, for its load
  std::string homeFolder_;
};

}  // namespace clipquill
