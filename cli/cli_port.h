// The model's user, as a command line is: message boxes become lines on
// standard error, and questions are answered by the options, by the person at
// the terminal, or, with no one to ask, with Cancel.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "ui/model/main_form_model.h"

namespace clipquill::cli {

// How the questions before replacing a file are answered.
enum class Overwrite {
  Ask,      // at the terminal if there is one, else Cancel
  Replace,  // -y: OK or Yes
  Keep,     // --no-clobber: Cancel or No
};

// The save dialog's file-type index for a path: by its extension, compared
// without regard to case (".qtpl" 1, ".avs" 2, ".txt" 3, anything else 4).
int saveTypeIndexFor(std::string_view path);

// A message's text for a terminal: the CR LF pairs of the boxes' texts
// become plain line ends.
std::string terminalText(std::string_view text);

class CliPort : public FormPort {
 public:
  CliPort(std::istream& in, std::ostream& err, bool interactive, Overwrite overwrite)
      : in_(in), err_(err), interactive_(interactive), overwrite_(overwrite) {}

  // Whether an error box, or a box of the Error kind, has been shown since
  // the port was made. Any error ends the run.
  bool errorShown() const { return errorShown_; }
  // What the save dialog answers: this path, its type by its extension.
  void setSavePath(std::string path) { savePath_ = std::move(path); }

  Answer messageBox(MessageKind kind, Buttons buttons, std::string_view text) override;
  void focus(Field) override {}
  void errorBox(const Error& error) override;
  std::optional<FileChoice> openDialog(int) override { return std::nullopt; }
  std::optional<FileChoice> saveDialog(std::string_view presetName, int typeIndex) override;
  std::optional<std::vector<std::string>> filterEditor(const std::vector<std::string>&) override {
    return std::nullopt;
  }
  std::optional<std::string> pickFolder(FolderPickerFor, std::string_view,
                                        std::string_view) override {
    return std::nullopt;
  }

 private:
  bool askTerminal(std::string_view text);

  std::istream& in_;
  std::ostream& err_;
  bool interactive_;
  Overwrite overwrite_;
  bool errorShown_ = false;
  std::optional<std::string> savePath_;
};

}  // namespace clipquill::cli
