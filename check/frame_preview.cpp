// SPDX-License-Identifier: GPL-3.0-or-later
#include "check/frame_preview.h"

#include <filesystem>
#include <fstream>
#include <mutex>

#include "check/private_folder.h"

namespace clipquill {
namespace {

constexpr std::string_view kPrefix = "clipquill-preview-";

// A private folder for the script's text, so that no other program's file
// of that name is imported; empty when none can be made. The first preview
// of a process sweeps away those of windows that ended without removing
// theirs.
std::string makeFolder() {
  static std::once_flag swept;
  std::call_once(swept, [] { sweepStalePrivateFolders(kPrefix, FolderBase::Runtime); });
  return makePrivateFolder(kPrefix, FolderBase::Runtime);
}

}  // namespace

FramePreview::FramePreview(CheckerOptions options, Deliver deliver)
    : options_(std::move(options)), deliver_(std::move(deliver)), folder_(makeFolder()) {
  thread_ = std::thread([this] { run(); });
}

FramePreview::~FramePreview() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    // A script still rendering is not waited out.
    if (checker_ != nullptr) checker_->abort();
  }
  wake_.notify_all();
  thread_.join();
  std::error_code ec;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
}

std::uint64_t FramePreview::request(std::string text, int frame) {
  std::uint64_t number = 0;
  {
    std::lock_guard lock(mutex_);
    pending_.emplace(std::move(text), frame);
    number = ++latest_;
  }
  wake_.notify_all();
  return number;
}

std::uint64_t FramePreview::latest() const {
  std::lock_guard lock(mutex_);
  return latest_;
}

void FramePreview::run() {
  // On this thread: the helper ends with the thread that started it.
  ScriptChecker checker(options_);
  {
    std::lock_guard lock(mutex_);
    checker_ = &checker;
  }
  for (;;) {
    std::pair<std::string, int> job;
    std::uint64_t number = 0;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] { return stopping_ || pending_.has_value(); });
      if (stopping_) break;
      job = std::move(*pending_);
      pending_.reset();
      number = latest_;
    }
    Result result{number, {}, {}};
    if (folder_.empty()) {
      result.check = {CheckStatus::Failed, "no temporary folder for the preview's script", 0, 0};
    } else {
      // Written afresh each time; each import reads it anew.
      const std::string path = folder_ + "/preview.avs";
      {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << job.first;
      }
      result.check = checker.render(path, job.second);
    }
    result.avisynth = checker.used();
    if (!checker.passedOver().empty()) result.avisynth += "\n" + checker.passedOver();
    {
      std::lock_guard lock(mutex_);
      if (stopping_) break;
      if (number != latest_) continue;  // overtaken while it rendered
    }
    deliver_(std::move(result));
  }
  std::lock_guard lock(mutex_);
  checker_ = nullptr;
}

}  // namespace clipquill
