// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/error.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace clipquill {
namespace {

TEST(Error, MapsSystemErrorsOntoTheTable) {
  const std::pair<int, const char*> cases[] = {
    {ENOENT, "File not found"},
    {ENAMETOOLONG, "Invalid filename"},
    {EMFILE, "Too many open files"},
    {EROFS, "File access denied"},
#if defined(EDQUOT)
    {EDQUOT, "Disk full"},
#endif
    {EIO, "I/O error 5"},  // unmapped: the errno, even where it equals a table number
  };
  for (const auto& [err, message] : cases) {
    EXPECT_EQ(Error::fromErrno(err).message(), message) << err;
    EXPECT_EQ(Error::fromErrno(err).systemError(), err);
  }
  EXPECT_EQ(Error::fromNumber(112).message(), "I/O error 112");
  EXPECT_EQ(Error::fromNumber(100).message(), "Read beyond end of file");
}

TEST(Error, MapsWindowsErrorsOntoTheTable) {
  const std::pair<unsigned long, const char*> cases[] = {
      {2, "File not found"},      {3, "Invalid filename"},  // the path's folder is missing
      {4, "Too many open files"}, {5, "File access denied"},
      {19, "File access denied"},  // a write-protected medium
      {32, "I/O error 32"},        // another program holds the file open
      {33, "I/O error 33"},       {39, "Disk full"},
      {112, "Disk full"},         {123, "Invalid filename"},
      {161, "Invalid filename"},  {206, "Invalid filename"},
      {267, "Invalid filename"},  // a file where a folder was named
      {1392, "I/O error 1392"},
  };
  for (const auto& [code, message] : cases) {
    const Error error = Error::fromWindowsError(code);
    EXPECT_EQ(error.message(), message) << code;
    EXPECT_EQ(error.systemError(), static_cast<int>(code));
  }
}

TEST(Error, BoxTextEndsWithAPeriodWhenTheLastCharacterSortsAfterIt) {
  const std::pair<std::string, std::string> cases[] = {
      {"File access denied", "File access denied."},
      {"I/O error 112", "I/O error 112."},
      {"Done.", "Done."},
      {"a-", "a-"},                     // '-' sorts just before '.'
      {"a/", "a/."},                    // '/' just after
      {"caf\xc3\xa9", "caf\xc3\xa9."},  // bytes above 127 sort after '.'
      {"", ""},
  };
  for (const auto& [message, box] : cases) {
    EXPECT_EQ(Error::withMessage(message).boxText(), box) << message;
  }
}

// The innermost code that knows the subject names it; a text of its own
// keeps its own wording; the message stays the first line either way.
TEST(Error, TheSubjectIsNamedOnceByTheCodeNearestTheFailure) {
  struct Case {
    Error error;
    std::string box, line;
  } cases[] = {
      {Error::fromNumber(kErrFileNotFound), "File not found.\n/in", "/in: File not found."},
      {Error::withMessage("Unable to write to /x.ini"), "Unable to write to /x.ini.",
       "Unable to write to /x.ini."},
  };
  for (Case& c : cases) {
    int asked = 0;
    try {
      aboutSubject(
          [&] { return ++asked, std::string("/out"); },
          [&] { aboutSubject([] { return std::string("/in"); }, [&] { throw c.error; }); });
    } catch (const Error& e) {
      EXPECT_EQ(e.boxTextWithSubject(), c.box);
      EXPECT_EQ(e.lineText(), c.line);
    }
    EXPECT_EQ(asked, 0);  // the outer subject was never needed
  }
  EXPECT_EQ(aboutSubject([] { return std::string("unused"); }, [] { return 7; }), 7);
}

}  // namespace
}  // namespace clipquill
