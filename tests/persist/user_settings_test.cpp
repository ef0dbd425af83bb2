// SPDX-License-Identifier: GPL-3.0-or-later
// The per-user settings file: any value survives the file, the folder is
// found and made only where it may be, and two windows writing at once keep
// each other's keys.
#include "persist/user_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/utf8_path.h"
#include "support/temp_dir.h"

namespace clipquill {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;

TEST(UserSettingsFile, AnyValueSurvivesTheFile) {
  const SettingsMap values{
      {"plain", "/home/u/a.qtpl"},
      {"empty", ""},
      {"lineEnds", "a\nb\r\nc\r"},
      {"backslashes", "C:\\t\\\\n\\"},
      {"equals", "a=b=c"},
      {"bytes", std::string("caf\xe9\0x", 6)},
      {"Recent.10", " leading and trailing "},
  };
  EXPECT_EQ(parseUserSettings(formatUserSettings(values)), values);
}

TEST(UserSettingsFile, SkipsWhatIsNotAKeyAndReadsCrLf) {
  const SettingsMap values = parseUserSettings(
      "# a comment\r\n\r\nno equals sign\r\nbad key=1\r\n=2\r\nok=3\r\nok.2=C:\\t\\x\r\nlast=4");
  EXPECT_EQ(values, (SettingsMap{{"ok", "3"}, {"ok.2", "C:\\t\\x"}, {"last", "4"}}));
}

// Every key is one word in one style: a "." would read as a list's item, or
// as another key's scale. No two rows share a name, and a rename ends on a
// key of the table.
TEST(UserSettingsKeys, EachKeyIsOneWordAndEachRenameEndsOnOne) {
  std::set<std::string_view> names;
  for (const UserKeyRow& row : kUserKeys) {
    EXPECT_TRUE(isSettingsKey(row.name)) << row.name;
    EXPECT_EQ(row.name.find('.'), std::string_view::npos) << row.name;
    EXPECT_TRUE(names.insert(row.name).second) << row.name << " twice";
  }
  for (const RenamedUserKey& renamed : kRenamedUserKeys) {
    EXPECT_NE(renamed.before, renamed.now);
    EXPECT_TRUE(names.count(renamed.now)) << renamed.now;
  }
}

// Each screen scale keeps its own value of a key kept per scale; scale 1 and
// a key of the user keep the plain name.
TEST(UserSettingsKeys, EachScaleHasItsOwnKeys) {
  const struct {
    std::string_view name;
    KeyScope scope;
    double scale;
    const char* key;
  } cases[] = {
      {"WindowPlace", KeyScope::PerScale, 1.0, "WindowPlace"},
      {"WindowPlace", KeyScope::PerScale, 2.0, "WindowPlace.scale2"},
      {"WindowPlace", KeyScope::PerScale, 1.5, "WindowPlace.scale1.5"},
      {"WindowPlace", KeyScope::PerScale, 1.25, "WindowPlace.scale1.25"},
      {"WindowPlace", KeyScope::PerScale, 0.0, "WindowPlace"},
      {"WindowPlace", KeyScope::PerScale, 2.0000001, "WindowPlace.scale2"},
      {"StandardKeys", KeyScope::User, 2.0, "StandardKeys"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(userKeyName(c.name, c.scope, c.scale), c.key) << c.scale;
}

// A value kept under a key's former name is read under its new one, and the
// new name wins where a later version already wrote it.
TEST(UserSettingsKeys, FormerNamesAreReadUnderTheNewOnes) {
  struct Case {
    SettingsMap file, read;
  } cases[] = {
      {{{"preview.shown", "0"}}, {{"PreviewShown", "0"}}},
      {{{"preview.shown", "0"}, {"PreviewShown", "1"}}, {{"PreviewShown", "1"}}},
      {{{"PreviewShown", "0"}, {"other", "x"}}, {{"PreviewShown", "0"}, {"other", "x"}}},
  };
  for (Case& c : cases) {
    adoptRenamedKeys(c.file);
    EXPECT_EQ(c.file, c.read);
  }
}

TEST(UserSettingsPlace, FollowsXdgThenHome) {
  struct Case {
    const char* xdg;
    const char* home;
    std::optional<UserConfigPlace> place;
  } cases[] = {
      {nullptr, "/home/u", UserConfigPlace{"/home/u/.config/Clipquill", {"/home/u"}}},
      {"", "/home/u/", UserConfigPlace{"/home/u/.config/Clipquill", {"/home/u"}}},
      {"relative/cfg", "/home/u", UserConfigPlace{"/home/u/.config/Clipquill", {"/home/u"}}},
      {"/cfg/", "/home/u", UserConfigPlace{"/cfg/Clipquill", {"/cfg", "/home/u"}}},
      {"/cfg", nullptr, UserConfigPlace{"/cfg/Clipquill", {"/cfg"}}},
      {nullptr, "", std::nullopt},
      {nullptr, nullptr, std::nullopt},
  };
  for (const Case& c : cases) {
    const auto place = userConfigPlace(c.xdg, c.home);
    ASSERT_EQ(place.has_value(), c.place.has_value()) << (c.xdg ? c.xdg : "-");
    if (!place) continue;
    EXPECT_EQ(place->folder, c.place->folder);
    EXPECT_EQ(place->roots, c.place->roots);
  }
}

TEST(UserSettingsPlace, InAnApplicationDataFolder) {
  struct Case {
    std::string appData;
    const PathSeparators& seps;
    std::optional<UserConfigPlace> place;
  } cases[] = {
      {"C:\\Users\\u\\AppData\\Roaming", kWindowsSeparators,
       UserConfigPlace{"C:\\Users\\u\\AppData\\Roaming\\Clipquill",
                       {"C:\\Users\\u\\AppData\\Roaming"}}},
      {"C:\\Users\\u\\AppData\\Roaming\\", kWindowsSeparators,
       UserConfigPlace{"C:\\Users\\u\\AppData\\Roaming\\Clipquill",
                       {"C:\\Users\\u\\AppData\\Roaming"}}},
      {"C:\\", kWindowsSeparators, UserConfigPlace{"C:\\Clipquill", {"C:\\"}}},
      {"\\\\srv\\profiles\\u", kWindowsSeparators,
       UserConfigPlace{"\\\\srv\\profiles\\u\\Clipquill", {"\\\\srv\\profiles\\u"}}},
      {"", kWindowsSeparators, std::nullopt},
      {"Roaming", kWindowsSeparators, std::nullopt},
      {"/data/", kPosixSeparators, UserConfigPlace{"/data/Clipquill", {"/data"}}},
      {"/", kPosixSeparators, UserConfigPlace{"/Clipquill", {"/"}}},
  };
  for (const Case& c : cases) {
    const auto place = userConfigPlaceIn(c.appData, c.seps);
    ASSERT_EQ(place.has_value(), c.place.has_value()) << c.appData;
    if (!place) continue;
    EXPECT_EQ(place->folder, c.place->folder);
    EXPECT_EQ(place->roots, c.place->roots);
  }
}

class UserSettingsStore : public ::testing::Test {
 protected:
  TempDir dir;
  std::unique_ptr<PersistFiles> files = makeSystemPersistFiles();
  std::string path(const std::string& rel) const {
    return dir.path() + kNativeSeparators.primary + rel;
  }
};

// The platform's own separator throughout, and the folder made below an
// application data folder that exists, never the folder itself.
TEST_F(UserSettingsStore, MakesItsFolderInAnApplicationDataFolder) {
  const std::string appData = path("Roaming caf\xC3\xA9");
  std::filesystem::create_directory(pathFromUtf8(appData));
  const std::string separator(1, kNativeSeparators.primary);
  {
    UserSettings settings(*files, userConfigPlaceIn(appData));
    ASSERT_TRUE(settings.setList("Recent", {"C:\\t\\a.qtpl", "/t/b.qtpl"}));
    EXPECT_EQ(settings.path(), appData + separator + "Clipquill" + separator + "settings");
    EXPECT_TRUE(std::filesystem::is_regular_file(pathFromUtf8(settings.path())));
  }
  EXPECT_EQ(UserSettings(*files, userConfigPlaceIn(appData)).list("Recent"),
            (std::vector<std::string>{"C:\\t\\a.qtpl", "/t/b.qtpl"}));

  const std::string gone = path("gone");
  UserSettings nowhere(*files, userConfigPlaceIn(gone));
  EXPECT_FALSE(nowhere.setValue("k", "v"));
  EXPECT_EQ(nowhere.value("k"), "v");  // kept for this run
  EXPECT_FALSE(std::filesystem::exists(pathFromUtf8(gone)));
}

// Folders are made below an existing root only; a missing home stays missing.
#if !defined(_WIN32)  // XDG places are POSIX paths
TEST_F(UserSettingsStore, MakesFoldersOnlyBelowAnExistingRoot) {
  std::filesystem::create_directory(path("home"));
  std::filesystem::create_directory(path("cfg"));
  struct Case {
    std::string xdg, home;
    std::string file;  // where the settings land; "" for nowhere
    std::string mustNotExist;
  } cases[] = {
      {"", path("home"), path("home/.config/Clipquill/settings"), ""},
      {path("cfg"), path("home"), path("cfg/Clipquill/settings"), ""},
      {path("home/xdg"), path("home"), path("home/xdg/Clipquill/settings"), ""},
      {path("gone/xdg"), path("home"), "", path("gone")},
      {"", path("nohome"), "", path("nohome")},
  };
  for (const Case& c : cases) {
    UserSettings settings(*files,
                          userConfigPlace(c.xdg.empty() ? nullptr : c.xdg.c_str(), c.home.c_str()));
    EXPECT_EQ(settings.setValue("k", "v"), !c.file.empty()) << c.xdg << " " << c.home;
    EXPECT_EQ(settings.value("k"), "v");  // kept for this run either way
    if (!c.file.empty()) {
      EXPECT_EQ(settings.path(), c.file);
      EXPECT_EQ(UserSettings(*files, userConfigPlace(c.xdg.empty() ? nullptr : c.xdg.c_str(),
                                                     c.home.c_str()))
                    .value("k"),
                "v");
    }
    if (!c.mustNotExist.empty()) {
      EXPECT_FALSE(std::filesystem::exists(c.mustNotExist));
    }
  }
}
#endif

TEST_F(UserSettingsStore, TwoWindowsKeepEachOthersKeys) {
  const auto place = userConfigPlaceIn(path("cfg"));
  std::filesystem::create_directory(pathFromUtf8(path("cfg")));
  UserSettings first(*files, place), second(*files, place);
  ASSERT_TRUE(first.setValue("Geometry", "1 2 3 4"));
  ASSERT_TRUE(second.setList("Recent", {"/a", "/b", "/c"}));
  ASSERT_TRUE(first.setFlag("StandardKeys", true));
  UserSettings later(*files, place);
  EXPECT_EQ(later.value("Geometry"), "1 2 3 4");
  EXPECT_EQ(later.list("Recent"), (std::vector<std::string>{"/a", "/b", "/c"}));
  EXPECT_TRUE(later.flag("StandardKeys", false));
  // A shorter list leaves none of the old items behind.
  ASSERT_TRUE(later.setList("Recent", {"/z"}));
  EXPECT_EQ(UserSettings(*files, place).list("Recent"), std::vector<std::string>{"/z"});
  EXPECT_EQ(readFile(later.path()).find("Recent.2"), std::string::npos);
}

// A flag read through the table is its default when absent or unreadable,
// and a key kept per scale holds one value for each scale.
TEST_F(UserSettingsStore, TheTablesKeysReadTheirDefaultsAndScales) {
  const auto place = userConfigPlaceIn(path("cfg"));
  std::filesystem::create_directories(pathFromUtf8(path("cfg/Clipquill")));
  writeFile(path("cfg/Clipquill/settings"),
            "StandardKeys=yes\nWindowMaximised.scale2=1\nWindowPlace=1 2 3 4\n");
  UserSettings settings(*files, place);
  const struct {
    const FlagKey& key;
    double scale;
    bool read;
  } flags[] = {
      {kPreviewShownKey, 1, true},      // absent: on by default
      {kNameToLastDotKey, 1, false},    // absent: off
      {kStandardKeysKey, 1, false},     // unreadable: its default
      {kWindowMaximisedKey, 2, true},   // this scale's own
      {kWindowMaximisedKey, 1, false},  // not another scale's
  };
  for (const auto& f : flags)
    EXPECT_EQ(settings.get(f.key, f.scale), f.read) << f.key.name << " at " << f.scale;
  EXPECT_EQ(settings.get(kWindowPlaceKey), "1 2 3 4");
  EXPECT_EQ(settings.get(kWindowPlaceKey, 1.5), std::nullopt);
  ASSERT_TRUE(settings.set(kWindowPlaceKey, "5 6 7 8", 1.5));
  EXPECT_EQ(UserSettings(*files, place).get(kWindowPlaceKey, 1.5), "5 6 7 8");
  EXPECT_EQ(UserSettings(*files, place).get(kWindowPlaceKey), "1 2 3 4");
  EXPECT_TRUE(settings.get(kRecentTemplatesKey).empty());
}

// A settings file of an earlier version keeps the user's choice, and the
// next write leaves only the new name in it.
TEST_F(UserSettingsStore, AFormerKeysValueOutlivesTheRename) {
  const auto place = userConfigPlaceIn(path("cfg"));
  std::filesystem::create_directories(pathFromUtf8(path("cfg/Clipquill")));
  writeFile(path("cfg/Clipquill/settings"), "preview.shown=0\nRecentTemplates.1=/t/a.qtpl\n");
  UserSettings settings(*files, place);
  EXPECT_FALSE(settings.get(kPreviewShownKey));
  ASSERT_TRUE(settings.set(kStandardKeysKey, true));
  const std::string file = readFile(settings.path());
  EXPECT_EQ(file.find("preview.shown"), std::string::npos) << file;
  EXPECT_NE(file.find("PreviewShown=0"), std::string::npos) << file;
}

}  // namespace
}  // namespace clipquill
