// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs.h"

#include "ui/about_box.h"
#include "ui/filter_editor_dialog.h"
#include "ui/usage_dialog.h"

namespace clipquill {

std::optional<std::string> Dialogs::pickFolder(FolderPickerFor which, std::string_view boxText,
                                               std::string_view baseFolder) {
  if (!windows_.pickFolder) return std::nullopt;
  return windows_.pickFolder(which, boxText, baseFolder);
}

std::optional<std::vector<std::string>> Dialogs::editFilters(
    const std::vector<std::string>& lines) {
  if (!windows_.filterEditor) return std::nullopt;
  return windows_.filterEditor->edit(lines);
}

void Dialogs::showUsage() {
  if (windows_.usage) windows_.usage->showUsage();
}

void Dialogs::showAbout() {
  if (windows_.about) windows_.about->showModal();
}

}  // namespace clipquill
