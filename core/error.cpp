// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/error.h"

#include <cerrno>

#include "core/messages.h"

namespace clipquill {

namespace {

// errno onto the table's numbers; 0 where the table has no entry.
int tableNumberOf(int err) {
  switch (err) {
    case ENOENT:
      return kErrFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
      return kErrInvalidFilename;
    case EMFILE:
    case ENFILE:
      return kErrTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EISDIR:
      return kErrAccessDenied;
    case ENOSPC:
#if defined(EDQUOT)
    case EDQUOT:
#endif
      return kErrDiskFull;
    default:
      return 0;
  }
}

// Windows error codes onto the table's numbers, as tableNumberOf maps errno;
// 0 where the table has no entry.
int tableNumberOfWindowsError(unsigned long code) {
  switch (code) {
    case 2:  // ERROR_FILE_NOT_FOUND
      return kErrFileNotFound;
    case 3:    // ERROR_PATH_NOT_FOUND
    case 123:  // ERROR_INVALID_NAME
    case 161:  // ERROR_BAD_PATHNAME
    case 206:  // ERROR_FILENAME_EXCED_RANGE
    case 267:  // ERROR_DIRECTORY: a file where a folder was named
      return kErrInvalidFilename;
    case 4:  // ERROR_TOO_MANY_OPEN_FILES
      return kErrTooManyOpenFiles;
    case 5:   // ERROR_ACCESS_DENIED
    case 19:  // ERROR_WRITE_PROTECT
      return kErrAccessDenied;
    case 39:   // ERROR_HANDLE_DISK_FULL
    case 112:  // ERROR_DISK_FULL
      return kErrDiskFull;
    default:
      return 0;
  }
}

std::string tableMessage(int number) {
  switch (number) {
    case kErrFileNotFound:
      return std::string(msg::kFileNotFound);
    case kErrInvalidFilename:
      return std::string(msg::kInvalidFilename);
    case kErrTooManyOpenFiles:
      return std::string(msg::kTooManyOpenFiles);
    case kErrAccessDenied:
      return std::string(msg::kFileAccessDenied);
    case kErrReadBeyondEnd:
      return std::string(msg::kReadBeyondEnd);
    case kErrDiskFull:
      return std::string(msg::kDiskFull);
    case kErrInvalidNumericInput:
      return std::string(msg::kInvalidNumericInput);
    default:
      return msg::ioError(number);
  }
}

}  // namespace

Error Error::fromNumber(int number) {
  return Error(number, 0, tableMessage(number));
}

Error Error::fromErrno(int err) {
  const int number = tableNumberOf(err);
  if (number == 0) return Error(err, err, msg::ioError(err));
  return Error(number, err, tableMessage(number));
}

Error Error::fromWindowsError(unsigned long code) {
  const int systemError = static_cast<int>(code);
  const int number = tableNumberOfWindowsError(code);
  if (number == 0) return Error(systemError, systemError, msg::ioError(systemError));
  return Error(number, systemError, tableMessage(number));
}

Error Error::withMessage(std::string message) {
  return Error(0, 0, std::move(message));
}

std::string Error::boxText() const {
  std::string text = message_;
  // Compared as unsigned bytes: any letter, digit or non-ASCII byte gets the period.
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  return text;
}

std::string Error::boxTextWithSubject() const {
  std::string text = boxText();
  if (!subject_.empty()) text.append("\n").append(subject_);
  return text;
}

std::string Error::lineText() const {
  if (subject_.empty()) return boxText();
  return subject_ + ": " + boxText();
}

void throwErrno() {
  throw Error::fromErrno(errno);
}

}  // namespace clipquill
