// SPDX-License-Identifier: GPL-3.0-or-later
// Files held in memory, for the persistence tests, with faults to inject.
#pragma once

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/error.h"
#include "persist/persist_files.h"

namespace clipquill::testing {

class FakePersistFiles : public PersistFiles {
 public:
  std::map<std::string, std::string> files;  // path -> bytes
  std::set<std::string> folders;
  std::map<std::string, int> readFaults;   // path -> errno its read raises
  std::map<std::string, int> writeFaults;  // path -> errno its write raises
  std::set<std::string> undeletable;
  int writes = 0;  // successful writes, of any file

  std::optional<std::string> read(const std::string& path) override {
    if (const auto fault = readFaults.find(path); fault != readFaults.end()) {
      throw Error::fromErrno(fault->second);
    }
    if (folders.count(path)) throw Error::fromErrno(EISDIR);
    const auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second;
  }

  bool isFile(const std::string& path) override { return files.count(path) != 0; }
  // A folder made, or one that something stands in.
  bool isFolder(const std::string& path) override {
    if (folders.count(path)) return true;
    const std::string prefix = path.ends_with('/') ? path : path + "/";
    const auto below = [&](const std::string& entry) { return entry.starts_with(prefix); };
    return std::any_of(files.begin(), files.end(), [&](const auto& f) { return below(f.first); }) ||
           std::any_of(folders.begin(), folders.end(), below);
  }

  void writeWith(const std::string& path, const std::function<void(Sink&)>& produce) override {
    if (const auto fault = writeFaults.find(path); fault != writeFaults.end()) {
      throw Error::fromErrno(fault->second);
    }
    if (folders.count(path)) throw Error::fromErrno(EISDIR);
    struct StringSink : Sink {
      std::string bytes;
      void put(std::string_view more) override { bytes += more; }
    } sink;
    produce(sink);
    files[path] = std::move(sink.bytes);
    ++writes;
  }

  bool remove(const std::string& path) override {
    return !undeletable.count(path) && files.erase(path) != 0;
  }

  void makeFolder(const std::string& path) override {
    if (files.count(path)) throw Error::fromErrno(EEXIST);
    if (const auto fault = writeFaults.find(path); fault != writeFaults.end()) {
      throw Error::fromErrno(fault->second);
    }
    folders.insert(path);
  }

  bool canWrite(const std::string& path) override {
    return folders.count(path) && !writeFaults.count(path);
  }

  std::vector<std::string> names(const std::string& path) override {
    std::set<std::string> found;
    const std::string prefix = path + "/";
    const auto collect = [&](const std::string& entry) {
      if (entry.compare(0, prefix.size(), prefix) != 0) return;
      const std::string rest = entry.substr(prefix.size());
      found.insert(rest.substr(0, rest.find('/')));
    };
    for (const auto& [file, bytes] : files)
      collect(file);
    for (const std::string& folder : folders)
      collect(folder);
    return {found.begin(), found.end()};
  }
};

}  // namespace clipquill::testing
