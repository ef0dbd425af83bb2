// SPDX-License-Identifier: GPL-3.0-or-later
// The template open and save dialogs, behind an interface so that the
// window's tests choose the files themselves.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/main_window_model.h"

class QWidget;

namespace clipquill {

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // Each starts in folder, unless that is empty.
  virtual std::optional<FileChoice> open(QWidget* parent, int typeIndex,
                                         const std::string& folder) = 0;
  virtual std::optional<FileChoice> save(QWidget* parent, std::string_view presetName,
                                         int typeIndex, const std::string& folder) = 0;
  // "AviSynth+ Library...": a libavisynth.so to open, starting at current.
  virtual std::optional<std::string> library(QWidget* parent, std::string_view current) = 0;
};

// The real Qt dialogs.
FileDialogs& qtFileDialogs();

}  // namespace clipquill
