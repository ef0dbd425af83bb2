// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, close and drops, which span the model's parts.
#include "app/main_window_model.h"

#include "core/constants.h"
#include "core/paths.h"
#include "persist/path_rules.h"

namespace clipquill {

MainWindowModel::MainWindowModel(ModelPlatform platform)
    : context_(platform),
      fields_(context_),
      document_(context_, fields_),
      run_(context_, fields_, document_),
      checks_(context_, fields_, run_) {}

bool MainWindowModel::requestClose() {
  bool mayClose = false;
  event([&] { mayClose = document_.offerSaveBeforeClose(); });
  return mayClose;
}

void MainWindowModel::start(const StartupArgs& startup) {
  ModelState& state = context_.state;
  state.appTitle = std::string(kAppTitle);
  run_.clearCreated();
  state.starting = true;
  state.programFolder = withTrailingSeparator(folderOfPath(startup.executablePath));
  state.userFolder = withTrailingSeparator(startup.userFolder);
  state.templatePath.clear();
  // The clip list starts in the home folder. A home folder that cannot be
  // read must not keep the window from starting: the error is shown and the
  // list stays empty until the user picks a folder.
  event([&] { fields_.setFieldText(Field::Source, withTrailingSeparator(startup.homeFolder)); });
  // Two or more arguments are no template path at all.
  if (startup.args.size() == 1) state.templatePath = startup.args.front();
  context_.setModified(false);
  document_.setHomeFolder(startup.homeFolder);
  event([&] { document_.readTemplate(startup.withSettings); });
  // A settings file without a source folder (the installed default's) would
  // leave the box empty while the list still shows the home folder, and
  // scripts would then name their clips from the root.
  if (fields_.fieldText(Field::Source).empty() && !startup.homeFolder.empty()) {
    event([&] { fields_.setFieldText(Field::Source, withTrailingSeparator(startup.homeFolder)); });
  }
  // Only the user's own changes mark the window, also when the load failed
  // half-way through applying its settings.
  context_.setModified(false);
  state.starting = false;
  // A template opened from the file manager is one the user chose.
  if (startup.args.size() == 1) document_.rememberTemplate();
}

DropDecision MainWindowModel::decideDrop(DropTarget target, const std::vector<std::string>& paths) {
  std::vector<DroppedPath> dropped;
  dropped.reserve(paths.size());
  for (const std::string& path : paths)
    dropped.push_back({path, context_.platform().folders.kind(path)});
  return clipquill::decideDrop(target, dropped);
}

std::size_t MainWindowModel::drop(const DropDecision& decision) {
  switch (decision.action) {
    case DropDecision::Refuse:
      return 0;
    case DropDecision::SetSource:
      fields_.setFieldText(Field::Source, decision.path);
      return 0;
    case DropDecision::SetDestination:
      fields_.setFieldText(Field::Destination, decision.path);
      return 0;
    case DropDecision::LoadTemplate:
      document_.loadTemplateFrom(decision.path);
      return 0;
    case DropDecision::SelectClips:
      break;
  }
  fields_.setFieldText(Field::Source, decision.path);
  return fields_.selectDropped(decision.path, decision.clips);
}

}  // namespace clipquill
