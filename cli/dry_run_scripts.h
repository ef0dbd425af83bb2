// SPDX-License-Identifier: GPL-3.0-or-later
// --dry-run: scripts that are never written, each of which meets what the
// real run would meet. The file system is asked, with the real run's own
// calls, whatever the real run asks it: whether the folder opens, whether the
// name is one the file system takes, whether something is in the way, whether
// a new file may be made in the folder and whether an existing one may be
// replaced. Each answer is the real run's error, with its message and status,
// or its question.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/script_files.h"
#ifndef _WIN32
#include "core/posix_file.h"
#endif

namespace clipquill::cli {

class DryRunScripts : public ScriptFiles {
 public:
  std::vector<std::string> paths;     // in the order the run would write them
  std::vector<std::string> replaced;  // those that replace a file

  // A script this run would have written counts as there, as in the real run.
  std::unique_ptr<ScriptWriter> createNew(const std::string& path) override;
  std::unique_ptr<ScriptWriter> replace(const std::string& path) override;

 private:
  class Writer;
#ifdef _WIN32
  // 0 when the folder of path takes a new file, else the error making one
  // meets; tried once per folder.
  unsigned long newFileDenied(const std::wstring& path);

  std::wstring folder_;
  unsigned long folderDenied_ = 0;
#else
  // The folder of path, opened as the real run opens it.
  int folderFor(const std::string& path);

  posix::Fd dir_;
  std::string folder_;
#endif
  std::unordered_set<std::string> written_;
};

// What the run writes: nothing, but each script is noted as it would land.
// The same on every system.
class DryRunScripts::Writer : public ScriptWriter {
 public:
  Writer(DryRunScripts& owner, std::string path, bool replacing)
      : owner_(owner), path_(std::move(path)), replacing_(replacing) {}
  void write(std::string_view) override {}
  void commit(Landed landed) override {
    owner_.written_.insert(path_);
    owner_.paths.push_back(path_);
    if (replacing_) owner_.replaced.push_back(path_);
    landed();
  }

 private:
  DryRunScripts& owner_;
  std::string path_;
  bool replacing_;
};

}  // namespace clipquill::cli
