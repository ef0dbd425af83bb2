// SPDX-License-Identifier: GPL-3.0-or-later
#include "persist/settings_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/messages.h"
#include "support/fake_persist_files.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace clipquill {
namespace {

using namespace std::string_literals;
using testing::FakePersistFiles;
using testing::ScriptedUser;

const std::string kIni = "/t/a.ini";
const std::string kTemplate = "/t/a.qtpl";

TemplateSettings example() {
  return {"C:\\caps\\",
          "Take",
          "*_new",
          "C:\\scripts\\",
          {{".avs", CheckState::Checked}, {".mpg", CheckState::Unchecked}}};
}

TemplateSettings withFilters(std::size_t count) {
  TemplateSettings s = example();
  s.filters.clear();
  for (std::size_t i = 0; i < count; ++i)
    s.filters.push_back(
        {".e" + std::to_string(i), i % 2 == 0 ? CheckState::Checked : CheckState::Unchecked});
  return s;
}

std::string writeError(FakePersistFiles& files, ScriptedUser& user, const std::string& path) {
  try {
    writeSettings(files, user, path, kTemplate, example());
  } catch (const Error& e) {
    return e.message();
  }
  return "no error";
}

TEST(ProfileBooleanTest, IsTrueForAWholeIntegerOtherThanZero) {
  for (const char* text : {"1", "2", "0x1", " 7", "-1", "+3", "$a", "-$F", "0X0f", "007",
                           "99999999999999999999999999"}) {
    EXPECT_TRUE(parseProfileBoolean(text)) << '"' << text << '"';
  }
  for (const char* text : {"0", "", "yes", "true", "-0", "0x0", "$0", "0x", "$", "-", " ", "7 ",
                           "\t7", "1.0", "1e3", "--1", "0xg", "x1", "$-1"}) {
    EXPECT_FALSE(parseProfileBoolean(text)) << '"' << text << '"';
  }
}

TEST(SettingsFileTest, WritesAFreshFileAndReadsItBack) {
  FakePersistFiles files;
  ScriptedUser user;
  writeSettings(files, user, kIni, kTemplate, example());
  EXPECT_EQ(files.files[kIni],
            "[Entries]\r\nClipLoc=C:\\caps\\\r\nClipName=Take\r\nScriptName=*_new\r\n"
            "ScriptDest=C:\\scripts\\\r\n[FilterBy]\r\nExt0=.avs\r\nExt1=.mpg\r\n"
            "[FilterState]\r\nExt0State=1\r\nExt1State=0\r\n");
  EXPECT_TRUE(user.boxes.empty());
  EXPECT_EQ(readSettings(files, kIni), example());
  EXPECT_EQ(readSettings(files, "/t/missing.ini"), std::nullopt);
}

TEST(SettingsFileTest, ReadsEntriesInFileOrderAndMarksByPosition) {
  const struct {
    std::string bytes;
    TemplateSettings read;
  } cases[] = {
      {"[FilterBy]\r\nExt1=.mpg\r\nExt0=.avs\r\n[FilterState]\r\nExt0State=1\r\nExt1State=0\r\n",
       {"", "", "", "", {{".mpg", CheckState::Checked}, {".avs", CheckState::Unchecked}}}},
      {"[FilterBy]\nFoo=.mkv\nExt0=.avs\n",
       {"", "", "", "", {{".mkv", CheckState::Unchecked}, {".avs", CheckState::Unchecked}}}},
      {"[FilterBy]\nExt0=a\nEXT0=b\n[FilterState]\nExt1State= 0x1 \n",
       {"", "", "", "", {{"a", CheckState::Unchecked}, {"a", CheckState::Checked}}}},
      {"\0\xFF junk\n[ Entries ]\nclipname = \" Take \" \nbinary\x01\x02\n=\n[FilterBy]\nExt0=x\n"s,
       {"", " Take ", "", "", {{"x", CheckState::Unchecked}}}},
      {"[Entries]\nClipLoc=" + std::string(5000, 'c') + "\n",
       {std::string(5000, 'c'), "", "", "", {}}},
      {"", {}},
      // Bare words are no entries; "=avi" is one, under an empty name.
      {"[FilterBy]\r\nExt0=.avs\r\nstray\r\n=avi\r\n\x1A\r\n[FilterState]\r\nExt1State=1\r\n",
       {"", "", "", "", {{".avs", CheckState::Unchecked}, {"avi", CheckState::Checked}}}},
      {"[FilterBy]\nExt0\nExt0=.avs\n", {"", "", "", "", {{".avs", CheckState::Unchecked}}}},
      // Only the first section of a name counts, and only the first mark of a position.
      {"[FilterState]\next1state=1\nExt1State=0\n[FilterBy]\na=1\nb=2\n[filterby]\nc=3\n"
       "[FilterState]\nExt0State=1\n",
       {"", "", "", "", {{"1", CheckState::Unchecked}, {"2", CheckState::Checked}}}},
      // A position is written without leading zeros; one beyond the list is no mark.
      {"[FilterBy]\na=1\nb=2\n[FilterState]\nExt00State=1\nExt01State=1\nExt2State=1\n"
       "Ext99999999999999999999State=1\n",
       {"", "", "", "", {{"1", CheckState::Unchecked}, {"2", CheckState::Unchecked}}}},
      {"[Inner]Bracket]\nClipLoc=x\n[Entries]junk]\nClipLoc=y\n", {}},
      // A repeated name, in any case, reads as its first copy; "Ext01" is not
      // "Ext1", and numbers past any list repeat as well as small ones.
      {"[FilterBy]\nExt1=a\next1=b\nExt01=c\nEXT1=d\nExt16777216=e\nK=f\n"
       "ext16777216=g\nk=h\nExt0=i\n",
       {"",
        "",
        "",
        "",
        {{"a", CheckState::Unchecked},
         {"a", CheckState::Unchecked},
         {"c", CheckState::Unchecked},
         {"a", CheckState::Unchecked},
         {"e", CheckState::Unchecked},
         {"f", CheckState::Unchecked},
         {"e", CheckState::Unchecked},
         {"f", CheckState::Unchecked},
         {"i", CheckState::Unchecked}}}},
  };
  for (const auto& c : cases) {
    FakePersistFiles files;
    files.files[kIni] = c.bytes;
    EXPECT_EQ(readSettings(files, kIni), c.read) << c.bytes;
  }

  FakePersistFiles unreadable;
  unreadable.files[kIni] = "[Entries]\nClipLoc=/x\n";
  unreadable.readFaults[kIni] = EACCES;
  EXPECT_EQ(readSettings(unreadable, kIni), TemplateSettings{});
}

TEST(SettingsFileTest, OkReplacesTheFileAndCancelUpdatesIt) {
  for (const Answer answer : {Answer::Ok, Answer::Cancel}) {
    FakePersistFiles files;
    ScriptedUser user;
    writeSettings(files, user, kIni, kTemplate, withFilters(6));
    user.answers = {answer};
    writeSettings(files, user, kIni, kTemplate, withFilters(4));
    ASSERT_EQ(user.boxes.size(), 1u);
    EXPECT_EQ(user.boxes[0].kind, MessageKind::Warning);
    EXPECT_EQ(user.boxes[0].buttons, Buttons::OkCancel);
    EXPECT_EQ(user.boxes[0].text,
              "The file /t/a.ini already exists.\r\n\r\nDo you want to replace it?");
    // Cancel keeps Ext4 and Ext5 of the first save, with their marks.
    EXPECT_EQ(readSettings(files, kIni), withFilters(answer == Answer::Ok ? 4 : 6));
  }
}

TEST(SettingsFileTest, UpdateKeepsEveryLineItDoesNotWrite) {
  FakePersistFiles files;
  ScriptedUser user;
  files.files[kIni] =
      "\xEF\xBB\xBF; my settings\r\n[ entries ]\r\nclipname = \"Old Take\"  \r\nClipLoc=/old/\r\n"
      "\r\n[Unknown]\rx=1\r[FilterBy]\nExt0 = .avs\n\n[FilterState]\nExt0State=0";
  writeSettings(files, user, kIni, kTemplate, example());
  EXPECT_EQ(files.files[kIni],
            "\xEF\xBB\xBF; my settings\r\n[ entries ]\r\nclipname = Take\r\nClipLoc=C:\\caps\\\r\n"
            "ScriptName=*_new\r\nScriptDest=C:\\scripts\\\r\n\r\n[Unknown]\rx=1\r[FilterBy]\n"
            "Ext0 = .avs\r\nExt1=.mpg\r\n\n[FilterState]\nExt0State=1\r\nExt1State=0\r\n");
  EXPECT_EQ(readSettings(files, kIni), example());
}

TEST(SettingsFileTest, ATemplateNamedIniKeepsItsText) {
  FakePersistFiles files;
  ScriptedUser user;
  user.answers = {Answer::Ok};
  const std::string text = "clip = AVISource(\"<P><F>\")\r\nreturn clip\r\n";
  files.files["/t/x.ini"] = text;
  writeSettings(files, user, "/t/x.ini", "/t/x.ini", example());
  EXPECT_TRUE(user.boxes.empty());
  EXPECT_EQ(files.files["/t/x.ini"].substr(0, text.size()), text);
  EXPECT_EQ(readSettings(files, "/t/x.ini"), example());
}

TEST(SettingsFileTest, AFailedWriteLeavesTheOldFile) {
  for (const Answer answer : {Answer::Ok, Answer::Cancel}) {
    FakePersistFiles files;
    ScriptedUser user;
    files.files[kIni] = "[Entries]\nClipLoc=/old\n";
    files.writeFaults[kIni] = ENOSPC;
    user.answers = {answer};
    EXPECT_EQ(writeError(files, user, kIni), "Unable to write to /t/a.ini");
    EXPECT_EQ(files.files[kIni], "[Entries]\nClipLoc=/old\n");
  }
  // A file that cannot be read cannot be updated either.
  FakePersistFiles files;
  ScriptedUser user;
  files.files[kIni] = "old";
  files.readFaults[kIni] = EIO;
  EXPECT_EQ(writeError(files, user, kIni), "Unable to write to /t/a.ini");
  EXPECT_EQ(files.writes, 0);

  // A line end in a value would smuggle in keys of its own: nothing is written.
  files.readFaults.clear();
  user.boxes.clear();
  for (const char* value : {"Take\r\nClipLoc=/elsewhere", "a\nb", "a\r"}) {
    TemplateSettings settings = example();
    settings.filters.push_back({value, CheckState::Checked});
    EXPECT_THROW(writeSettings(files, user, kIni, kTemplate, settings), Error) << value;
    settings = example();
    settings.clipName = value;
    EXPECT_THROW(writeSettings(files, user, kIni, kTemplate, settings), Error) << value;
  }
  EXPECT_EQ(files.files[kIni], "old");
  EXPECT_TRUE(user.boxes.empty());

  testing::TempDir dir;
  const auto system = makeSystemPersistFiles();
  const std::string missing = dir.path() + "/no/such/folder/a.ini";
  try {
    writeSettings(*system, user, missing, kTemplate, example());
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.message(), msg::unableToWrite(missing));
  }
}

TEST(SettingsFileTest, ManyEntriesAreWrittenOnceAndReadWhole) {
  FakePersistFiles files;
  ScriptedUser user;
  writeSettings(files, user, kIni, kTemplate, withFilters(1000));
  EXPECT_EQ(files.writes, 1);
  user.answers = {Answer::Cancel};
  writeSettings(files, user, kIni, kTemplate, withFilters(1000));
  EXPECT_EQ(files.writes, 2);
  EXPECT_EQ(readSettings(files, kIni), withFilters(1000));

  std::string bytes = "[FilterBy]\r\n";
  for (int i = 0; i < 100'000; ++i)
    bytes += "K" + std::to_string(i) + "=.x" + std::to_string(i) + "\r\n";
  files.files[kIni] = bytes;
  const auto read = readSettings(files, kIni);
  ASSERT_TRUE(read);
  ASSERT_EQ(read->filters.size(), 100'000u);
  EXPECT_EQ(read->filters.back().text, ".x99999");
}

// Settings saved by a Windows editor as "Unicode", with a DOS end-of-file
// mark behind a state and a bare word among the filters: read as Windows reads
// them (the bare word is no entry), and updated in UTF-16 with the bare word
// given its value in place.
TEST(SettingsFileTest, ReadsAndUpdatesAUtf16FileAsWindowsDoes) {
  const auto utf16 = [](std::string_view ascii) {
    std::string out;
    for (const char c : ascii) {
      out += c;
      out += '\0';
    }
    return out;
  };
  FakePersistFiles files;
  files.files[kIni] = "\xFF\xFE" + utf16(
                                       "[Entries]\r\nClipName=Take\r\n[FilterBy]\r\nExt0=avi\r\n"
                                       "Ext1\r\nExt2=mkv\r\n[FilterState]\r\nExt0State=1\x1A\r\n"
                                       "Ext2State=1\r\n");
  const TemplateSettings read{
      "", "Take", "", "", {{"avi", CheckState::Checked}, {"mkv", CheckState::Unchecked}}};
  EXPECT_EQ(readSettings(files, kIni), read);

  ScriptedUser user;
  user.answers = {Answer::Cancel};
  TemplateSettings written = read;
  written.filters = {
      {"avi", CheckState::Checked}, {"mpg", CheckState::Unchecked}, {"mkv", CheckState::Checked}};
  writeSettings(files, user, kIni, kTemplate, written);
  EXPECT_EQ(files.files[kIni],
            "\xFF\xFE" + utf16("[Entries]\r\nClipName=Take\r\nClipLoc=\r\nScriptName=\r\n"
                               "ScriptDest=\r\n[FilterBy]\r\nExt0=avi\r\nExt1=mpg\r\nExt2=mkv\r\n"
                               "[FilterState]\r\nExt0State=1\r\nExt2State=1\r\nExt1State=0\r\n"));
  EXPECT_EQ(readSettings(files, kIni), written);
}

}  // namespace
}  // namespace clipquill
