// SPDX-License-Identifier: GPL-3.0-or-later
// The file system as the script generator needs it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace clipquill {

// A script being written. Nothing is visible under the script's name until
// it lands; a writer destroyed without a successful commit() leaves no trace:
// a new script is never seen, a replaced one stays as it was.
class ScriptWriter {
 public:
  using Landed = std::function<void()>;

  virtual ~ScriptWriter() = default;
  // Raises Error on failure.
  virtual void write(std::string_view bytes) = 0;
  // Finishes the script. It may be held back so that one sync serves many
  // scripts; landed is called once it stands under its name: here, or at a
  // later commit or settle() of its ScriptFiles, always in commit order.
  // Raises Error when the script (or one held back before it) cannot land.
  virtual void commit(Landed landed) = 0;
};

// Raised by a landing whose name another program took in the meantime, when
// the question about it was declined; see ScriptFiles::onTaken.
struct ScriptDeclined {};

class ScriptFiles {
 public:
  virtual ~ScriptFiles() = default;

  // Asks whether a file that took a new script's name after createNew found
  // it free (another run, another program) may be replaced. Yes: the script
  // replaces it as replace() would, with the same refusals. No: the script
  // and those after it are dropped, as when one cannot land, and the landing
  // raises ScriptDeclined instead of Error. Without a question, the answer
  // is no: nothing is replaced unasked.
  using TakenQuestion = std::function<bool(const std::string& path)>;
  void onTaken(TakenQuestion ask) { askTaken_ = std::move(ask); }

  // A writer for a new script at path, or nullptr, touching nothing, when a
  // file is already there, or a dangling link, or a script committed but
  // held back (the caller asks before replacing it). Raises Error when the
  // script cannot be created: a folder in its way, anything else that is no
  // file, a folder that refuses it.
  virtual std::unique_ptr<ScriptWriter> createNew(const std::string& path) = 0;
  // A writer for a script that replaces the file at path once it lands (a
  // link is replaced itself). Raises Error when the user may not write the
  // file there.
  virtual std::unique_ptr<ScriptWriter> replace(const std::string& path) = 0;
  // Lands every script held back, in commit order, and lets go of what the
  // run held open. When one cannot land, Error is raised: those before it
  // stay, it and those after it are dropped, the files they were to replace
  // as they were. A run calls it however it ends.
  virtual void settle() {}

 protected:
  TakenQuestion askTaken_;
};

// The real file system of this platform.
std::unique_ptr<ScriptFiles> makeSystemScriptFiles();

}  // namespace clipquill
