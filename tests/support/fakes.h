// SPDX-License-Identifier: GPL-3.0-or-later
// Stand-ins for the platform that the tests drive the program through.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/generator.h"
#include "core/script_files.h"
#include "core/user_port.h"

namespace clipquill::testing {

// Lines as a run reads them: in one buffer, each followed by "\n".
inline std::string templateBuffer(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines)
    text.append(line).append(1, '\n');
  return text;
}

// Answers message boxes from a script of answers (Cancel once it runs out)
// and records every box and focus request.
class ScriptedUser : public UserPort {
 public:
  struct Box {
    MessageKind kind;
    Buttons buttons;
    std::string text;
  };

  std::deque<Answer> answers;
  std::vector<Box> boxes;

  Answer messageBox(MessageKind kind, Buttons buttons, std::string_view text) override {
    boxes.push_back({kind, buttons, std::string(text)});
    if (answers.empty()) return Answer::Cancel;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }
};

class VectorList : public CreatedScriptsList {
 public:
  std::vector<std::string> lines;
  void clear() override { lines.clear(); }
  void append(std::string_view line) override { lines.emplace_back(line); }
};

// An in-memory folder tree of scripts, with faults to inject. A script appears
// in `files` only when its writer commits, as with the real file system.
class FakeScriptFiles : public ScriptFiles {
 public:
  enum class Stage { Create, Write, Commit };
  struct Fault {
    std::string path;  // the script it strikes
    Stage stage;
    int err;                     // the errno it raises
    std::size_t afterBytes = 0;  // Write: bytes accepted before it strikes
  };

  std::map<std::string, std::string> files;
  std::vector<std::string> replaced;  // paths given to replace(), in order
  std::optional<Fault> fault;

  std::unique_ptr<ScriptWriter> createNew(const std::string& path) override {
    if (files.contains(path)) return nullptr;
    return open(path);
  }
  std::unique_ptr<ScriptWriter> replace(const std::string& path) override {
    replaced.push_back(path);
    return open(path);
  }

 private:
  std::unique_ptr<ScriptWriter> open(const std::string& path) {
    if (strikes(path, Stage::Create)) throw Error::fromErrno(fault->err);
    return std::make_unique<Writer>(*this, path);
  }
  bool strikes(const std::string& path, Stage stage) const {
    return fault && fault->path == path && fault->stage == stage;
  }

  class Writer : public ScriptWriter {
   public:
    Writer(FakeScriptFiles& owner, std::string path) : owner_(owner), path_(std::move(path)) {}
    void write(std::string_view bytes) override {
      if (owner_.strikes(path_, Stage::Write) &&
          bytes_.size() + bytes.size() > owner_.fault->afterBytes) {
        throw Error::fromErrno(owner_.fault->err);
      }
      bytes_.append(bytes);
    }
    void commit(Landed landed) override {
      if (owner_.strikes(path_, Stage::Commit)) throw Error::fromErrno(owner_.fault->err);
      owner_.files[path_] = bytes_;
      landed();
    }

   private:
    FakeScriptFiles& owner_;
    std::string path_;
    std::string bytes_;
  };
};

}  // namespace clipquill::testing
