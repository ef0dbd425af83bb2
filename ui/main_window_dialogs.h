// SPDX-License-Identifier: GPL-3.0-or-later
// The dialogs the main window opens, each reached through one seam. Start-up
// creates the main window before its dialogs, so they are plugged in after
// it exists; the window's tests plug in stand-ins that answer at once.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/model/main_window_model.h"

namespace clipquill {

class MainWindowDialogs {
 public:
  virtual ~MainWindowDialogs() = default;
  // The folder picker, as FormPort::pickFolder promises: the folder shown
  // when closed with OK, nothing on Cancel; raises Error, without opening,
  // when boxText names a folder that cannot be entered.
  virtual std::optional<std::string> pickFolder(FolderPickerFor which, std::string_view boxText,
                                                std::string_view baseFolder) = 0;
  // The filter list editor, shown modally with lines: its lines on OK,
  // nothing when closed by its close box.
  virtual std::optional<std::vector<std::string>> editFilters(
      const std::vector<std::string>& lines) = 0;
  // "&Using": the usage window, not modal; a second call brings it forward.
  virtual void showUsage() = 0;
  // "&About": the about box, modal.
  virtual void showAbout() = 0;
};

}  // namespace clipquill
