// SPDX-License-Identifier: GPL-3.0-or-later
#include "persist/profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace clipquill {
namespace {

using namespace std::string_literals;
using Names = std::vector<std::string>;

std::string printable(const std::string& bytes) {
  std::string out;
  for (const char c : bytes) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string utf16(std::string_view ascii) {
  std::string out = "\xFF\xFE";
  for (const char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

TEST(ProfileDocumentTest, ReadsValuesAsTheProfileFunctionsDo) {
  const struct {
    std::string bytes;
    const char* section;
    const char* key;
    std::optional<std::string> value;
  } cases[] = {
      {"[Entries]\r\nClipName=Take\r\n", "Entries", "ClipName", "Take"},
      {"[ Entries ]\nClipName = Take \n", "entries", "CLIPNAME", "Take"},
      {"\t[\tE\t]\t\n\tk\t=\tTake it\t", "e", "K", "Take it"},
      {"[E] trailing\nk=1", "E", "k", "1"},
      {"[E]\nk=\"a b\"\n", "E", "k", "a b"},
      {"[E]\nk= ' x ' \n", "E", "k", " x "},
      {"[E]\nk=\"\"\n", "E", "k", ""},
      {"[E]\nk=\"\n", "E", "k", "\""},
      {"[E]\nk=\"x'\n", "E", "k", "\"x'"},
      {"[E]\nk=\"\"x\"\"\n", "E", "k", "\"x\""},  // one pair taken off only
      {"[E]\nk=\n", "E", "k", ""},
      {"[E]\nk=a=b;c\n", "E", "k", "a=b;c"},
      {"[E]\nk\n", "E", "k", std::nullopt},
      {"[E]\n=v\n", "E", "", "v"},  // an empty name is a name
      {"[E]\n  = v\n", "E", "", "v"},
      {"[E]\nk=1\nk=2\n", "E", "k", "1"},
      {"[E]\nk=1\n[e]\nk=2\nj=3\n", "E", "j", std::nullopt},  // repeated section: ignored
      {"k=0\n[E]\n", "E", "k", std::nullopt},
      {"[E]\n;k=1\n", "E", ";k", std::nullopt},
      {"[E]\n  ;k=1\n", "E", ";k", std::nullopt},
      {"[E]\n[x=1\n", "E", "[x", std::nullopt},
      {"[E\nk=1\n", "E", "k", std::nullopt},  // no "]": no header
      {"[E]\rk=1\rj=2", "E", "j", "2"},
      {"\xEF\xBB\xBF[E]\r\nk=1", "E", "k", "1"},
      {"[]\nk=1", "", "k", "1"},
      {"[E]\nk=a\0b\xFF\n"s, "E", "k", "a\0b\xFF"s},
      {"[E]\n\xC3\xA9=1", "E", "\xC3\xA9", "1"},
      {"[E]\n\xC3\xA9=1", "E", "\xC3\x89", std::nullopt},  // ASCII case only
      {"[E]\nk=" + std::string(5000, 'v') + "\n", "E", "k", std::string(5000, 'v')},
      {"", "E", "k", std::nullopt},
      // The trimmed set: also vertical tab, form feed and a DOS end-of-file mark.
      {"[E]\nExt0State=1\x1A", "E", "Ext0State", "1"},
      {"[E]\r\n\x0B\x0Ck\x1A=\x0C v\x0B\x1A\r\n", "E", "k", "v"},
      {"\x1A[E]\x1A\nk=1", "E", "k", "1"},
      {"[E]\nk=\x1A\"x\"\x1A", "E", "k", "x"},
      // A bare word cannot be read by its name, even before a key of that name.
      {"[E]\nAlone\n", "E", "alone", std::nullopt},
      {"[E]\nk\nk=2\n", "E", "k", "2"},
      // A header's name runs to its last "]".
      {"[Inner]Bracket]\nk=1", "Inner]Bracket", "k", "1"},
      {"[Inner]Bracket]\nk=1", "Inner", "k", std::nullopt},
      {"[a]b] ;c\nk=1", "a]b", "k", "1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProfileDocument::parse(c.bytes).value(c.section, c.key), c.value)
        << printable(c.bytes);
  }
}

TEST(ProfileDocumentTest, ListsEveryKeyInFileOrder) {
  const std::string bytes =
      "junk=0\n[F]\nExt1=.mpg\n;Ext9=x\nExt0=.avs\nno key\n Ext1 = "
      "dup\n=avi\n[G]\nz=1\n[f]\nlate=1\n";
  const ProfileDocument doc = ProfileDocument::parse(bytes);
  // Bare words are left out; an empty name is listed.
  EXPECT_EQ(doc.keys("f"), (Names{"Ext1", "Ext0", "Ext1", ""}));
  EXPECT_EQ(doc.value("F", ""), "avi");
  EXPECT_EQ(doc.value("F", "ext1"), ".mpg");
  EXPECT_EQ(doc.keys("G"), (Names{"z"}));
  EXPECT_EQ(doc.keys("H"), Names{});
  EXPECT_EQ(doc.sections(), (Names{"F", "G"}));
}

// The one-pass reader and the document read by the same rules: the headers
// and keys it passes, taken as the document takes them (first copies), are
// the document's sections, key lists and values.
TEST(ProfileDocumentTest, TheScannerReadsWhatTheDocumentReads) {
  for (const std::string& bytes :
       {"k=0\n[A]\n a = 1 \nbare\n=e\n;c=1\n[B]x\nb=\"q\"\n[a]\nz=9\n[In]ner]\nk=v"s,
        "\xEF\xBB\xBF[A]\r\nk=1\rj=2\x1A"s, utf16("[A]\r\nk=1\r\n[B]\r\nj"), "[A\nk=1\n[]\n=\n"s}) {
    const ProfileDocument doc = ProfileDocument::parse(bytes);
    Names sections;
    std::vector<Names> keys;
    bool counts = false;
    scanProfile(bytes, [&](const ProfileItem& item) {
      if (item.header) {
        counts = std::none_of(sections.begin(), sections.end(),
                              [&](const std::string& s) { return sameProfileName(s, item.name); });
        if (counts) {
          sections.emplace_back(item.name);
          keys.emplace_back();
        }
      } else if (counts) {
        keys.back().emplace_back(item.name);
        const bool firstCopy =
            std::count_if(keys.back().begin(), keys.back().end(),
                          [&](const std::string& k) { return sameProfileName(k, item.name); }) == 1;
        if (firstCopy) {
          EXPECT_EQ(doc.value(sections.back(), item.name), item.value);
        }
      }
    });
    EXPECT_EQ(sections, doc.sections()) << printable(bytes);
    for (std::size_t i = 0; i < sections.size(); ++i)
      EXPECT_EQ(keys[i], doc.keys(sections[i])) << printable(bytes);
  }
}

TEST(ProfileDocumentTest, KeepsTheBytesOfAnUnchangedFile) {
  for (const std::string& bytes : {""s, "\xEF\xBB\xBF"s, "a\rb\nc\r\nd"s, "\r\r\n\n\r"s,
                                   "[E]\n k = \"v\" \t\r\n; note\r\n"s, "\0\xFF[\x1A]=\n\0"s}) {
    EXPECT_EQ(ProfileDocument::parse(bytes).bytes(), bytes) << printable(bytes);
  }
}

TEST(ProfileDocumentTest, WritesOnlyWhatChanges) {
  using Set = std::array<const char*, 3>;
  const struct {
    std::string before;
    std::vector<Set> sets;
    std::string after;
  } cases[] = {
      {"", {{"Entries", "ClipLoc", "C:\\caps\\"}}, "[Entries]\r\nClipLoc=C:\\caps\\\r\n"},
      {"\xEF\xBB\xBF", {{"E", "k", "v"}}, "\xEF\xBB\xBF[E]\r\nk=v\r\n"},
      {"[E]\nk=old\nj=2\n", {{"e", "K", "new"}}, "[E]\nk=new\r\nj=2\n"},
      {"[E]\n k = old \n", {{"E", "k", "new"}}, "[E]\n k = new\r\n"},
      {"[E]\nk=1\nk=2\n", {{"E", "k", "3"}}, "[E]\nk=3\r\nk=2\n"},
      // After the last key, before the blank line and comment that lead to the next section.
      {"[A]\r\na=1\r\n\r\n;next\r\n[B]\r\nb=1",
       {{"A", "c", "3"}},
       "[A]\r\na=1\r\nc=3\r\n\r\n;next\r\n[B]\r\nb=1"},
      {"[A]\n;note\n\n[B]\n", {{"A", "a", "1"}}, "[A]\na=1\r\n;note\n\n[B]\n"},
      {"[A]", {{"A", "a", "1"}}, "[A]\r\na=1\r\n"},
      {"[A]\na=1", {{"B", "b", "2"}}, "[A]\na=1\r\n[B]\r\nb=2\r\n"},
      {"[A]\ra=1\r\r[B]\rb=1\r", {{"A", "c", "3"}}, "[A]\ra=1\rc=3\r\n\r[B]\rb=1\r"},
      {"[A]\na=1\n[B]\n[a]\nz=9\n", {{"A", "z", "2"}}, "[A]\na=1\nz=2\r\n[B]\n[a]\nz=9\n"},
      {"k=1\n", {{"A", "k", "2"}}, "k=1\n[A]\r\nk=2\r\n"},
      {"[A]\na=1\n",
       {{"A", "b", "2"}, {"A", "c", "3"}, {"B", "x", "1"}, {"A", "d", "4"}, {"B", "y", "2"}},
       "[A]\na=1\nb=2\r\nc=3\r\nd=4\r\n[B]\r\nx=1\r\ny=2\r\n"},
      // A bare name takes its value in place, keeping the order of the keys.
      {"[F]\r\nExt0=avi\r\n Alone \x1A\r\nExt2=mkv\r\n",
       {{"F", "alone", "mpg"}},
       "[F]\r\nExt0=avi\r\n Alone=mpg\r\nExt2=mkv\r\n"},
      // A key of the name is written rather than a bare word before it.
      {"[F]\nx\nx=1\n", {{"F", "x", "2"}}, "[F]\nx\nx=2\r\n"},
      // Values that reading would alter go in double quotes.
      {"",
       {{"A", "a", "x\x1A"}, {"A", "b", "\x0Bx"}, {"A", "c", "\x0C"}},
       "[A]\r\na=\"x\x1A\"\r\nb=\"\x0Bx\"\r\nc=\"\x0C\"\r\n"},
      {"",
       {{"A", "a", " x"},
        {"A", "b", "x\t"},
        {"A", "c", "'q'"},
        {"A", "d", "\"\""},
        {"A", "e", "\""},
        {"A", "f", "a\"b\""},
        {"A", "g", ""}},
       "[A]\r\na=\" x\"\r\nb=\"x\t\"\r\nc=\"'q'\"\r\nd=\"\"\"\"\r\ne=\"\r\nf=a\"b\"\r\ng=\r\n"},
  };
  for (const auto& c : cases) {
    ProfileDocument doc = ProfileDocument::parse(c.before);
    for (const Set& s : c.sets)
      doc.set(s[0], s[1], s[2]);
    EXPECT_EQ(printable(doc.bytes()), printable(c.after)) << printable(c.before);
  }
}

TEST(ProfileDocumentTest, ReadsBackWhatItWrote) {
  for (const std::string& value :
       {""s, " "s, "  lead"s, "trail\t"s, "\"q\""s, "'q'"s, "\""s, "'"s, "\"x'"s, "a=b"s, ";x"s,
        "[x]"s, "\x01\xFF\0z"s, std::string(5000, 'w'), " \"\" "s}) {
    ProfileDocument doc = ProfileDocument::parse("[S]\nk=old\n");
    doc.set("S", "k", value);
    doc.set("S", "new", value);
    doc.set("T", "k", value);
    const ProfileDocument back = ProfileDocument::parse(doc.bytes());
    for (const ProfileDocument* d : {static_cast<const ProfileDocument*>(&doc), &back}) {
      EXPECT_EQ(d->value("S", "k"), value) << printable(value);
      EXPECT_EQ(d->value("S", "new"), value) << printable(value);
      EXPECT_EQ(d->value("T", "k"), value) << printable(value);
    }
  }
}

TEST(ProfileDocumentTest, ReadsAndWritesAUtf16FileInUtf16) {
  // "é" (U+00E9), "€" (U+20AC), U+1F600 as a surrogate pair, and a lone surrogate.
  const std::string text = utf16("[E]\r\nk=") + "\xE9\0\xAC\x20\x3D\xD8\x00\xDE\x00\xD8"s +
                           utf16("\r\n").substr(2) + utf16("j=1\r\n").substr(2);
  ProfileDocument doc = ProfileDocument::parse(text);
  EXPECT_EQ(doc.value("E", "k"), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xED\xA0\x80");
  EXPECT_EQ(doc.value("E", "j"), "1");
  EXPECT_EQ(doc.bytes(), text);
  EXPECT_EQ(ProfileDocument::parse(text + "x").bytes(), text + "x");  // an odd byte stays

  // A write touches only its own line, and writes UTF-16 too: no 8-bit line
  // is ever appended to the UTF-16 text.
  doc.set("E", "j", "\xC3\xA9");
  doc.set("F", "n", "\xFF");  // not UTF-8: the Latin-1 "ÿ"
  EXPECT_EQ(printable(doc.bytes()), printable(text.substr(0, text.size() - 6) + "\xE9\0\r\0\n\0"s +
                                              utf16("[F]\r\nn=").substr(2) + "\xFF\0\r\0\n\0"s));
  const ProfileDocument back = ProfileDocument::parse(doc.bytes());
  EXPECT_EQ(back.value("E", "j"), "\xC3\xA9");
  EXPECT_EQ(back.value("F", "n"), "\xC3\xBF");
  EXPECT_EQ(doc.value("F", "n"), "\xC3\xBF");
}

// Lookups go by index, and adds link lines in: nothing scans the file per key
// or moves the lines behind an added one, so big files take only a moment.
TEST(ProfileDocumentTest, HandlesAHundredThousandKeys) {
  constexpr std::size_t kKeys = 100'000;
  std::string bytes = "[Small]\r\nfirst=1\r\n\r\n[Big]\r\n";
  for (std::size_t i = 0; i < kKeys; ++i)
    bytes += "Key" + std::to_string(i) + "=v" + std::to_string(i) + "\r\n";
  std::vector<std::optional<std::string>> values;
  values.reserve(kKeys);

  const auto start = std::chrono::steady_clock::now();
  ProfileDocument doc = ProfileDocument::parse(bytes);
  const Names keys = doc.keys("big");
  for (const std::string& key : keys)
    values.push_back(doc.value("BIG", key));
  // Into the first section, ahead of all the others.
  for (int i = 0; i < 2000; ++i)
    doc.set("Small", "Added" + std::to_string(i), std::to_string(i));
  const ProfileDocument back = ProfileDocument::parse(doc.bytes());
  const auto took = std::chrono::steady_clock::now() - start;

  ASSERT_EQ(keys.size(), kKeys);
  for (std::size_t i = 0; i < kKeys; ++i) {
    ASSERT_EQ(keys[i], "Key" + std::to_string(i));
    ASSERT_EQ(values[i], "v" + std::to_string(i));
  }
  EXPECT_EQ(back.keys("Small").size(), 2001u);
  EXPECT_EQ(back.value("Small", "Added1999"), "1999");
  EXPECT_EQ(back.keys("Big").size(), kKeys);
  // Tens of milliseconds in an optimised build; the bound only catches work
  // that grows with the square of the keys, which would take hours.
  EXPECT_LT(took, std::chrono::seconds(60));
}

}  // namespace
}  // namespace clipquill
