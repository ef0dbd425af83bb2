// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/function_table_loader.h"

#include <QApplication>
#include <QPointer>
#include <optional>
#include <thread>

#include "check/function_cache.h"
#include "ui/editor_assist.h"

namespace clipquill {
namespace {

constexpr int kSettleMs = 1000;

}  // namespace

FunctionTableLoader::FunctionTableLoader(EditorAssist* assist, std::string cacheFolder)
    : QObject(assist),
      assist_(assist),
      cacheFolder_(cacheFolder.empty() ? userCacheFolder() : std::move(cacheFolder)),
      generation_(std::make_shared<std::atomic<int>>(0)) {
  // A changed file or folder: the cache's key tells whether the table
  // changed with it, and AviSynth+ is asked only when it did.
  // A plugin being copied changes its folder many times: once it settles.
  settle_.setSingleShot(true);
  settle_.setInterval(kSettleMs);
  connect(&settle_, &QTimer::timeout, this, [this] { start(options_); });
  const auto changed = [this] { settle_.start(); };
  connect(&watcher_, &QFileSystemWatcher::fileChanged, this, changed);
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, changed);
}

FunctionTableLoader::~FunctionTableLoader() {
  ++*generation_;
}

void FunctionTableLoader::load(const CheckerOptions& options) {
  if (asked_ && options.places == places_ && options.pluginFolders == pluginFolders_ &&
      options.library == library_)
    return;
  asked_ = true;
  places_ = options.places;
  pluginFolders_ = options.pluginFolders;
  library_ = options.library;
  start(options);
}

void FunctionTableLoader::watch(const std::string& library,
                                const std::vector<std::string>& pluginFolders) {
  if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
  if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
  QStringList paths;
  if (!library.empty()) paths << QString::fromStdString(library);
  for (const std::string& folder : pluginFolders)
    paths << QString::fromStdString(folder);
  if (!paths.isEmpty()) watcher_.addPaths(paths);
}

void FunctionTableLoader::start(const CheckerOptions& options) {
  options_ = options;
  const int generation = ++*generation_;
  QPointer<FunctionTableLoader> self(this);
  std::thread([self, options, folder = cacheFolder_, generation, counter = generation_] {
    std::string why;
    std::optional<FunctionTableRecord> record = loadFunctionTable(options, folder, &why);
    QMetaObject::invokeMethod(
        qApp,
        [self, record = std::move(record), why, generation, counter]() mutable {
          if (!self || *counter != generation) return;
          if (!record) {
            self->assist_->setNoTable(QString::fromStdString(why));
            emit self->loaded(false);
            return;
          }
          self->watch(record->library, record->pluginFolders);
          // A plugin folder that crashed AviSynth+ is left out; the tip says which.
          self->assist_->setTable(std::move(record->functions), describeInstallation(*record),
                                  record->passedOver);
          emit self->loaded(true);
        },
        Qt::QueuedConnection);
  }).detach();
}

}  // namespace clipquill
