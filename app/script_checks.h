// SPDX-License-Identifier: GPL-3.0-or-later
// The check of scripts with AviSynth+ as the model holds it: the helper's
// options, built here alone for the window, the command line and the
// picture; when a run's scripts are checked and their marks started; and
// the preview's picture (a new helper when the library or the clips' folders
// change, a size past which it waits, results overtaken by newer requests
// dropped). A part of MainWindowModel beside ScriptRun; the front ends reach
// the check only through it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/clip_fields.h"
#include "app/created_script_checks.h"
#include "app/model_context.h"
#include "app/script_run.h"
#include "check/check_report.h"
#include "check/frame_preview.h"
#include "check/script_checker.h"
#include "persist/registry_store.h"

namespace clipquill {

// What one check is given over the stored options (the command line's
// options); the defaults keep the stored ones.
struct CheckChoice {
  std::string library = {};                       // empty: the stored one
  std::optional<unsigned> timeLimitSeconds = {};  // nothing: the stored limit
  std::size_t memoryLimit = 0;                    // 0: the checker's own bound
  std::vector<std::string> pluginFolders = {};
  int frame = -1;  // the frame each check renders; -1: none
};

// The helper's options: the library and time limit chosen, else those stored
// for appTitle; AviSynth+ looked for in the library chosen alone, else the
// stored one, the system's and the copy beside the program; `helper` the
// program started to run each script; the scripts may write in
// writableFolders. Reads the store; never raises.
CheckerOptions checkerOptions(RegistryStore& registry, const std::string& appTitle,
                              const std::string& helper, const std::string& programFolder,
                              const CheckChoice& choice, std::vector<std::string> writableFolders);

// The AviSynth+ a check with these options would use, in words: its place
// and origin, or why none was found.
std::string avisynthInUse(CheckerOptions options);

// The command line's check of `paths`, each failure printed on err under its
// name in `shown`, prefixed by `program`; with info, each script's JSON line
// there; with frameFolder, each good script's frame written there.
CheckReport checkScriptFiles(CheckerOptions options, const std::vector<std::string>& paths,
                             const std::vector<std::string>& shown, std::ostream& err,
                             std::string_view program, std::ostream* info,
                             const std::string* frameFolder);

// The command line's --functions: every function of the AviSynth+ these
// options load, its plugins' too, a JSON line each on `out` (functionJsonLine);
// what was left out, or why there is none, on err prefixed by `program`.
// False when AviSynth+ could not be asked.
bool printFunctionTable(CheckerOptions options, std::ostream& out, std::ostream& err,
                        std::string_view program);

// The check's memory bound as the command line writes it ("512M", "2G");
// nothing for what is no size, or one below what AviSynth+ runs in.
std::optional<std::uint64_t> checkMemorySize(std::string_view text);

// The program started by a check as its helper: checks, then exits; any
// other start returns at once. First thing in main.
void runAsCheckHelperIfAsked(int argc, char** argv);

// What the picture pane shows of one picture.
struct PictureShown {
  // No AviSynth+ or no helper: `note` is shown instead of a picture.
  bool unavailable = false;
  std::string note;
  ScriptCheck check;     // else the check with its picture, the advice after its message
  std::string avisynth;  // the AviSynth+ used, the pane's tip
  // Ask again soon: a first start is building the AviSynth+ that comes with
  // the program, and the picture shows once it is there.
  bool retry = false;
};

// The largest template whose script the preview renders a picture of: the
// picture needs the whole script, a pass over the whole template, and past
// a size no hand-written template reaches typing keeps its pace instead.
inline constexpr std::size_t kPictureTemplateBytes = std::size_t{1} << 20;

class ScriptChecks : ModelPart {
 public:
  // Runs a function on the front end's thread, later; callable from any thread.
  using Post = std::function<void(std::function<void()>)>;
  // Told on the front end's thread what to show of a picture.
  using ShowPicture = std::function<void(const PictureShown&)>;

  ScriptChecks(ModelContext& context, ClipFields& fields, ScriptRun& run);
  ~ScriptChecks();  // ends the picture's helper; nothing is told after

  // The window's options: stored, with the program's command line beside it
  // as the helper, the clips' folders (the last run's, the field's) as those
  // the scripts may write in.
  CheckerOptions options();
  // The library the check loads as stored; empty: the one the loader finds.
  std::string avisynthLibrary();
  // The library the check loads from now on. Raises Error when it cannot be
  // stored.
  void setAvisynthLibrary(const std::string& path);

  // The scripts the last run listed, in its folder: those of a run that
  // ended early too, none of a run refused before it began (the list it
  // left is an older run's).
  std::vector<std::string> lastRunScripts() const;
  // After a run: its scripts checked in the background and marked on
  // `marks`, unless it was refused before it began. Whether a check started.
  bool checkLastRun(CreatedScriptChecks& marks);

  // One plain sentence on what a check or the picture lacks and what to do,
  // knowing where this program and its AviSynth+ are; `used` is the
  // checker's word on the AviSynth+ it loaded (empty: none).
  std::string advice(const ScriptCheck& check, const std::string& used);

  // --- The preview's picture ---------------------------------------------
  enum class Picture {
    Asked,     // the script's picture is on its way
    Same,      // the script and frame already asked for: nothing new
    NoClip,    // no clip to show the script of (preview() names none)
    TooLarge,  // the template is over kPictureTemplateBytes
  };
  // Where pictures go: results come on the helper's thread, are posted to
  // the front end's, and those still current are shown there.
  void showPicturesThrough(Post post, ShowPicture show);
  // Asks for the picture of the script the preview shows now, at `frame`,
  // for a template of templateBytes.
  Picture requestPicture(std::size_t templateBytes, int frame);

 private:
  void pictureArrived(std::uint64_t helper, const FramePreview::Result& result);

  ClipFields& fields_;
  ScriptRun& run_;

  Post post_;
  ShowPicture showPicture_;
  // Made when first asked for, and anew when the places or folders change,
  // or after an unavailable picture (a library chosen, the helper built).
  std::unique_ptr<FramePreview> picture_;
  std::uint64_t pictureHelper_ = 0;  // counts helpers: a result of an old one is stale
  std::vector<AvisynthPlace> picturePlaces_;
  std::vector<std::string> pictureFolders_;
  bool pictureUnavailable_ = false;
  std::string pictureText_;  // the script last asked for, and its frame
  int pictureFrame_ = -1;
  // Posted results hold it weakly: one that arrives after this part is gone
  // is dropped.
  std::shared_ptr<ScriptChecks*> self_ = std::make_shared<ScriptChecks*>(this);
};

}  // namespace clipquill
