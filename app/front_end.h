// SPDX-License-Identifier: GPL-3.0-or-later
// What the model asks of its front end and tells it: the person's answers and
// dialogs (FrontEnd), what changed on screen (Shown), and the template
// editor's lines. The window, the command line and the tests each answer it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/error.h"
#include "core/generator.h"
#include "core/template_text.h"
#include "core/user_port.h"

namespace clipquill {

// The main window's four text fields.
enum class Field { Source, ClipName, ScriptName, Destination };

// What the model tells its front end after changing something the window
// shows, so that the widget can follow. The model never learns of widgets.
enum class Shown {
  Field,           // one of the four text fields (see the Field argument)
  Template,        // the template editor's lines
  Filters,         // the filter list's entries or check marks
  Clips,           // the clip list's entries, selection or focus
  ClipSelection,   // the clip list's selection alone
  CreatedScripts,  // the created-scripts list
  OptionFlags,     // the two check marks of the Options menu
  Modified,        // the unsaved-changes mark
  // The list of recent templates.
  RecentTemplates,
  // Which keys run which command.
  KeyScheme,
  SourceProblem,  // the folder error of the source field's text came or went
};

// A file chosen in the open or save dialog, with the dialog's file-type index
// (from 1) at the moment it was chosen.
struct FileChoice {
  std::string path;
  int typeIndex = 1;
};

// Which box the folder picker was opened for: "Clips Folder" fills the
// source box, "Script Folder" the destination box (and offers "New Folder").
enum class FolderPickerFor { Clips, Scripts };

// Everything the model asks of the person in front of it: message boxes
// (UserPort), the keyboard focus, the error box, the two template dialogs, the filter list
// editor, the folder picker, and the progress of a long run (RunProgress).
// The window, the command line and the tests each supply one.
class FrontEnd : public UserPort, public RunProgress {
 public:
  // The application's error box: captioned with the application title, with
  // the error icon, an OK button and error.boxTextWithSubject().
  virtual void errorBox(const Error& error) = 0;
  // The keyboard focus to a field, after a box that asked the user to fill
  // it in.
  virtual void focus(Field field) = 0;
  // The dialogs below open only on the user's own commands. A front end
  // without them (the command line calls the model directly) answers each
  // as if it were cancelled.

  // The open dialog, starting on typeIndex; nothing when cancelled.
  virtual std::optional<FileChoice> openDialog(int /*typeIndex*/) { return std::nullopt; }
  // The save dialog, its file name preset to presetName unless that is
  // empty, starting on typeIndex; nothing when cancelled.
  virtual std::optional<FileChoice> saveDialog(std::string_view /*presetName*/, int /*typeIndex*/) {
    return std::nullopt;
  }
  // The filter list editor, its text box filled with lines: the lines of its
  // text box when closed with OK, nothing when closed by its close box.
  virtual std::optional<std::vector<std::string>> filterEditor(
      const std::vector<std::string>& /*lines*/) {
    return std::nullopt;
  }
  // The folder picker, opened on the folder that boxText names (a relative
  // path is read against baseFolder; an empty box opens on the home folder).
  // The folder shown when closed with OK, nothing on Cancel. Raises Error,
  // without opening, when the box names a folder that cannot be entered.
  virtual std::optional<std::string> pickFolder(FolderPickerFor /*which*/,
                                                std::string_view /*boxText*/,
                                                std::string_view /*baseFolder*/) {
    return std::nullopt;
  }
  // Before each script of a run; false stops the run there. A port with no
  // way to stop lets every run go on.
  bool proceed(std::size_t /*written*/, std::size_t /*total*/) override { return true; }
  // After the model changed what a widget shows. field is only meaningful
  // for Shown::Field.
  virtual void shown(Shown /*what*/, Field /*field*/ = Field::Source) {}
};

// The template editor, read back only when the model needs its lines: while
// the user types, the editor holds the text and the model only marks it, so
// that a keystroke costs the same in a template of any size.
class TemplateSource {
 public:
  virtual ~TemplateSource() = default;
  virtual TemplateText templateText() = 0;
  // Lines first to first + count - 1 (fewer at the end), for a reader that
  // needs only those; by default cut from all of them.
  virtual TemplateText templateTextAt(std::size_t first, std::size_t count);
};

}  // namespace clipquill
