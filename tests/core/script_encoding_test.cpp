// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/script_encoding.h"

#include <gtest/gtest.h>

#include "core/messages.h"
#include "support/fake_code_page.h"

namespace clipquill {
namespace {

using testing::FakeCodePage;

// Names as the file system hands them over: UTF-8.
const std::string kCafe = "Caf\xC3\xA9.avi";                         // Café.avi
const std::string kPrivet = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2.avi";  // Прив.avi
const std::string kNihon = "\xE6\x97\xA5\xE6\x9C\xAC.avi";           // 日本.avi
const std::string kEmoji = "clip \xF0\x9F\x8E\xAC.avi";              // clip 🎬.avi

TEST(TemplateEncodingTest, BytesSayWhichEncoding) {
  struct Case {
    std::string text;
    TemplateEncoding expected;
  };
  const Case cases[] = {
      {"", TemplateEncoding::CodePage},
      {"AVISource(\"<P><F>\")\n", TemplateEncoding::CodePage},
      {"\xEF\xBB\xBF"
       "AVISource(\"<P><F>\")\n",
       TemplateEncoding::Utf8},
      {"# caf\xC3\xA9\n", TemplateEncoding::Utf8},
      {"# \xF0\x9F\x8E\xAC\n", TemplateEncoding::Utf8},
      {"# caf\xE9\n", TemplateEncoding::CodePage},                 // a lone 1252 byte
      {"# caf\xC3\xA9\n# caf\xE9\n", TemplateEncoding::CodePage},  // UTF-8, then not
      {"# \xC0\xAF\n", TemplateEncoding::CodePage},                // overlong
      {"# \xED\xA0\x80\n", TemplateEncoding::CodePage},            // a surrogate
      {"# \xF4\x90\x80\x80\n", TemplateEncoding::CodePage},        // past U+10FFFF
      {"# \xE2\x82", TemplateEncoding::CodePage},                  // cut short at the end
      {"# \xE2\x82\n", TemplateEncoding::CodePage},                // cut short by the line end
  };
  for (const Case& c : cases) {
    EXPECT_EQ(templateEncoding(TemplateLines(c.text)), c.expected) << c.text;
  }
}

TEST(TemplateEncodingTest, Utf8GivenToEveryCallThatOpensAClip) {
  struct Case {
    const char* text;
    bool expected;
  };
  const Case cases[] = {
      {"AVISource(\"<P><F>\")\n", false},
      {"AVISource(\"<P><F>\", utf8=true)\n", true},
      {"FFVideoSource(\"<P><F>\", UTF8 = True)\n", true},
      {"AVISource(\"<P><F>\", utf8=false)\n", false},
      {"# utf8=true\nAVISource(\"<P><F>\")\n", false},  // only in a comment
      {"a = AVISource(\"<P><F>\", utf8=true)\nb = AVISource(\"<P>x.avi\")\n", false},
      {"f = \"<P><F>\"\nFFVideoSource(f, utf8=true)\n", true},  // the name passed on
      {"f = \"<P><F>\"\nFFVideoSource(f)\n", false},
      {"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(readsNamesAsUtf8(TemplateLines(c.text)), c.expected) << c.text;
  }
}

TEST(NameEncodingTest, EachNameAsAviSynthReadsIt) {
  const FakeCodePage western(1252), cyrillic(1251), utf8(CodePage::kUtf8);
  const std::string plain = "AVISource(\"<P><F>\")\n";
  const std::string utf8Template = "# \xC3\xA9t\xC3\xA9\nAVISource(\"<P><F>\")\n";
  const std::string utf8Given = "# \xC3\xA9t\xC3\xA9\nAVISource(\"<P><F>\", utf8=true)\n";
  struct Case {
    const CodePage& system;
    const std::string& templ;
    std::string name;
    NameFit fit;
    std::string bytes;
  };
  const Case cases[] = {
      // A UTF-8 system writes every name as it is.
      {utf8, plain, kPrivet, NameFit::Fits, kPrivet},
      {utf8, utf8Template, kEmoji, NameFit::Fits, kEmoji},
      // A template in the code page: the name in it, or not at all.
      {western, plain, "plain.avi", NameFit::Fits, "plain.avi"},
      {western, plain, kCafe, NameFit::Fits, "Caf\xE9.avi"},
      {western, plain, kPrivet, NameFit::Unwritable, kPrivet},
      {western, plain, kNihon, NameFit::Unwritable, kNihon},
      {western, plain, kEmoji, NameFit::Unwritable, kEmoji},
      {cyrillic, plain, kPrivet, NameFit::Fits, "\xCF\xF0\xE8\xE2.avi"},
      {cyrillic, plain, kCafe, NameFit::Unwritable, kCafe},
      // A UTF-8 template: written as it is, misread without utf8=true.
      {western, utf8Template, "plain.avi", NameFit::Fits, "plain.avi"},
      {western, utf8Template, kCafe, NameFit::Misread, kCafe},
      {cyrillic, utf8Template, kEmoji, NameFit::Misread, kEmoji},
      {western, utf8Given, kNihon, NameFit::Fits, kNihon},
  };
  for (const Case& c : cases) {
    const EncodedName encoded = encodeName(nameEncoding(TemplateLines(c.templ), c.system), c.name);
    EXPECT_EQ(encoded.fit, c.fit) << c.system.number() << " " << c.name;
    EXPECT_EQ(encoded.bytes, c.bytes) << c.system.number() << " " << c.name;
  }
}

TEST(NameEncodingTest, TheFolderCountsForEveryClip) {
  const FakeCodePage western(1252);
  const NameEncoding encoding{.codePage = &western, .misreadIn = 0};
  const std::vector<std::string> clips = {kCafe, kPrivet, "plain.avi"};

  EncodedNames names = encodeNames(encoding, "C:\\Clips \xC3\x89t\xC3\xA9\\", clips);
  EXPECT_EQ(names.folder, "C:\\Clips \xC9t\xE9\\");
  EXPECT_EQ(names.clips, (std::vector<std::string>{"Caf\xE9.avi", kPrivet, "plain.avi"}));
  EXPECT_EQ(names.writable, (std::vector<bool>{true, false, true}));
  EXPECT_EQ(names.trouble.unwritable, std::vector<std::string>{kPrivet});
  EXPECT_FALSE(names.trouble.folderUnwritable);

  // An emoji in the folder: no clip below it can be named.
  names = encodeNames(encoding, "C:\\\xF0\x9F\x8E\xAC\\", clips);
  EXPECT_TRUE(names.trouble.folderUnwritable);
  EXPECT_EQ(names.writable, (std::vector<bool>{false, false, false}));
  EXPECT_TRUE(msg::leavesScriptsOut(names.trouble));

  // A UTF-8 template misreads a folder beyond ASCII, whatever the clips.
  names = encodeNames({.codePage = nullptr, .misreadIn = 1252}, "C:\\\xC3\x89t\xC3\xA9\\",
                      std::vector<std::string>{"plain.avi"});
  EXPECT_TRUE(names.trouble.folderMisread);
  EXPECT_FALSE(msg::leavesScriptsOut(names.trouble));
  EXPECT_EQ(names.writable, std::vector<bool>{true});
}

TEST(NameEncodingTest, MessagesSayWhichWhyAndWhatToDo) {
  struct Case {
    NameTrouble trouble;
    bool joined;
    std::string expected;
  };
  const std::string advice =
      " To write them, save the template as UTF-8 and add utf8=true to its source call, as in "
      "AVISource(\"<P><F>\", utf8=true).";
  const std::string opening =
      "The template is in code page 1252, which AviSynth+ reads its scripts in, and that has no "
      "place for characters in ";
  const auto trouble = [](unsigned codePage, std::string folder, bool folderUnwritable,
                          std::vector<std::string> unwritable, std::vector<std::string> misread) {
    NameTrouble t;
    t.codePage = codePage;
    t.folder = std::move(folder);
    t.folderUnwritable = folderUnwritable;
    t.unwritable = std::move(unwritable);
    t.misread = std::move(misread);
    return t;
  };
  const Case cases[] = {
      {trouble(1252, "", false, {"a", "b"}, {}), false,
       opening + "these clips' names, so their scripts are left out: a, b." + advice},
      {trouble(1252, "", false, {"a"}, {}), true,
       opening + "these clips' names, so the joined script is left out: a." + advice},
      {trouble(1252, "C:\\x\\", true, {}, {}), false,
       opening + "the clips' folder C:\\x\\, so every script is left out." + advice},
      {trouble(1251, "", false, {}, {"a"}), false,
       "The template is UTF-8, but without utf8=true in its source call AviSynth+ reads it in "
       "code page 1251 and misreads these clips' names: a. Add utf8=true to the source call, "
       "as in AVISource(\"<P><F>\", utf8=true)."},
      {trouble(1252, "", false, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}, {}), false,
       opening +
           "these clips' names, so their scripts are left out: 1, 2, 3, 4, 5, 6, 7, "
           "8 and 2 more." +
           advice},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(msg::namesNotCarried(c.trouble, c.joined), c.expected);
  }
}

}  // namespace
}  // namespace clipquill
