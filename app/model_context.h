// SPDX-License-Identifier: GPL-3.0-or-later
// What the parts of the main window's model share: the platform they reach,
// the window's working state, and the way an event ends in the error box.
// Each part (the fields, the template document, the run) stands on one
// context that MainWindowModel owns.
#pragma once

#include <string>

#include "app/front_end.h"
#include "clips/folders.h"
#include "core/error.h"
#include "core/generator.h"
#include "core/script_encoding.h"
#include "core/script_files.h"
#include "persist/persist_files.h"
#include "persist/registry_store.h"

namespace clipquill {

// The platform as the model reaches it.
struct ModelPlatform {
  Folders& folders;
  ScriptFiles& scripts;
  PersistFiles& files;
  RegistryStore& registry;
  FrontEnd& user;
};

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
  ScriptState script;  // the folders and names of the last run's script
  // Where each clip's name ends in per-clip script names; the window keeps
  // the user's choice, the command line sets it per run.
  NameEnd nameEnd = NameEnd::FirstDot;
  // The code page AviSynth+ reads scripts in; none: the system's.
  const CodePage* codePage = nullptr;
  bool modified = false;  // unsaved changes
  bool starting = false;  // the start-up load is running
};

class ModelContext {
 public:
  explicit ModelContext(ModelPlatform platform) : platform_(platform) {}

  ModelState state;

  // Runs handler as one user event. Returns false when an Error ended it;
  // the error has been shown by then.
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
  // Runs a field's change handler. In the running window an error ends only
  // the handler and is shown; during start-up it ends the code that set the
  // field as well.
  template <class Handler>
  void raiseChange(Handler&& handler) {
    if (state.starting) {
      handler();
      return;
    }
    event(handler);
  }
  void showError(const Error& e) { platform_.user.errorBox(e); }
  void setModified(bool modified) {
    if (state.modified == modified) return;
    state.modified = modified;
    platform_.user.shown(Shown::Modified);
  }

  const ModelPlatform& platform() const { return platform_; }

 private:
  ModelPlatform platform_;
};

// The base of each part of the model: the context, and the platform under
// the names the handlers use.
class ModelPart {
 protected:
  explicit ModelPart(ModelContext& context)
      : ctx_(context),
        state_(context.state),
        folders_(context.platform().folders),
        scripts_(context.platform().scripts),
        files_(context.platform().files),
        registry_(context.platform().registry),
        user_(context.platform().user) {}

  void setModified(bool modified) { ctx_.setModified(modified); }
  void showError(const Error& e) { ctx_.showError(e); }
  template <class Handler>
  bool event(Handler&& handler) {
    return ctx_.event(std::forward<Handler>(handler));
  }
  template <class Handler>
  void raiseChange(Handler&& handler) {
    ctx_.raiseChange(std::forward<Handler>(handler));
  }

  ModelContext& ctx_;
  ModelState& state_;
  Folders& folders_;
  ScriptFiles& scripts_;
  PersistFiles& files_;
  RegistryStore& registry_;
  FrontEnd& user_;
};

}  // namespace clipquill
