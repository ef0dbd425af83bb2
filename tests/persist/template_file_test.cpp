// SPDX-License-Identifier: GPL-3.0-or-later
// Template files: the writing rule and the trip through the files layer.
#include "persist/template_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "core/error.h"
#include "support/fake_persist_files.h"

namespace clipquill {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

TEST(TemplateFileTest, WritesEveryLineWithCrLf) {
  const struct {
    Lines lines;
    std::string bytes;
  } cases[] = {
      {{}, ""},
      {{""}, "\r\n"},
      {{"abc"}, "abc\r\n"},
      {{"a", "", "b"}, "a\r\n\r\nb\r\n"},
      {{"a\0\xff"s}, "a\0\xff\r\n"s},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(serializeTemplate(c.lines), c.bytes);
    EXPECT_EQ(parseTemplate(c.bytes), c.lines);
  }
}

TEST(TemplateFileTest, ReadsAndWritesThroughTheFiles) {
  testing::FakePersistFiles files;
  EXPECT_EQ(readTemplate(files, "/t/missing.qtpl"), std::nullopt);

  // A file without a final line end comes back with one.
  files.files["/t/a.qtpl"] = "abc";
  const auto read = readTemplate(files, "/t/a.qtpl");
  ASSERT_TRUE(read.has_value());
  writeTemplate(files, "/t/a.qtpl", *read);
  EXPECT_EQ(files.files["/t/a.qtpl"], "abc\r\n");

  // Bytes in no encoding, NULs and a 20 MB line survive the trip whole.
  const std::string big(20u << 20, 'v');
  const std::string bytes = "Avi\0Source(\"caf\xe9.avi\")\r\n"s + big + "\r\n\xff\xfe\x01\r\n";
  files.files["/t/b.qtpl"] = bytes;
  const auto lines = readTemplate(files, "/t/b.qtpl");
  ASSERT_TRUE(lines.has_value());
  ASSERT_EQ(lines->size(), 3u);
  EXPECT_EQ((*lines)[1].size(), big.size());
  writeTemplate(files, "/t/c.qtpl", *lines);
  EXPECT_TRUE(files.files["/t/c.qtpl"] == bytes);  // not printed: 20 MB

  writeTemplate(files, "/t/empty.qtpl", {});
  EXPECT_EQ(files.files["/t/empty.qtpl"], "");
  EXPECT_EQ(readTemplate(files, "/t/empty.qtpl"), Lines{});
}

TEST(TemplateFileTest, FailuresRaiseAndKeepTheOldFile) {
  testing::FakePersistFiles files;
  files.files["/t/a.qtpl"] = "old\r\n";
  files.writeFaults["/t/a.qtpl"] = ENOSPC;
  try {
    writeTemplate(files, "/t/a.qtpl", {"new"});
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.message(), "Disk full");
  }
  EXPECT_EQ(files.files["/t/a.qtpl"], "old\r\n");
  EXPECT_EQ(files.writes, 0);

  files.readFaults["/t/a.qtpl"] = EACCES;
  try {
    readTemplate(files, "/t/a.qtpl");
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.message(), "File access denied");
  }
}

// The template held in one buffer: the lines it is made from come back, a
// line holding a line end comes back as two, and the file written from it is
// the one the lines give, also past the writer's piece size.
TEST(TemplateFileTest, OneBufferKeepsTheLinesAndWritesThemAsLines) {
  const std::string longLine(300 * 1024, 'x');
  const struct {
    Lines given;
    Lines back;
  } cases[] = {
      {{}, {}},
      {{""}, {""}},
      {{"a", "", "b"}, {"a", "", "b"}},
      {{"a\nb"}, {"a", "b"}},
      {{longLine, "", longLine + "y"}, {longLine, "", longLine + "y"}},
  };
  for (const auto& c : cases) {
    const TemplateText text(c.given);
    EXPECT_EQ(Lines(text.lines().begin(), text.lines().end()), c.back);
    EXPECT_EQ(text.lineCount(), c.back.size());
    testing::FakePersistFiles files;
    writeTemplateText(files, "/t/a.qtpl", text);
    EXPECT_EQ(files.files["/t/a.qtpl"], serializeTemplate(c.back));
    EXPECT_EQ(readTemplateText(files, "/t/a.qtpl"), text);
  }
}

}  // namespace
}  // namespace clipquill
