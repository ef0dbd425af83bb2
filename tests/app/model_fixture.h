// SPDX-License-Identifier: GPL-3.0-or-later
// The model's tests' fixture: a model on the real file system in a folder of
// its own, and a front end that answers from a script. Each feature's tests
// are a file of their own.
#pragma once

#include "app/main_window_model.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/utf8_path.h"
#include "persist/folder_registry.h"
#include "persist/path_rules.h"
#include "support/temp_dir.h"

namespace clipquill {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;

// Answers every question, dialog and editor from a script, and records what
// it was shown. A question with no answer left is closed (Cancel).
class ScriptedForm : public FrontEnd {
 public:
  std::deque<Answer> answers;
  std::vector<std::string> questions;
  std::vector<std::string> errors;    // box texts of the error box
  std::vector<std::string> subjects;  // and what each was about
  std::deque<std::optional<FileChoice>> openChoices, saveChoices;
  std::vector<int> openIndices, saveIndices;
  std::vector<std::string> savePresets;
  std::deque<std::optional<std::vector<std::string>>> editorReplies;
  std::vector<std::vector<std::string>> editorShown;

  Answer messageBox(MessageKind, Buttons, std::string_view text) override {
    questions.emplace_back(text);
    if (answers.empty()) return Answer::Cancel;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  std::vector<Field> focused;
  void focus(Field field) override { focused.push_back(field); }
  void errorBox(const Error& error) override {
    errors.push_back(error.boxText());
    subjects.push_back(error.subject());
  }
  std::optional<FileChoice> openDialog(int typeIndex) override {
    openIndices.push_back(typeIndex);
    return next(openChoices);
  }
  std::optional<FileChoice> saveDialog(std::string_view preset, int typeIndex) override {
    savePresets.emplace_back(preset);
    saveIndices.push_back(typeIndex);
    return next(saveChoices);
  }
  std::optional<std::vector<std::string>> filterEditor(
      const std::vector<std::string>& lines) override {
    editorShown.push_back(lines);
    return next(editorReplies);
  }
  std::deque<std::optional<std::string>> picks;
  std::vector<std::string> pickedFrom;  // "box|base" as the picker was opened
  std::optional<std::string> pickFolder(FolderPickerFor which, std::string_view box,
                                        std::string_view base) override {
    pickedFrom.push_back((which == FolderPickerFor::Clips ? "clips:" : "scripts:") +
                         std::string(box) + "|" + std::string(base));
    if (!picks.empty() && picks.front() == "fail") {
      picks.pop_front();
      throw Error::fromNumber(kErrFileNotFound);
    }
    return next(picks);
  }

 private:
  template <class T>
  static T next(std::deque<T>& queue) {
    if (queue.empty()) return T{};
    T value = queue.front();
    queue.pop_front();
    return value;
  }
};

// What the system says of a path below a folder that is not there: Windows
// tells a missing folder on the way (error 3) from a missing last name.
#if defined(_WIN32)
constexpr const char* kMissingParentMessage = "Invalid filename.";
#else
constexpr const char* kMissingParentMessage = "File not found.";
#endif

// A model on the real file system, in a folder of its own: the program
// folder "app", the home folder "home", clips in "clips", a flags store.
class Model : public ::testing::Test {
 protected:
  Model() {
    for (const char* sub : {"app", "home", "clips", "out"}) {
      std::filesystem::create_directory(pathFromUtf8(at("/") + sub));
    }
    for (const char* clip : {"b.avi", "a.avs", "c.mpg", "notes.txt"}) {
      writeFile(clips + clip, "");
    }
  }

  void start(std::vector<std::string> args = {}) {
    model.start({app + "clipquill", std::move(args), at("/home")});
  }
  std::vector<std::string> entries() const { return model.clips().entries(); }
  std::string ini(const std::string& clipLoc, const std::string& filters = "") {
    return "[Entries]\r\nClipLoc=" + clipLoc +
           "\r\nClipName=\r\nScriptName=*_new\r\nScriptDest=" + out + "\r\n" + filters;
  }

  // A path below the test's folder, written with "/", in the platform's own
  // separators.
  std::string at(std::string rel) const {
    std::replace(rel.begin(), rel.end(), '/', kNativeSeparators.primary);
    return dir.path() + rel;
  }

  TempDir dir;
  const std::string app = at("/app/");
  const std::string clips = at("/clips/");
  const std::string out = at("/out/");
  std::unique_ptr<Folders> folders = makeSystemFolders();
  std::unique_ptr<ScriptFiles> scripts = makeSystemScriptFiles();
  std::unique_ptr<PersistFiles> files = makeSystemPersistFiles();
  FolderRegistry registry{*files, at("/registry")};
  ScriptedForm user;
  MainWindowModel model{{*folders, *scripts, *files, registry, user}};
};

}  // namespace clipquill
