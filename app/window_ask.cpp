// SPDX-License-Identifier: GPL-3.0-or-later
// The words and exit statuses of a question put to the window program.
#include "app/window_ask.h"

#include <array>
#include <utility>

namespace clipquill {

namespace {

constexpr std::array<std::pair<MessageKind, std::string_view>, 4> kKinds{{
    {MessageKind::Warning, "warning"},
    {MessageKind::Error, "error"},
    {MessageKind::Information, "information"},
    {MessageKind::Confirmation, "confirmation"},
}};

constexpr std::array<std::pair<Buttons, std::string_view>, 6> kButtons{{
    {Buttons::Ok, "ok"},
    {Buttons::OkCancel, "ok-cancel"},
    {Buttons::YesNo, "yes-no"},
    {Buttons::YesNoCancel, "yes-no-cancel"},
    {Buttons::SaveDontSaveCancel, "save-dontsave-cancel"},
    {Buttons::ReplaceAllSkip, "replaceall-skip"},
}};

constexpr int kFirstAnswerStatus = 10;
constexpr int kAnswerCount = static_cast<int>(Answer::Skip) + 1;

template <class T, std::size_t N>
std::string_view wordOf(const std::array<std::pair<T, std::string_view>, N>& table, T value) {
  for (const auto& [v, word] : table)
    if (v == value) return word;
  return {};
}

template <class T, std::size_t N>
std::optional<T> valueOf(const std::array<std::pair<T, std::string_view>, N>& table,
                         std::string_view word) {
  for (const auto& [v, w] : table)
    if (w == word) return v;
  return std::nullopt;
}

}  // namespace

std::string_view messageKindWord(MessageKind kind) {
  return wordOf(kKinds, kind);
}
std::optional<MessageKind> messageKindOfWord(std::string_view word) {
  return valueOf(kKinds, word);
}
std::string_view buttonsWord(Buttons buttons) {
  return wordOf(kButtons, buttons);
}
std::optional<Buttons> buttonsOfWord(std::string_view word) {
  return valueOf(kButtons, word);
}

int answerExitStatus(Answer answer) {
  return kFirstAnswerStatus + static_cast<int>(answer);
}

std::optional<Answer> answerOfExitStatus(int status) {
  if (status < kFirstAnswerStatus || status >= kFirstAnswerStatus + kAnswerCount)
    return std::nullopt;
  return static_cast<Answer>(status - kFirstAnswerStatus);
}

}  // namespace clipquill
