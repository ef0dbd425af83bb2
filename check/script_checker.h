// SPDX-License-Identifier: GPL-3.0-or-later
// Checks scripts with AviSynth+ in a helper process, one script after the
// other. Importing a script runs it: a script may loop for ever (AviSynth
// has loops) and a plugin may crash, and neither may take the window or the
// command line with it. The helper is a program of ours started in a hidden
// mode; it loads AviSynth+ once and imports each script it is sent in a
// fresh script environment. A script still running when its time is up ends
// the helper ("timed out"), a helper that dies reports the script as
// crashed, and the next script gets a new helper.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "check/avisynth_places.h"
#include "check/sandbox.h"
#include "check/script_check.h"
#include "core/avisynth_functions.h"

namespace clipquill {

struct CheckerOptions {
  // The AviSynth+ library to load (libavisynth.so, AviSynth.dll); empty:
  // the installed one.
  std::string library;
  // How long one script may take, the helper's start included.
  std::chrono::milliseconds timeLimit{std::chrono::seconds(10)};
  // The program started as the helper (it must call runCheckHelperIfAsked
  // first thing in main); empty: this very program.
  std::string helper;
  // The most memory the helper may take: on Linux its address space
  // (sandbox.h), on Windows what its job object lets it commit; 0: a quarter
  // of the machine's memory on Linux, half on Windows.
  std::size_t memoryLimit = 0;
  // Folders of AviSynth+ plugins (source filters such as FFMS2's) each
  // script may use without a LoadPlugin of its own, before AviSynth+'s own.
  std::vector<std::string> pluginFolders = {};
  // Where scripts may write: the folders of the clips they open (source
  // plugins keep their index files beside the clip). Everything else is
  // read-only to the helper but a private temporary folder.
  std::vector<std::string> writableFolders = {};
  // The frame each check also renders (ScriptCheck::picture); -1: none.
  int frame = -1;
  // Whether the helper bounds itself (sandbox.h); off only to measure what
  // the bounds cost.
  bool sandbox = true;
  // Where AviSynth+ is looked for, in order (avisynthPlaces), in place of
  // `library`: the first that loads is used, with its own plugin folders
  // beside `pluginFolders`. Empty: `library` alone.
  std::vector<AvisynthPlace> places = {};
};

namespace helper {
class Process;
}

// Used from one thread at a time (abort() aside). A checker that dies never
// leaves a looping helper behind: on Linux the helper is ended with the
// thread that started it (so check from the thread that checks first), on
// Windows with the job object the checker holds.
class ScriptChecker {
 public:
  explicit ScriptChecker(CheckerOptions options);
  ~ScriptChecker();  // ends the helper
  ScriptChecker(const ScriptChecker&) = delete;
  ScriptChecker& operator=(const ScriptChecker&) = delete;

  // Whether AviSynth+ can be loaded; starts the helper when none runs.
  // `detail` gets AviSynth+'s version when it can, the reason when not.
  bool available(std::string* detail = nullptr);

  // Checks the script at `path` (relative paths are read against the
  // working folder). Never throws for what the script does.
  ScriptCheck check(const std::string& path);

  // Checks the script and renders frame `frame` of its clip, converted to
  // RGB32 by AviSynth+ in the helper (ScriptCheck::picture).
  ScriptCheck render(const std::string& path, int frame);

  // Checks each of `paths` in turn, telling `report` each result in order as
  // it comes; the helper gets the next scripts while it works on one, so
  // that it never waits between two. Stops, telling nothing more, once
  // abort() was called. Where AviSynth+ cannot be loaded, every script is
  // told Unavailable.
  using Report = std::function<void(std::size_t index, ScriptCheck check)>;
  void checkAll(std::span<const std::string> paths, const Report& report);

  // Every function the loaded AviSynth+ has, its plugin folders' included
  // (AvisynthLibrary::listFunctions), asked of the helper, so that the
  // sandbox bounds the plugins' loading as it bounds a check. nullopt with
  // the reason in `why` when AviSynth+ cannot be loaded or the helper ended.
  // A plugin folder that crashed AviSynth+ leaves it out (passedOver()).
  std::optional<std::vector<AvsFunction>> functions(std::string* why = nullptr);

  const CheckerOptions& options() const { return options_; }

  // Which AviSynth+ the helper loaded and from where ("AviSynth+ 3.7.5
  // (...), /path/libavisynth.so, that came with Clipquill"); known once
  // available() or a check started a helper that loaded it.
  const std::string& used() const { return used_; }
  // The same in parts: the library's file, AviSynth+'s version text, and
  // the plugin folders asked for (passedOver() tells when a plugin that
  // crashed AviSynth+ left them out).
  const std::string& usedLibrary() const { return usedLibrary_; }
  const std::string& usedVersion() const { return usedVersion_; }
  const std::vector<std::string>& usedPluginFolders() const { return usedPluginFolders_; }
  // What was passed over on the way, and why: a library set in the options
  // that no longer loads, a plugin that crashed AviSynth+ as it loaded (the
  // checks then go on without the plugin folders). Empty when nothing was.
  const std::string& passedOver() const { return passedOver_; }

  // What the helper's sandbox could not bound, in words (empty when every
  // bound holds); known once available() or a check started a helper.
  const std::string& unconfined() const { return unconfined_; }

  // From any thread: ends the helper at once and every check after, so that
  // a window closing or starting a new run need not wait out a script.
  void abort();

 private:
  bool start();
  bool startAt(const AvisynthPlace& place);
  void stop();
  ScriptCheck helperEnded(const char* during);
  void removeTemp();
  // The plugin a helper that died before its hello was loading; empty: none.
  std::string crashedPlugin() const;

  CheckerOptions options_;
  std::mutex helperMutex_;  // held while the helper is killed or reaped
  std::atomic<bool> aborted_{false};
  std::unique_ptr<helper::Process> helper_;  // replaced under helperMutex_
  std::optional<bool> available_;            // known once a helper said hello
  // How a helper started after AviSynth+ had loaded failed to say hello: the
  // script it was for is told so.
  std::optional<ScriptCheck> restartFailure_;
  std::string detail_;
  std::string unconfined_;
  std::string temp_;  // the helper's private temporary folder
  std::vector<AvisynthPlace> places_;
  std::size_t place_ = 0;  // the place the helpers load from
  std::string used_;
  std::string usedLibrary_;
  std::string usedVersion_;
  std::vector<std::string> usedPluginFolders_;
  std::string passedOver_;
  std::string firstRefusal_;     // why the library set in Options did not load
  bool libraryRefused_ = false;  // the last helper said its library did not load
  bool pluginCrashed_ = false;   // the last helper died loading a plugin
  bool withoutPlugins_ = false;  // since one did, the helpers load none
  int frame_;                    // the frame the checks render; -1: none
};

// The command-line word that starts a program as the helper.
inline constexpr const char* kCheckHelperFlag = "--avisynth-check-helper";

// How the helper bounds itself: enterSandbox, or in a test a stand-in that
// says what a system without some bound would say.
using SandboxEntry = SandboxState (*)(const SandboxRules&);

// For main(), before anything else: when the arguments ask for the helper
// ("PROGRAM --avisynth-check-helper LIBRARY"), runs it and ends the process
// when the checker lets go of it; returns at once otherwise.
void runCheckHelperIfAsked(int argc, char** argv, SandboxEntry enter = enterSandbox);

}  // namespace clipquill
