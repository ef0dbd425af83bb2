// SPDX-License-Identifier: GPL-3.0-or-later
// Gets the editor its function table off the window's thread: from the
// cache when it still holds (a start never waits for AviSynth+), else from
// AviSynth+ in the check's sandboxed helper. Asked at start and whenever the
// AviSynth+ the check would use may have changed (the same choice again asks
// nothing), and when the library's file or a plugin folder of the table
// changes on disk (a plugin installed while the window is open).
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "check/script_checker.h"

namespace clipquill {

class EditorAssist;

class FunctionTableLoader : public QObject {
  Q_OBJECT

 public:
  // `cacheFolder` empty: the user's (userCacheFolder).
  FunctionTableLoader(EditorAssist* assist, std::string cacheFolder = {});
  ~FunctionTableLoader() override;

  // Loads the table for `options` unless it is the choice loaded last.
  void load(const CheckerOptions& options);

 signals:
  // The table reached the editor, or why there is none.
  void loaded(bool haveTable);

 private:
  void start(const CheckerOptions& options);
  void watch(const std::string& library, const std::vector<std::string>& pluginFolders);

  EditorAssist* assist_;
  CheckerOptions options_;
  QFileSystemWatcher watcher_;
  QTimer settle_;
  std::string cacheFolder_;
  std::vector<AvisynthPlace> places_;
  std::vector<std::string> pluginFolders_;
  std::string library_;
  bool asked_ = false;
  std::shared_ptr<std::atomic<int>> generation_;
};

}  // namespace clipquill
