// SPDX-License-Identifier: GPL-3.0-or-later
// What the program asks of the person in front of it: message boxes. The
// window, the command line and the tests each supply one.
#pragma once

#include <string_view>

namespace clipquill {

// The four kinds of message box, each with its standard caption.
enum class MessageKind { Warning, Error, Information, Confirmation };
// SaveDontSaveCancel: "&Save", "&Don't Save", "Cancel", for work that would
// otherwise be lost. ReplaceAllSkip: "OK", "Replace &All", "S&kip", "Cancel",
// before a script of a run of several replaces a file.
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, SaveDontSaveCancel, ReplaceAllSkip };
// Closing a box by other means than a button counts as Cancel (or No).
enum class Answer { Ok, Cancel, Yes, No, Save, DontSave, ReplaceAll, Skip };

class UserPort {
 public:
  virtual ~UserPort() = default;
  virtual Answer messageBox(MessageKind kind, Buttons buttons, std::string_view text) = 0;
};

}  // namespace clipquill
