// SPDX-License-Identifier: GPL-3.0-or-later
// The one error type of the program. Every layer raises it; the window and the
// command line show it the same way, through boxText().
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace clipquill {

// The numbers of the error table (the Windows error numbers the messages were
// first written for).
enum ErrorNumber : int {
  kErrFileNotFound = 2,
  kErrInvalidFilename = 3,
  kErrTooManyOpenFiles = 4,
  kErrAccessDenied = 5,
  kErrReadBeyondEnd = 100,
  kErrDiskFull = 101,
  kErrInvalidNumericInput = 106,
};

class Error : public std::exception {
 public:
  // An error of the table; an unknown number reads "I/O error <number>".
  static Error fromNumber(int number);
  // A failed system call: errno mapped onto the table, the unmapped ones shown
  // as "I/O error <errno>".
  static Error fromErrno(int err);
  // A failed Windows call: its error code mapped onto the table as errno is,
  // the unmapped ones shown as "I/O error <code>" (a file another program
  // holds open is "I/O error 32"). Pure, so any platform can test it.
  static Error fromWindowsError(unsigned long code);
  // An error with a text of its own, such as "Unable to write to <path>".
  static Error withMessage(std::string message);

  // The number the message was chosen by: a table number, or the unmapped
  // system error number; 0 for an error with a text of its own.
  int number() const noexcept { return number_; }
  // The errno (on Windows: the Windows error code) the error came from, or 0
  // when it did not come from the system.
  int systemError() const noexcept { return systemError_; }
  const std::string& message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

  // The text of the error box: the message, with a "." appended when its last
  // character sorts after ".".
  std::string boxText() const;

  // What the error is about: the path or the script's name that the code
  // which met the error was working on; empty when nobody said.
  const std::string& subject() const noexcept { return subject_; }
  void setSubject(std::string subject) { subject_ = std::move(subject); }
  // boxText(), then the subject on a line of its own, so that the message a
  // user may know stays first and unchanged.
  std::string boxTextWithSubject() const;
  // One line for a status line: "subject: boxText()", or boxText() alone.
  std::string lineText() const;

 private:
  Error(int number, int systemError, std::string message)
      : number_(number), systemError_(systemError), message_(std::move(message)) {}

  int number_;
  int systemError_;
  std::string message_;
  std::string subject_;
};

// Runs work; an Error leaving it gets subject() as its subject, unless the
// code nearer to the failure named one already, or its message is a text of
// its own (which names its file itself). subject is only called on failure.
template <class Work, class Subject>
decltype(auto) aboutSubject(Subject&& subject, Work&& work) {
  try {
    return std::forward<Work>(work)();
  } catch (Error& e) {
    if (e.subject().empty() && e.number() != 0) e.setSubject(std::forward<Subject>(subject)());
    throw;
  }
}

// Throws Error::fromErrno(errno). For the call sites of failed system calls.
[[noreturn]] void throwErrno();

}  // namespace clipquill
