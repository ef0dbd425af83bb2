// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/utf8_path.h"

namespace clipquill::testing {

class TempDir {
 public:
  TempDir() : TempDir(defaultBase()) {}
  // A folder below base instead.
  explicit TempDir(const std::string& base) {
#if defined(_WIN32)
    const std::filesystem::path folderBase =
        base.empty() ? std::filesystem::temp_directory_path() : pathFromUtf8(base);
    std::random_device random;
    for (int attempt = 0;; ++attempt) {
      const std::filesystem::path folder =
          folderBase / ("clipquill-test-" + std::to_string(random()) + std::to_string(random()));
      std::error_code ec;
      if (std::filesystem::create_directory(folder, ec)) {
        path_ = utf8Of(folder);
        break;
      }
      if (attempt >= 100) throw std::runtime_error("no temporary folder");
    }
#else
    std::string templ = base + "/clipquill-test-XXXXXX";
    if (!::mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    path_ = templ;
#endif
  }
  // TMPDIR, else the system's (on Windows, empty: its temporary folder).
  static std::string defaultBase() {
#if defined(_WIN32)
    return {};
#else
    const char* base = std::getenv("TMPDIR");
    return base && *base ? base : "/tmp";
#endif
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ec;
    const std::filesystem::path root = pathFromUtf8(path_);
    // Give back write permission taken away by a test, or removal fails.
    for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
#if defined(_WIN32)
      std::error_code ignored;
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_write,
                                   std::filesystem::perm_options::add, ignored);
#else
      if (it->is_directory(ec)) ::chmod(it->path().c_str(), 0700);
#endif
    }
#if !defined(_WIN32)
    ::chmod(path_.c_str(), 0700);
#endif
    std::filesystem::remove_all(root, ec);
  }

  const std::string& path() const {
    return path_;
  }
  // The folder as a field would hold it, with its trailing separator.
  std::string slash() const {
    return path_ + "/";
  }

 private:
  std::string path_;
};

inline std::string readFile(const std::string& path) {
  std::ifstream in(pathFromUtf8(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(pathFromUtf8(path), std::ios::binary) << bytes;
}

// Names in a folder, hidden ones included.
inline std::vector<std::string> listFolder(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(pathFromUtf8(path))) {
    names.push_back(utf8Of(e.path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace clipquill::testing
