// SPDX-License-Identifier: GPL-3.0-or-later
// The template open and save dialogs, behind an interface so that the
// window's tests choose the files themselves.
#pragma once

#include <optional>
#include <string_view>

#include "ui/model/main_window_model.h"

class QWidget;

namespace clipquill {

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  virtual std::optional<FileChoice> open(QWidget* parent, int typeIndex) = 0;
  virtual std::optional<FileChoice> save(QWidget* parent, std::string_view presetName,
                                         int typeIndex) = 0;
};

// The real Qt dialogs.
FileDialogs& qtFileDialogs();

}  // namespace clipquill
