// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs.h"

#include "ui/filter_editor_dialog.h"
#include "ui/folder_picker_dialog.h"
#include "ui/new_folder_dialog.h"

namespace clipquill {

QtDialogs::QtDialogs(QWidget& owner, const MainWindowModel& model, std::string homeFolder,
                     MenuDialogMakers menuDialogs)
    : owner_(owner),
      model_(model),
      homeFolder_(std::move(homeFolder)),
      menuDialogMakers_(std::move(menuDialogs)) {}

QtDialogs::~QtDialogs() = default;

void QtDialogs::create(StartupWindow window) {
  // The dialogs belong to the main window: they stay above it, and only
  // closing the main window ends the program.
  switch (window) {
    case StartupWindow::Main:
      break;
    default:
      // A menu item's dialog.
      if (const auto maker = menuDialogMakers_.find(window); maker != menuDialogMakers_.end()) {
        std::unique_ptr<MenuDialog>& dialog = menuDialogs_[window];
        dialog = maker->second(&owner_);
        dialog->attach(model_);
      }
      break;
    case StartupWindow::FolderPicker:
      folderPicker_ = std::make_unique<FolderPickerDialog>(homeFolder_, &owner_);
      break;
    case StartupWindow::NewFolder:
      newFolder_ = std::make_unique<NewFolderDialog>(folderPicker_.get());
      folderPicker_->setNewFolderDialog(newFolder_.get());
      break;
    case StartupWindow::FilterEditor:
      filterEditor_ = std::make_unique<FilterEditorDialog>(&owner_);
      break;
  }
}

std::optional<std::string> QtDialogs::pickFolder(FolderPickerFor which, std::string_view boxText,
                                                 std::string_view baseFolder) {
  if (!folderPicker_) return std::nullopt;
  return folderPicker_->pick(which, boxText, baseFolder);
}

std::optional<std::vector<std::string>> QtDialogs::editFilters(
    const std::vector<std::string>& lines) {
  if (!filterEditor_) return std::nullopt;
  return filterEditor_->edit(lines);
}

void QtDialogs::openMenuDialog(StartupWindow window) {
  if (const auto dialog = menuDialogs_.find(window); dialog != menuDialogs_.end())
    dialog->second->present();
}

}  // namespace clipquill
