// SPDX-License-Identifier: GPL-3.0-or-later
// The dialogs the main window opens, gathered behind MainWindowDialogs once
// start-up has created them. Each is reached through a pointer (or, for the
// folder picker, a call) that stays empty until its window exists; an empty
// one does nothing when asked.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/main_window_dialogs.h"

namespace clipquill {

class AboutBox;
class FilterEditorDialog;
class UsageDialog;

class Dialogs : public MainWindowDialogs {
 public:
  // The folder picker's pick(), as a call, so that this file needs nothing
  // of the picker's own.
  using FolderPick = std::function<std::optional<std::string>(
      FolderPickerFor which, std::string_view boxText, std::string_view baseFolder)>;

  struct Windows {
    FolderPick pickFolder;
    FilterEditorDialog* filterEditor = nullptr;
    UsageDialog* usage = nullptr;
    AboutBox* about = nullptr;
  };

  explicit Dialogs(Windows windows) : windows_(std::move(windows)) {}

  std::optional<std::string> pickFolder(FolderPickerFor which, std::string_view boxText,
                                        std::string_view baseFolder) override;
  std::optional<std::vector<std::string>> editFilters(
      const std::vector<std::string>& lines) override;
  void showUsage() override;
  void showAbout() override;

 private:
  Windows windows_;
};

}  // namespace clipquill
