// The file system as the script generator needs it.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace clipquill {

// A script being written. Nothing is visible under the script's name until
// commit() returns; a writer destroyed without a successful commit() leaves
// no trace: a new script is removed, a replaced one stays as it was.
class ScriptWriter {
 public:
  virtual ~ScriptWriter() = default;
  // Raises Error on failure.
  virtual void write(std::string_view bytes) = 0;
  virtual void commit() = 0;
};

enum class CreateMode {
  New,      // no file is expected at the path; one that appears meanwhile is not clobbered
  Replace,  // the user agreed to replace the file at the path
};

class ScriptFiles {
 public:
  virtual ~ScriptFiles() = default;
  // Whether a file (not a folder) exists at path.
  virtual bool exists(const std::string& path) = 0;
  // Raises Error when the script cannot be created.
  virtual std::unique_ptr<ScriptWriter> create(const std::string& path, CreateMode mode) = 0;
};

// The real file system of this platform.
std::unique_ptr<ScriptFiles> makeSystemScriptFiles();

}  // namespace clipquill
