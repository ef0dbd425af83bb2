// SPDX-License-Identifier: GPL-3.0-or-later
// The check of scripts with AviSynth+ as the model holds it: the helper's
// options, the check after a run and the preview's picture.
#include "app/script_checks.h"

#include <chrono>
#include <filesystem>
#include <limits>
#include <utility>

#include "app/process_environment.h"
#include "check/avisynth_places.h"
#include "check/check_advice.h"
#include "check/sandbox.h"
#include "core/constants.h"
#include "core/error.h"
#include "core/utf8_path.h"
#include "persist/check_settings.h"

namespace clipquill {

CheckerOptions checkerOptions(RegistryStore& registry, const std::string& appTitle,
                              const std::string& helper, const std::string& programFolder,
                              const CheckChoice& choice, std::vector<std::string> writableFolders) {
  const CheckSettings stored = readCheckSettings(registry, appTitle);
  CheckerOptions options;
  options.library = choice.library.empty() ? stored.avisynthLibrary : choice.library;
  options.timeLimit =
      std::chrono::seconds(choice.timeLimitSeconds.value_or(stored.timeLimitSeconds));
  options.helper = helper;
  options.memoryLimit = choice.memoryLimit;
  options.pluginFolders = choice.pluginFolders;
  options.writableFolders = std::move(writableFolders);
  options.frame = choice.frame;
  // A library chosen for this check is tried alone; else the one set, the
  // system's, then our own copy.
  options.places =
      avisynthPlaces(choice.library, stored.avisynthLibrary, findBundledAvisynth(programFolder));
  return options;
}

std::string avisynthInUse(CheckerOptions options) {
  ScriptChecker checker(std::move(options));
  std::string why;
  if (checker.available(&why)) return checker.used();
  return "AviSynth+: none found (" + why + ")";
}

CheckReport checkScriptFiles(CheckerOptions options, const std::vector<std::string>& paths,
                             const std::vector<std::string>& shown, std::ostream& err,
                             std::string_view program, std::ostream* info,
                             const std::string* frameFolder) {
  ScriptChecker checker(std::move(options));
  return checkAndReport(checker, paths, shown, err, program, info, frameFolder);
}

bool printFunctionTable(CheckerOptions options, std::ostream& out, std::ostream& err,
                        std::string_view program) {
  ScriptChecker checker(std::move(options));
  std::string why;
  const std::optional<std::vector<AvsFunction>> functions = checker.functions(&why);
  if (!checker.passedOver().empty()) err << program << ": " << checker.passedOver() << '\n';
  if (!functions) {
    err << program << ": no AviSynth+ to list the functions of: " << why << '\n';
    return false;
  }
  for (const AvsFunction& f : *functions)
    out << functionJsonLine(f) << '\n';
  return true;
}

std::optional<std::uint64_t> checkMemorySize(std::string_view text) {
  return parseMemorySize(text);
}

void runAsCheckHelperIfAsked(int argc, char** argv) {
  runCheckHelperIfAsked(argc, argv);
}

ScriptChecks::ScriptChecks(ModelContext& context, ClipFields& fields, ScriptRun& run)
    : ModelPart(context), fields_(fields), run_(run) {}

ScriptChecks::~ScriptChecks() = default;

CheckerOptions ScriptChecks::options() {
  // The clips' folders, where source plugins keep their index files: the
  // last run's, and the one in the field now.
  std::vector<std::string> writable;
  for (const std::string& folder : {state_.script.sourceFolder, fields_.fieldText(Field::Source)}) {
    if (!folder.empty()) writable.push_back(folder);
  }
  return checkerOptions(registry_, state_.appTitle,
                        state_.programFolder + programFileName(kCliProgramName),
                        state_.programFolder, CheckChoice{}, std::move(writable));
}

std::string ScriptChecks::avisynthLibrary() {
  return readCheckSettings(registry_, state_.appTitle).avisynthLibrary;
}

void ScriptChecks::setAvisynthLibrary(const std::string& path) {
  CheckSettings settings = readCheckSettings(registry_, state_.appTitle);
  settings.avisynthLibrary = path;
  if (!writeCheckSettings(registry_, state_.appTitle, settings)) {
    throw Error::withMessage("Unable to store the AviSynth+ library in the options");
  }
}

std::vector<std::string> ScriptChecks::lastRunScripts() const {
  std::vector<std::string> paths;
  const std::optional<LastRun>& last = run_.lastRun();
  if (!last || !last->began) return paths;
  const std::vector<std::string>& created = run_.createdScripts();
  // The list's first line is its heading.
  for (std::size_t i = 1; i < created.size(); ++i)
    paths.push_back(state_.script.destFolder + created[i]);
  return paths;
}

bool ScriptChecks::checkLastRun(CreatedScriptChecks& marks) {
  const std::optional<LastRun>& last = run_.lastRun();
  if (!last || !last->began) return false;
  marks.start(options(), state_.script.destFolder, run_.createdScripts());
  return true;
}

std::string ScriptChecks::advice(const ScriptCheck& check, const std::string& used) {
  const std::string helper = state_.programFolder + programFileName(kCliProgramName);
  std::error_code ec;
  const BundledAvisynth bundled = findBundledAvisynth(state_.programFolder);
  AdviceContext context{helper, std::filesystem::exists(pathFromUtf8(helper), ec), bundled.building,
                        "",
                        used.find(describeOrigin(AvisynthOrigin::Bundled)) != std::string::npos};
  if (!bundled.library.empty() && !bundled.pluginFolder.empty() &&
      used.find(bundled.library) == std::string::npos)
    context.otherBundledLibrary = bundled.library;
  return adviceFor(check, context);
}

void ScriptChecks::showPicturesThrough(Post post, ShowPicture show) {
  post_ = std::move(post);
  showPicture_ = std::move(show);
}

ScriptChecks::Picture ScriptChecks::requestPicture(std::size_t templateBytes, int frame) {
  // No clip, no script worth a picture: its clip's name would be empty. An
  // answer still on its way is for a script no longer shown.
  if (!run_.previewHasClip()) {
    picture_.reset();
    pictureText_.clear();
    return Picture::NoClip;
  }
  CheckerOptions options = this->options();
  // A new helper for another library, or for other clips' folders, where
  // source plugins write their index files; and after a picture that found
  // no AviSynth+ or no helper: either may have come since.
  if (!picture_ || options.places != picturePlaces_ || options.writableFolders != pictureFolders_ ||
      pictureUnavailable_) {
    pictureUnavailable_ = false;
    picture_.reset();
    pictureText_.clear();
    picturePlaces_ = options.places;
    pictureFolders_ = options.writableFolders;
    const std::uint64_t helper = ++pictureHelper_;
    picture_ = std::make_unique<FramePreview>(
        std::move(options),
        [this, helper, alive = std::weak_ptr<ScriptChecks*>(self_)](FramePreview::Result result) {
          if (!post_) return;
          post_([helper, alive, result = std::move(result)] {
            if (const std::shared_ptr<ScriptChecks*> self = alive.lock())
              (*self)->pictureArrived(helper, result);
          });
        });
  }
  if (templateBytes > kPictureTemplateBytes) {
    pictureText_.clear();
    return Picture::TooLarge;
  }
  // The whole script of the current clip, as the run would write it: no
  // line cut as the pane's text cuts them.
  std::string text = run_.preview(0, std::numeric_limits<std::size_t>::max(),
                                  std::numeric_limits<std::size_t>::max())
                         .script.text;
  if (text == pictureText_ && frame == pictureFrame_) return Picture::Same;  // scrolled
  pictureText_ = std::move(text);
  pictureFrame_ = frame;
  picture_->request(pictureText_, frame);
  return Picture::Asked;
}

void ScriptChecks::pictureArrived(std::uint64_t helper, const FramePreview::Result& result) {
  // A picture overtaken by a newer request, or of a helper since replaced,
  // is dropped.
  if (!picture_ || helper != pictureHelper_ || result.request != picture_->latest()) return;
  PictureShown shown;
  const std::string advice = this->advice(result.check, result.avisynth);
  shown.avisynth = result.avisynth;
  shown.unavailable = pictureUnavailable_ = result.check.status == CheckStatus::Unavailable;
  if (shown.unavailable) {
    // The sentence first; the system's own words after it, for the curious.
    shown.note =
        advice.empty() ? result.check.message : advice + "\n\n(" + result.check.message + ")";
    shown.retry = findBundledAvisynth(state_.programFolder).building;
  } else {
    shown.check = result.check;
    if (!advice.empty()) shown.check.message += "\n" + advice;
  }
  if (showPicture_) showPicture_(shown);
}

}  // namespace clipquill
