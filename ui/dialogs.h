// SPDX-License-Identifier: GPL-3.0-or-later
// The dialogs the main window opens, besides the message boxes and the file
// dialogs: the interface the window asks through, so that its tests answer
// at once, and the program's own, which makes and keeps the dialog windows.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window_model.h"
#include "ui/menu_dialog.h"
#include "ui/platform/startup.h"

class QWidget;

namespace clipquill {

class FilterEditorDialog;
class FolderPickerDialog;
class NewFolderDialog;

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // The folder picker, as FrontEnd::pickFolder promises: the folder shown
  // when closed with OK, nothing on Cancel; raises Error, without opening,
  // when boxText names a folder that cannot be entered.
  virtual std::optional<std::string> pickFolder(FolderPickerFor which, std::string_view boxText,
                                                std::string_view baseFolder) = 0;
  // The filter list editor, shown modally with lines: its lines on OK,
  // nothing when closed by its close box.
  virtual std::optional<std::vector<std::string>> editFilters(
      const std::vector<std::string>& lines) = 0;
  // A menu item's dialog, made by start-up as window ("&Using", "&About").
  virtual void openMenuDialog(StartupWindow window) = 0;
};

// The menu dialogs by the start-up step that makes each, as the main
// window's menu items name them.
using MenuDialogMakers = std::map<StartupWindow, MenuDialogMaker>;

// The real dialogs, each made by start-up in its turn, owned here and
// reused for every showing. One not made yet does nothing when asked.
class QtDialogs final : public Dialogs {
 public:
  // The dialogs belong to owner, the main window, whose model gives the
  // about box its title; homeFolder stands for the folder picker's empty box.
  // menuDialogs makes the menu items' dialogs.
  QtDialogs(QWidget& owner, const MainWindowModel& model, std::string homeFolder,
            MenuDialogMakers menuDialogs);
  ~QtDialogs() override;

  // Makes the dialog window of start-up's step window (any but the main
  // window's own), belonging to the main window.
  void create(StartupWindow window);

  std::optional<std::string> pickFolder(FolderPickerFor which, std::string_view boxText,
                                        std::string_view baseFolder) override;
  std::optional<std::vector<std::string>> editFilters(
      const std::vector<std::string>& lines) override;
  void openMenuDialog(StartupWindow window) override;

 private:
  QWidget& owner_;
  const MainWindowModel& model_;
  std::string homeFolder_;
  MenuDialogMakers menuDialogMakers_;
  // Destroyed in reverse: the new-folder dialog before the picker that uses it.
  std::unique_ptr<FolderPickerDialog> folderPicker_;
  std::map<StartupWindow, std::unique_ptr<MenuDialog>> menuDialogs_;
  std::unique_ptr<NewFolderDialog> newFolder_;
  std::unique_ptr<FilterEditorDialog> filterEditor_;
};

}  // namespace clipquill
