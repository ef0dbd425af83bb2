#include "core/error.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace clipquill {
namespace {

TEST(Error, MapsSystemErrorsOntoTheTable) {
  struct Case {
    int err;
    int number;
    const char* message;
  };
  const Case cases[] = {
      {ENOENT, 2, "File not found"},
      {ENOTDIR, 3, "Invalid filename"},
      {ENAMETOOLONG, 3, "Invalid filename"},
      {ELOOP, 3, "Invalid filename"},
      {EINVAL, 3, "Invalid filename"},
      {EMFILE, 4, "Too many open files"},
      {ENFILE, 4, "Too many open files"},
      {EACCES, 5, "File access denied"},
      {EPERM, 5, "File access denied"},
      {EROFS, 5, "File access denied"},
      {ETXTBSY, 5, "File access denied"},
      {EISDIR, 5, "File access denied"},
      {ENOSPC, 101, "Disk full"},
      {EDQUOT, 101, "Disk full"},
      // Unmapped numbers show the errno, even where it equals a table number.
      {EIO, EIO, "I/O error 5"},
      {EFBIG, EFBIG, "I/O error 27"},
  };
  for (const auto& c : cases) {
    const Error e = Error::fromErrno(c.err);
    EXPECT_EQ(e.message(), c.message) << c.err;
    EXPECT_EQ(e.number(), c.number) << c.err;
    EXPECT_EQ(e.systemError(), c.err);
    EXPECT_STREQ(e.what(), c.message);
  }
}

TEST(Error, TableNumbersGiveTheirMessages) {
  const std::pair<int, const char*> cases[] = {
      {2, "File not found"},          {3, "Invalid filename"},          {4, "Too many open files"},
      {5, "File access denied"},      {100, "Read beyond end of file"}, {101, "Disk full"},
      {106, "Invalid numeric input"}, {112, "I/O error 112"},           {0, "I/O error 0"},
  };
  for (const auto& [number, message] : cases) {
    EXPECT_EQ(Error::fromNumber(number).message(), message);
    EXPECT_EQ(Error::fromNumber(number).systemError(), 0);
  }
}

TEST(Error, BoxTextEndsWithAPeriodWhenTheLastCharacterSortsAfterIt) {
  const std::pair<std::string, std::string> cases[] = {
      {"File access denied", "File access denied."},
      {"I/O error 112", "I/O error 112."},
      {"Unable to write to /t/a.ini", "Unable to write to /t/a.ini."},
      {"Done.", "Done."},
      {"Really!", "Really!"},           // '!' sorts before '.'
      {"(x)", "(x)"},                   // ')' too
      {"a-", "a-"},                     // '-' is just before '.'
      {"a/", "a/."},                    // '/' just after
      {"caf\xc3\xa9", "caf\xc3\xa9."},  // a byte above 127 sorts after '.'
      {"", ""},
  };
  for (const auto& [message, box] : cases) {
    EXPECT_EQ(Error::withMessage(message).boxText(), box) << message;
  }
  EXPECT_EQ(Error::withMessage("x").number(), 0);
}

}  // namespace
}  // namespace clipquill
