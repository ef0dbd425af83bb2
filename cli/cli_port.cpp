// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_port.h"

#include <array>
#include <cctype>
#include <istream>
#include <ostream>

namespace clipquill::cli {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::string_view trimmed(std::string_view text) {
  const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!text.empty() && blank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && blank(text.back()))
    text.remove_suffix(1);
  return text;
}

}  // namespace

int saveTypeIndexFor(std::string_view path) {
  const std::string_view name = path.substr(path.find_last_of('/') + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos) return 4;
  const std::string_view ext = name.substr(dot);
  constexpr std::array<std::string_view, 3> kKnown{".qtpl", ".avs", ".txt"};
  for (std::size_t i = 0; i < kKnown.size(); ++i) {
    if (equalsIgnoringCase(ext, kKnown[i])) return static_cast<int>(i) + 1;
  }
  return 4;
}

std::optional<int> saveTypeIndexNamed(std::string_view name) {
  constexpr std::array<std::string_view, 4> kNames{"qtpl", "avs", "txt", "all"};
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (name == kNames[i]) return static_cast<int>(i) + 1;
  }
  return std::nullopt;
}

void ProgressLine::report(std::string_view what, std::size_t done, std::size_t total) {
  if (!enabled_) return;
  const Clock::time_point now = Clock::now();
  // A tenth of a second between updates is as fast as anyone reads.
  if (now - start_ < after_ || now - last_ < std::chrono::milliseconds(100)) return;
  last_ = now;
  err_ << "\rclipquill-cli: " << done;
  if (total != 0) err_ << " of " << total;
  err_ << ' ' << what << "\x1B[K" << std::flush;
  shown_ = true;
}

void ProgressLine::clear() {
  if (!shown_) return;
  err_ << "\r\x1B[K" << std::flush;
  shown_ = false;
}

std::string terminalText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

bool CliPort::proceed(std::size_t written, std::size_t total) {
  progress_.report("scripts written", written, total);
  return true;
}

Answer CliPort::messageBox(MessageKind kind, Buttons buttons, std::string_view text) {
  progress_.clear();
  if (buttons == Buttons::Ok && kind == MessageKind::Error) errors_.emplace_back(text);
  // A question the options answer already is not put to the window.
  if (windowAsk_ && (buttons == Buttons::Ok ? kind == MessageKind::Error
                                            : overwrite_ == Overwrite::Ask && !dryRun_)) {
    if (const std::optional<Answer> answer = windowAsk_(kind, buttons, text)) {
      err_ << "clipquill-cli: " << terminalText(text) << '\n';
      if (buttons == Buttons::Ok) errorShown_ = true;
      return *answer;
    }
  }
  if (buttons == Buttons::Ok) {
    err_ << "clipquill-cli: " << terminalText(text) << '\n';
    // A refusal such as the missing destination ends the run as an error
    // does; a warning is only reported.
    if (kind == MessageKind::Error) errorShown_ = true;
    return Answer::Ok;
  }
  const bool yesNo = buttons == Buttons::YesNo;
  const Answer accept = buttons == Buttons::OkCancel || buttons == Buttons::ReplaceAllSkip
                            ? Answer::Ok
                            : (buttons == Buttons::SaveDontSaveCancel ? Answer::Save : Answer::Yes);
  const Answer decline = yesNo ? Answer::No : Answer::Cancel;
  switch (overwrite_) {
    case Overwrite::Replace:
      return accept;
    case Overwrite::Keep:
      err_ << terminalText(text) << "\nclipquill-cli: answered Cancel (--no-clobber).\n";
      return decline;
    case Overwrite::Skip:
      // Skip keeps the file and goes on; a question that has no Skip (a
      // template's or a settings file's) keeps it too.
      return buttons == Buttons::OkCancel || buttons == Buttons::ReplaceAllSkip ? Answer::Skip
                                                                                : decline;
    case Overwrite::Ask:
      break;
  }
  if (interactive_ && dryRun_) {
    asked_ = true;
    return accept;
  }
  if (interactive_) return askTerminal(text) ? accept : decline;
  // Never replace anything behind the back of a script or a pipe.
  err_ << terminalText(text)
       << "\nclipquill-cli: answered Cancel, as there is no terminal to ask; -y answers OK.\n";
  return decline;
}

bool CliPort::askTerminal(std::string_view text) {
  err_ << terminalText(text) << " [y/N] " << std::flush;
  std::string line;
  if (!std::getline(in_, line)) {
    // End of input is a No; end the prompt's line so later output is clear.
    err_ << '\n';
    return false;
  }
  const std::string_view answer = trimmed(line);
  return equalsIgnoringCase(answer, "y") || equalsIgnoringCase(answer, "yes");
}

void CliPort::errorBox(const Error& error) {
  progress_.clear();
  std::string text;
  // An error with a text of its own names its file already.
  if (subject_ && error.number() != 0) {
    if (const std::string subject = subject_(); !subject.empty()) text = subject + ": ";
  }
  text += error.boxText();
  err_ << "clipquill-cli: " << terminalText(text) << '\n';
  errors_.push_back(text);
  if (windowAsk_) windowAsk_(MessageKind::Error, Buttons::Ok, text);
  errorShown_ = true;
}

}  // namespace clipquill::cli
