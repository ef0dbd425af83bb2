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

class ScriptFiles {
 public:
  virtual ~ScriptFiles() = default;
  // A writer for a new script at path, or nullptr, touching nothing, when a
  // file is already there (the caller asks before replacing it). Folding the
  // existence test into the create costs no extra system call per script, and
  // a file that appears after any earlier look is still never clobbered.
  // Raises Error when the script cannot be created, a folder in its way
  // included.
  virtual std::unique_ptr<ScriptWriter> createNew(const std::string& path) = 0;
  // A writer for a script that replaces the file at path once committed.
  virtual std::unique_ptr<ScriptWriter> replace(const std::string& path) = 0;
};

// The real file system of this platform.
std::unique_ptr<ScriptFiles> makeSystemScriptFiles();

}  // namespace clipquill
