// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace clipquill::testing {

class TempDir {
 public:
  TempDir() : TempDir(defaultBase()) {}
  // A folder below base instead.
  explicit TempDir(const std::string& base) {
    std::string templ = base + "/clipquill-test-XXXXXX";
    if (!::mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    path_ = templ;
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ec;
    // Give back write permission taken away by a test, or removal fails.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_directory(ec)) ::chmod(it->path().c_str(), 0700);
    }
    ::chmod(path_.c_str(), 0700);
    std::filesystem::remove_all(path_, ec);
  }

  const std::string& path() const { return path_; }
  static std::string defaultBase() {
    const char* base = std::getenv("TMPDIR");
    return base && *base ? base : "/tmp";
  }
  // The folder as a field would hold it, with its trailing separator.
  std::string slash() const { return path_ + "/"; }

 private:
  std::string path_;
};

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Names in a folder, hidden ones included.
inline std::vector<std::string> listFolder(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(path)) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace clipquill::testing
