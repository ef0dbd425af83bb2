// SPDX-License-Identifier: GPL-3.0-or-later
// Template files: the reading rule, the writing rule and the trip through the
// files layer.
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

TEST(TemplateFileTest, ReadsLinesByTheRule) {
  const struct {
    std::string bytes;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"\r\n", {""}},
      {"\n\n", {"", ""}},
      {"abc", {"abc"}},
      {"abc\r\n", {"abc"}},
      {"a\nb\r\nc\n", {"a", "b", "c"}},
      {"a\rb\r\r\n\rc\r", {"ab", "c"}},  // lone CRs vanish
      {"\r", {}},
      {"ab\x1A"s + "cd\r\nef", {"ab", "ef"}},
      {"\r\n\x1A"s + "xyz", {""}},
      {"\x1A"s + "abc\ndef", {}},
      {"ab\n\r\x1A"s + "cd\nef", {"ab"}},  // a dropped CR does not start the line
      {"ab\x1A\ncd", {"ab", "cd"}},
      {"\x1A"s, {}},
      {"ab\x1A"s + "c\x1A" + "d\nef", {"ab"}},  // a second mark while skipping
      {"ab\x1A"s + "c\r\x1A\r\n", {"ab"}},
      {"ab\x1A", {"ab"}},
      {"a\0b\n\0\n"s, {"a\0b"s, "\0"s}},
      {"caf\xe9\n\xff\xfe\x80\n", {"caf\xe9", "\xff\xfe\x80"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(parseTemplate(c.bytes), c.lines) << ::testing::PrintToString(c.bytes);
}

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

TEST(TemplateFileTest, SplitsTheEditorTextAtItsLineEnds) {
  const struct {
    std::string text;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"\n", {""}},
      {"abc\n", {"abc"}},
      {"abc", {"abc"}},
      {"a\r\nb\n\nc", {"a", "b", "", "c"}},
      {"a\r\n\r\n", {"a", ""}},
      {"a\rb", {"a\rb"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(editorLines(c.text), c.lines) << ::testing::PrintToString(c.text);
}

// The window shows a template's lines joined by line ends, none after the
// last; read back, every line comes back, the empty first, last and only
// ones included.
TEST(TemplateFileTest, TheEditorsShownLinesComeBackAsShown) {
  const Lines cases[] = {
      {},
      {""},
      {"", ""},
      {"", "a"},
      {"a", ""},
      {"", "a", ""},
      {"A <F> \xe9t\xe9", ""},
      {"a", "", "b"},
  };
  for (const Lines& lines : cases) {
    std::string shown;
    for (std::size_t i = 0; i < lines.size(); ++i)
      shown += (i ? "\n" : "") + lines[i];
    // An empty editor has no lines: a template of one empty line shows as
    // one, and comes back as none.
    const Lines expected = lines == Lines{""} ? Lines{} : lines;
    EXPECT_EQ(shownEditorLines(shown), expected) << ::testing::PrintToString(lines);
  }
  EXPECT_EQ(shownEditorLines("a\r\n\r\n"), (Lines{"a", "", ""}));
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
