// SPDX-License-Identifier: GPL-3.0-or-later
// How the windowless batch asks the window program a question: the box's
// kind and buttons as words on its command line, the answer as its exit
// status. The batch itself stays free of the toolkit (and fast to start);
// the window program is started only when something needs an answer.
#pragma once

#include <optional>
#include <string_view>

#include "core/user_port.h"

namespace clipquill {

std::string_view messageKindWord(MessageKind kind);
std::optional<MessageKind> messageKindOfWord(std::string_view word);
std::string_view buttonsWord(Buttons buttons);
std::optional<Buttons> buttonsOfWord(std::string_view word);

// The exit status that carries an answer, above those a program ends with
// on its own (0 to 2), so that a failure to start is never read as one.
int answerExitStatus(Answer answer);
std::optional<Answer> answerOfExitStatus(int status);

}  // namespace clipquill
