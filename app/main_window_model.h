// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's behaviour without the window: its state, its fields with
// their change events, and every handler that is not a matter of drawing. The
// Qt window binds its widgets to this model; the command line drives it the
// same way, so both give the same result for the same inputs. Its handlers
// live by what they hold: the fields with the clips and filters here, the
// template document in template_document.cpp, the run in script_run.cpp.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/desktop_rules.h"
#include "app/front_end.h"
#include "app/script_run.h"
#include "check/script_checker.h"
#include "clips/clip_list.h"
#include "clips/filter_list.h"
#include "clips/folders.h"
#include "core/error.h"
#include "core/generator.h"
#include "core/preview.h"
#include "core/script_files.h"
#include "core/user_port.h"
#include "persist/check_settings.h"
#include "persist/option_flags.h"
#include "persist/persist_files.h"
#include "persist/registry_store.h"
#include "persist/template_file.h"
#include "persist/user_settings.h"

namespace clipquill {

// The platform as the model reaches it.
struct ModelPlatform {
  Folders& folders;
  ScriptFiles& scripts;
  PersistFiles& files;
  RegistryStore& registry;
  FrontEnd& user;
};

// What start-up is given by the program that runs it.
struct StartupArgs {
  std::string executablePath;     // the program folder is its folder
  std::vector<std::string> args;  // the command-line arguments, program name excluded
  std::string homeFolder;         // where the clip list starts
  std::string userFolder{};       // the user's own folder of the program; "" for none
  // false: the template is loaded without its settings file, whatever its
  // flag says, and the flag stays as stored (the command line's --no-ini).
  bool withSettings = true;
};

// Whether a field's text went from before to after as one key does it: at
// most one character put in, anything taken out. More is a paste or a drop.
bool isKeystroke(std::string_view before, std::string_view after);

// The window's working state.
struct ModelState {
  std::string appTitle;
  std::string programFolder;   // ends in the separator
  std::string userFolder;      // the user's own folder, ends in the separator; "" for none
  std::string templatePath;    // the last template path chosen or derived
  std::string templateFolder;  // ends in the separator (or is empty for a bare name)
  std::string templateName;
  std::string settingsFolder;  // of the template's settings file
  std::string settingsName;
  ScriptState script;     // the folders and names of the last run's script
  bool modified = false;  // unsaved changes
  bool starting = false;  // the start-up load is running
};

// How "Save Template" ended, for callers that report it.
enum class SaveOutcome { Saved, DialogCancelled, OverwriteDeclined };

// The filter list's entries at creation. Without a leading period, so that
// checking one lists those clips ("avs" gives "*.avs").
inline const std::array<std::string_view, 4> kStartupFilters{"avs", "mpg", "mpeg", "avi"};

class MainWindowModel {
 public:
  explicit MainWindowModel(ModelPlatform platform);

  // --- What the window shows --------------------------------------------
  const ModelState& state() const { return state_; }
  const std::string& fieldText(Field field) const;
  // The template's lines; reads them back from the editor if it was typed in.
  const std::vector<std::string>& templateLines();
  // The same lines in one buffer, as the model keeps them: a template of
  // millions of lines is read, shown and saved without a string per line.
  const TemplateText& templateText();
  const FilterList& filters() const { return filters_; }
  const ClipList& clips() const { return clips_; }
  const std::vector<std::string>& createdScripts() const { return created_.lines; }
  const OptionFlags& optionFlags() const { return flags_; }
  bool join() const { return join_; }
  // The status bar's texts: the template with its folder and the unsaved-
  // changes mark; the clip list's counts; the last run's outcome ("" before
  // the first run).
  std::string templateStatus() const;
  std::string clipStatus() const;
  std::string runStatus() const;
  const std::optional<LastRun>& lastRun() const { return lastRun_; }
  // Whether the folder the last run wrote to is there to be opened: a run
  // into a missing folder names one that is not.
  bool lastRunFolderIsThere();
  // The dialogs' file-type indices, each kept from its last completed use.
  int openTypeIndex() const { return openTypeIndex_; }
  int saveTypeIndex() const { return saveTypeIndex_; }

  // --- What the user does -------------------------------------------------
  // Each of these is one user event run to completion; an Error that ends it
  // is shown in the error box and the model stays usable.

  // The text of a field, typed by the user or put there by the program: when
  // it differs from the text the field holds (compared exactly, so a change
  // of case is a change) the field's change handler runs.
  void setFieldText(Field field, std::string_view text);
  // A field's text as the user edits it in the window. In "Location of
  // sources" a keystroke whose text names no folder takes no keyboard: the
  // clip list empties and the error is held (sourceProblem) until the user
  // commits the text: commitSourceText, or "Clips Folder". Any other edit
  // runs as setFieldText, whose error box comes at once.
  void typeFieldText(Field field, std::string_view text);
  // The source field was left with its text: a held folder error is shown.
  void commitSourceText();
  // The error of the source field's text while it names no folder.
  const std::optional<Error>& sourceProblem() const { return sourceProblem_; }
  // The template editor's text, or its lines, as the editor now holds them.
  void setTemplateText(std::string_view text);
  void setTemplateLines(std::vector<std::string> lines);
  // The user changed the editor's text: the change handler runs at once, and
  // the lines are read from source when next needed.
  void templateTyped(TemplateSource& source);
  // The editor that shows the template, which the preview reads its lines
  // from; nothing: the model's own lines.
  void setTemplateView(TemplateSource* view) { view_ = view; }
  // What "Create Script(s)" would write now, for lineCount template lines
  // from firstLine on. Per clip, the script of the current clip: the focused
  // clip when it is selected, else the first selected one (with none
  // selected, the focused or first listed clip, noted as not written).
  // Joined, the one script of the selection. Reads no more of the template
  // than those lines, each up to maxLineBytes.
  TemplatePreview preview(std::size_t firstLine, std::size_t lineCount,
                          std::size_t maxLineBytes = kPreviewLineBytes);
  // The template's place behind the place AviSynth names (line and column,
  // from 1) in the whole script preview() shows now, uncut; nullopt for a
  // line the script does not have.
  std::optional<TemplatePlace> templatePlaceOf(int line, int column);
  // "Join Sources"; a plain check box with no handler of its own.
  void setJoin(bool join) { join_ = join; }
  // Selection in the clip list: a widget matter that the model only records.
  void setClipSelected(std::size_t index, bool selected);
  void clearClipSelection();
  // A press in the filter list's check column, or the space bar on an entry:
  // the entry toggles and the mask follows at once.
  void toggleFilter(std::size_t index);
  // Presses on several entries in a row, as a script makes them: the same
  // entries and mask as pressing each in turn, with the mask rebuilt once.
  void toggleFilters(const std::vector<std::size_t>& indices);
  // A click on a filter entry's text, or the keyboard moving the highlight.
  void clickFilter();
  // Runs a handler below as one user event. Returns false when an Error
  // ended it; the error has been shown by then.
  template <class Handler>
  bool event(Handler&& handler) {
    try {
      handler();
      return true;
    } catch (const Error& e) {
      showError(e);
      return false;
    }
  }
  // The window's close box or "Exit": whether the window may close. With
  // unsaved changes the user is asked: "Save" closes once saved, "Don't
  // Save" closes, "Cancel" (or Escape) keeps the window as it is.
  bool requestClose();

  // For the command line, which sets many fields before it looks at the clip
  // list: from now on a change of folder or mask only checks the folder, and
  // the list is read once, by readClips(). The window never calls this, so
  // that each of its events shows its own list and its own error.
  void putOffClipReads() { clips_.putOffReads(true); }
  // Reads the clip list if a change put its read off. Raises Error.
  void readClips();

  // --- Handlers -----------------------------------------------------------
  // Named after what the user asked for. They raise Error; callers outside
  // the model run them through event().

  // Start-up: the program folder, the start-up folder of the clip list, and
  // the command-line template (or the default one) loaded without a question.
  // Errors of the start-up load are shown and start-up goes on.
  void start(const StartupArgs& startup);
  // Offers to save when there are unsaved changes. Returns whether the
  // window may close; a failed save raises.
  bool offerSaveBeforeClose();

  // The change handlers, raised by setFieldText and setTemplate*: the
  // "Location of sources", "Name of source(s)", "Name for script(s)" and
  // "Destination folder" boxes, and the template editor.
  void sourceChanged();
  void clipNameChanged();
  void scriptNameChanged();
  void destinationChanged();
  void templateChanged();

  // The mask rebuilt from the prefix and the checked filters.
  void rebuildMask();
  // "De/Select All", "Create Script(s)", "Load Template", "Save Template".
  void toggleSelectAll();
  RunOutcome createScripts();
  // "Create Script(s)" in three steps, for a front end that writes off its
  // own thread: startRun copies what the run reads, the job runs anywhere
  // (RunJob::run), and finishRun, back here, records and shows what it did
  // as createScripts would, raising the Error that ended it. No other run
  // may start in between.
  RunJob startRun();
  RunOutcome finishRun(RunJob& job);
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
  // The Options menu's "Load Template .ini's" and "Save Template .ini's".
  void toggleLoadInis();
  void toggleSaveInis();
  // The filter list editor; sets the unsaved-changes mark however it closes.
  void editFilters();
  // "Clips Folder" and "Script Folder": the folder picker on the box's
  // folder; on OK the box takes the folder shown, as if typed.
  void pickSourceFolder();
  void pickDestinationFolder();

  // The check of created scripts with AviSynth+: its options as stored
  // (AviSynth+'s library, the time limit per script), the clips' folders as
  // those the scripts may write in, with the command line
  // beside the program as the helper process that runs the scripts.
  CheckerOptions scriptCheckOptions();
  // The library the check loads from now on; empty: the one the dynamic
  // loader finds. Raises Error when it cannot be stored.
  void setAvisynthLibrary(const std::string& path);

  // The filter list editor's OK: the entries become the non-empty lines,
  // unchecked and exactly as typed, and the mask follows at once.
  void applyFilterEditor(const std::vector<std::string>& lines);

  // --- What the program keeps for its user --------------------------------
  // The per-user settings, if the front end keeps any (the command line does
  // not): the recent templates and the keyboard scheme are read from them
  // now, and written at each change. settings must outlive the model.
  void useUserSettings(UserSettings* settings);
  // The templates last loaded or saved, the latest first.
  const std::vector<std::string>& recentTemplates() const { return recent_; }
  KeyScheme keyScheme() const { return keyScheme_; }
  // Options > the desktop's standard keys, kept per user.
  void toggleKeyScheme();
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
  // What dropping paths on target would do; each path is looked at.
  DropDecision decideDrop(DropTarget target, const std::vector<std::string>& paths);
  // Carries a drop out as the user's own typing or loading would. Returns
  // how many of the dropped clips were listed and so selected. Raises Error.
  std::size_t drop(const DropDecision& decision);
  // The scripts the last "Create Script(s)" wrote.
  std::size_t scriptsWrittenLastRun() const {
    return created_.lines.empty() ? 0 : created_.lines.size() - 1;
  }

 private:
  // The preview's template lines, from the editor when it shows them.
  std::vector<std::string> previewLines(std::size_t firstLine, std::size_t lineCount);
  // The clip a per-clip preview is of.
  std::string previewClip(const std::vector<std::string>& selected) const;

  class CreatedLines : public CreatedScriptsList {
   public:
    std::vector<std::string> lines;
    void clear() override { lines.clear(); }
    void append(std::string_view line) override { lines.emplace_back(line); }
  };

  // Runs a field's change handler. In the running window an error ends only
  // the handler and is shown; during start-up it ends the code that set the
  // field as well.
  template <class Handler>
  void raiseChange(Handler&& handler) {
    if (state_.starting) {
      handler();
      return;
    }
    event(handler);
  }
  void fireFieldChange(Field field);
  // The source field's change, its error held for the line under the field.
  void followSource(bool boxShown);
  void holdSourceProblem(std::optional<Error> problem, bool boxShown);
  void showError(const Error& e);
  void setModified(bool modified);
  void setFilters(std::vector<FilterEntry> entries);
  std::string defaultTemplateFolder();
  // The load of templatePath (the default template when it is empty), with
  // its flags and, when asked and flagged, its settings: no question, no
  // dialog.
  void readTemplate(bool withSettings);
  SaveOutcome saveTemplateTo(std::string path);
  void makeUserFolder();
  void readSettingsFile();
  void writeSettingsFile();
  void pickInto(FolderPickerFor which, Field field);
  std::optional<FileChoice> chooseTemplate();
  void rememberTemplate();
  void setRecent(std::vector<std::string> recent);

  Folders& folders_;
  ScriptFiles& scripts_;
  PersistFiles& files_;
  RegistryStore& registry_;
  FrontEnd& user_;

  ModelState state_;
  std::array<std::string, 4> fields_;
  void setTemplate(TemplateText text);

  TemplateText template_;
  // templateLines(), made from template_ when first asked for.
  std::optional<std::vector<std::string>> templateLines_;
  TemplateSource* typed_ = nullptr;  // the editor, while its lines are unread
  TemplateSource* view_ = nullptr;   // the editor, for the preview's lines
  FilterList filters_;
  ClipList clips_;
  CreatedLines created_;
  OptionFlags flags_;
  std::optional<LastRun> lastRun_;
  std::optional<Error> sourceProblem_;
  bool sourceProblemShown_ = false;  // its error box has been shown
  bool join_ = false;
  int openTypeIndex_ = 1;
  int saveTypeIndex_ = 1;
  UserSettings* settings_ = nullptr;
  std::vector<std::string> recent_;
  KeyScheme keyScheme_ = KeyScheme::Specified;
  std::optional<std::string> chosen_;  // loadTemplateFrom's path, for its load
  std::string homeFolder_;
};

}  // namespace clipquill
