// SPDX-License-Identifier: GPL-3.0-or-later
// A question put to the window program: its words read back as written, and
// an answer told apart from a program that failed or never started.
#include "app/window_ask.h"

#include <gtest/gtest.h>

namespace clipquill {
namespace {

TEST(WindowAsk, WordsAndStatusesReadBack) {
  for (const MessageKind kind : {MessageKind::Warning, MessageKind::Error, MessageKind::Information,
                                 MessageKind::Confirmation})
    EXPECT_EQ(messageKindOfWord(messageKindWord(kind)), kind);
  for (const Buttons buttons :
       {Buttons::Ok, Buttons::OkCancel, Buttons::YesNo, Buttons::YesNoCancel,
        Buttons::SaveDontSaveCancel, Buttons::ReplaceAllSkip})
    EXPECT_EQ(buttonsOfWord(buttonsWord(buttons)), buttons);
  for (const Answer answer : {Answer::Ok, Answer::Cancel, Answer::Yes, Answer::No, Answer::Save,
                              Answer::DontSave, Answer::ReplaceAll, Answer::Skip})
    EXPECT_EQ(answerOfExitStatus(answerExitStatus(answer)), answer);
  // What a program ends with on its own, or a start that failed, is no answer.
  const struct {
    int status;
    std::optional<Answer> answer;
  } statuses[] = {{-1, std::nullopt}, {0, std::nullopt},  {1, std::nullopt}, {2, std::nullopt},
                  {9, std::nullopt},  {18, std::nullopt}, {10, Answer::Ok},  {17, Answer::Skip}};
  for (const auto& s : statuses)
    EXPECT_EQ(answerOfExitStatus(s.status), s.answer) << s.status;
  EXPECT_EQ(messageKindOfWord("Error"), std::nullopt);
  EXPECT_EQ(buttonsOfWord(""), std::nullopt);
}

}  // namespace
}  // namespace clipquill
