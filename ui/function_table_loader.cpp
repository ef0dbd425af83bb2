// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/function_table_loader.h"

#include <QApplication>
#include <QPointer>
#include <optional>
#include <thread>

#include "check/function_cache.h"
#include "ui/editor_assist.h"

namespace clipquill {

FunctionTableLoader::FunctionTableLoader(EditorAssist* assist, std::string cacheFolder)
    : QObject(assist),
      assist_(assist),
      cacheFolder_(cacheFolder.empty() ? userCacheFolder() : std::move(cacheFolder)),
      generation_(std::make_shared<std::atomic<int>>(0)) {}

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
          // A plugin folder that crashed AviSynth+ is left out; the tip says which.
          self->assist_->setTable(std::move(record->functions), describeInstallation(*record),
                                  record->passedOver);
          emit self->loaded(true);
        },
        Qt::QueuedConnection);
  }).detach();
}

}  // namespace clipquill
