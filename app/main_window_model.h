// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's behaviour without the window. The Qt window binds its
// widgets to this model; the command line drives it the same way, so both
// give the same result for the same inputs. It owns four parts, each a
// class of its own over one shared context: the fields with the clips and
// filters (ClipFields), the template document (TemplateDocument), the run
// (ScriptRun) and the check of scripts with AviSynth+ (ScriptChecks). It
// keeps start-up and close, which span them, and
// the calls the front ends make, each passed to its part; a front end may
// also reach a part directly.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/clip_fields.h"
#include "app/desktop_rules.h"
#include "app/front_end.h"
#include "app/model_context.h"
#include "app/script_checks.h"
#include "app/script_run.h"
#include "app/template_document.h"

namespace clipquill {

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

class MainWindowModel {
 public:
  explicit MainWindowModel(ModelPlatform platform);
  MainWindowModel(const MainWindowModel&) = delete;
  MainWindowModel& operator=(const MainWindowModel&) = delete;

  // --- The parts ----------------------------------------------------------
  ClipFields& fields() { return fields_; }
  TemplateDocument& document() { return document_; }
  ScriptRun& run() { return run_; }
  ScriptChecks& checks() { return checks_; }

  // --- Start-up and close -------------------------------------------------
  // Start-up: the program folder, the start-up folder of the clip list, and
  // the command-line template (or the default one) loaded without a question.
  // Errors of the start-up load are shown and start-up goes on.
  void start(const StartupArgs& startup);
  // The window's close box or "Exit": whether the window may close. With
  // unsaved changes the user is asked: "Save" closes once saved, "Don't
  // Save" closes, "Cancel" (or Escape) keeps the window as it is.
  bool requestClose();
  // Runs a handler below as one user event. Returns false when an Error
  // ended it; the error has been shown by then.
  template <class Handler>
  bool event(Handler&& handler) {
    return context_.event(std::forward<Handler>(handler));
  }
  const ModelState& state() const { return context_.state; }

  // What dropping paths on target would do; each path is looked at.
  DropDecision decideDrop(DropTarget target, const std::vector<std::string>& paths);
  // Carries a drop out as the user's own typing or loading would. Returns
  // how many of the dropped clips were listed and so selected. Raises Error.
  std::size_t drop(const DropDecision& decision);

  // --- The fields with the clips and filters (ClipFields) ------------------
  const std::string& fieldText(Field field) const { return fields_.fieldText(field); }
  const FilterList& filters() const { return fields_.filters(); }
  const ClipList& clips() const { return fields_.clips(); }
  bool join() const { return fields_.join(); }
  std::string clipStatus() const { return fields_.clipStatus(); }
  void setFieldText(Field field, std::string_view text) { fields_.setFieldText(field, text); }
  void typeFieldText(Field field, std::string_view text) { fields_.typeFieldText(field, text); }
  void commitSourceText() { fields_.commitSourceText(); }
  const std::optional<Error>& sourceProblem() const { return fields_.sourceProblem(); }
  void setJoin(bool join) { fields_.setJoin(join); }
  void setClipSelected(std::size_t index, bool selected) {
    fields_.setClipSelected(index, selected);
  }
  void clearClipSelection() { fields_.clearClipSelection(); }
  void toggleFilter(std::size_t index) { fields_.toggleFilter(index); }
  void toggleFilters(const std::vector<std::size_t>& indices) { fields_.toggleFilters(indices); }
  void clickFilter() { fields_.clickFilter(); }
  void putOffClipReads() { fields_.putOffClipReads(); }
  void readClips() { fields_.readClips(); }
  void sourceChanged() { fields_.sourceChanged(); }
  void clipNameChanged() { fields_.clipNameChanged(); }
  void scriptNameChanged() { fields_.scriptNameChanged(); }
  void destinationChanged() { fields_.destinationChanged(); }
  void rebuildMask() { fields_.rebuildMask(); }
  void toggleSelectAll() { fields_.toggleSelectAll(); }
  void editFilters() { fields_.editFilters(); }
  void applyFilterEditor(const std::vector<std::string>& lines) {
    fields_.applyFilterEditor(lines);
  }
  void pickSourceFolder() { fields_.pickSourceFolder(); }
  void pickDestinationFolder() { fields_.pickDestinationFolder(); }

  // --- The template document (TemplateDocument) ---------------------------
  const TemplateText& templateText() { return document_.templateText(); }
  const OptionFlags& optionFlags() const { return document_.optionFlags(); }
  std::string templateStatus() const { return document_.templateStatus(); }
  int openTypeIndex() const { return document_.openTypeIndex(); }
  int saveTypeIndex() const { return document_.saveTypeIndex(); }
  void setTemplateText(std::string_view text) { document_.setTemplateText(text); }
  void templateTyped(TemplateSource& source) { document_.templateTyped(source); }
  void setTemplateView(TemplateSource* view) { document_.setTemplateView(view); }
  void templateChanged() { document_.templateChanged(); }
  void loadTemplate() { document_.loadTemplate(); }
  SaveOutcome saveTemplate() { return document_.saveTemplate(); }
  SaveOutcome saveTemplateAs(const std::string& path, int typeIndex) {
    return document_.saveTemplateAs(path, typeIndex);
  }
  SaveOutcome saveDefaultTemplate() { return document_.saveDefaultTemplate(); }
  bool offerSaveBeforeClose() { return document_.offerSaveBeforeClose(); }
  void toggleLoadInis() { document_.toggleLoadInis(); }
  void toggleSaveInis() { document_.toggleSaveInis(); }
  void useUserSettings(UserSettings* settings) { document_.useUserSettings(settings); }
  const std::vector<std::string>& recentTemplates() const { return document_.recentTemplates(); }
  KeyScheme keyScheme() const { return document_.keyScheme(); }
  void toggleKeyScheme() { document_.toggleKeyScheme(); }
  NameEnd nameEnd() const { return context_.state.nameEnd; }
  void toggleNameEnd() { document_.toggleNameEnd(); }
  // The rule for this run alone, stored nowhere (the command line's option).
  void setNameEnd(NameEnd end) { context_.state.nameEnd = end; }
  std::string dialogFolder() { return document_.dialogFolder(); }
  std::string saveDialogFolder() { return document_.saveDialogFolder(); }
  void loadTemplateFrom(const std::string& path) { document_.loadTemplateFrom(path); }

  // --- The run (ScriptRun) ------------------------------------------------
  RunOutcome createScripts() { return run_.createScripts(); }
  RunJob startRun() { return run_.startRun(); }
  RunOutcome finishRun(RunJob& job) { return run_.finishRun(job); }
  TemplatePreview preview(std::size_t firstLine, std::size_t lineCount,
                          std::size_t maxLineBytes = kPreviewLineBytes) {
    return run_.preview(firstLine, lineCount, maxLineBytes);
  }
  bool previewHasClip() const { return run_.previewHasClip(); }
  std::optional<TemplatePlace> templatePlaceOf(int line, int column) {
    return run_.templatePlaceOf(line, column);
  }
  const std::vector<std::string>& createdScripts() const { return run_.createdScripts(); }
  std::size_t scriptsWrittenLastRun() const { return run_.scriptsWrittenLastRun(); }
  const std::optional<LastRun>& lastRun() const { return run_.lastRun(); }
  std::string runStatus() const { return run_.runStatus(); }
  bool lastRunFolderIsThere() { return run_.lastRunFolderIsThere(); }

 private:
  ModelContext context_;
  ClipFields fields_;
  TemplateDocument document_;
  ScriptRun run_;
  ScriptChecks checks_;
};

}  // namespace clipquill
