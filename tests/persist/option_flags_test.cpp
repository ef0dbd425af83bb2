// SPDX-License-Identifier: GPL-3.0-or-later
// The option flags: their key paths, the read and write rules over a store in
// memory, and the same over the folder store.
#include "persist/option_flags.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/messages.h"
#include "persist/folder_registry.h"
#include "support/fake_persist_files.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace clipquill {
namespace {

using testing::FakePersistFiles;
using testing::ScriptedUser;
using testing::TempDir;
using std::string_literals::operator""s;
using Values = std::map<std::string, RegistryValue>;

// Keys in memory, by their path as given; a key is made when it is opened.
class FakeRegistry : public RegistryStore {
 public:
  std::map<std::string, Values> keys;
  bool refuses = false;
  std::set<std::string> unwritable;  // value names whose setDword fails

  std::unique_ptr<RegistryKey> openOrCreate(std::string_view keyPath) override {
    if (refuses) return nullptr;
    return std::make_unique<Key>(*this, keys[std::string(keyPath)]);
  }

 private:
  class Key : public RegistryKey {
   public:
    Key(FakeRegistry& owner, Values& values) : owner_(owner), values_(values) {}
    std::optional<RegistryValue> query(std::string_view name) override {
      const auto it = values_.find(std::string(name));
      if (it == values_.end()) return std::nullopt;
      return it->second;
    }
    bool setDword(std::string_view name, std::uint32_t value) override {
      if (owner_.unwritable.contains(std::string(name))) return false;
      std::string bytes(4, '\0');
      for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>(value >> (8 * i));
      values_[std::string(name)] = {RegistryValueType::Dword, bytes};
      return true;
    }
    bool setString(std::string_view name, std::string_view text) override {
      if (owner_.unwritable.contains(std::string(name))) return false;
      values_[std::string(name)] = {RegistryValueType::String, std::string(text)};
      return true;
    }

   private:
    FakeRegistry& owner_;
    Values& values_;
  };
};

RegistryValue dword(const std::string& bytes) {
  return {RegistryValueType::Dword, bytes};
}
const RegistryValue kOne = dword("\x01\0\0\0"s);
const RegistryValue kZero = dword("\0\0\0\0"s);

TEST(OptionFlagsTest, KeyPathsHoldTheStemOnly) {
  const struct {
    std::string templateName, stem, forWriting, forReading;
  } rows[] = {
      {"Hall.qtpl", "Hall", "Software\\Clipquill\\Hall", "Software\\Clipquill\\Hall"},
      {"my.best.avs", "my", "Software\\Clipquill\\my", "Software\\Clipquill\\my"},
      {"a.b.txt", "a", "Software\\Clipquill\\a", "Software\\Clipquill\\a"},
      {"trailing.", "trailing", "Software\\Clipquill\\trailing", "Software\\Clipquill\\trailing"},
      {"plain", "", "Software\\Clipquill\\", "Software\\Clipquill\\"},
      {".hidden", "", "Software\\Clipquill\\", "Software\\Clipquill\\"},
      {"", "", "Software\\Clipquill\\", "Software\\Clipquill"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(flagsStem(row.templateName), row.stem) << row.templateName;
    EXPECT_EQ(flagsKeyForWriting("Clipquill", row.templateName), row.forWriting);
    EXPECT_EQ(flagsKeyForReading("Clipquill", row.templateName), row.forReading);
  }
}

TEST(OptionFlagsTest, OnlyAFourByteDwordOfZeroUnchecks) {
  const RegistryValue text0{RegistryValueType::String, "0"};
  const RegistryValue binary0{RegistryValueType::Other, "\0\0\0\0"s};
  const struct {
    const char* what;
    Values stored;
    OptionFlags read;
  } rows[] = {
      {"never saved", {}, {true, true}},
      {"1 and 0", {{"LoadInis", kOne}, {"SaveInis", kZero}}, {true, false}},
      {"2 and 0", {{"LoadInis", dword("\x02\0\0\0"s)}, {"SaveInis", kZero}}, {true, false}},
      {"high byte", {{"LoadInis", kZero}, {"SaveInis", dword("\0\0\0\x80"s)}}, {false, true}},
      {"REG_SZ 0", {{"LoadInis", text0}, {"SaveInis", kZero}}, {true, false}},
      {"binary 0", {{"LoadInis", kZero}, {"SaveInis", binary0}}, {false, true}},
      {"wrong size",
       {{"LoadInis", dword("\0\0"s)}, {"SaveInis", dword("\0\0\0\0\0"s)}},
       {true, true}},
  };
  for (const auto& row : rows) {
    FakeRegistry store;
    store.keys["Software\\Clipquill\\Hall"] = row.stored;
    EXPECT_EQ(readOptionFlags(store, "Clipquill", "Hall.qtpl", {false, false}), row.read)
        << row.what;
    EXPECT_EQ(store.keys.size(), 1u) << row.what;
  }
  // A first load leaves the key behind, empty.
  FakeRegistry store;
  EXPECT_EQ(readOptionFlags(store, "Clipquill", "New.avs", {false, false}), OptionFlags{});
  EXPECT_EQ(store.keys, (std::map<std::string, Values>{{"Software\\Clipquill\\New", {}}}));
}

TEST(OptionFlagsTest, EachFailedValueIsReportedAndTheOtherStillWritten) {
  const struct {
    OptionFlags flags;
    std::set<std::string> unwritable;
    Values stored;
    std::vector<std::string> boxes;
  } rows[] = {
      {{true, false}, {}, {{"LoadInis", kOne}, {"SaveInis", kZero}}, {}},
      {{false, true},
       {"LoadInis"},
       {{"SaveInis", kOne}},
       {std::string(msg::kCouldNotSaveLoadInis)}},
      {{false, false},
       {"SaveInis"},
       {{"LoadInis", kZero}},
       {std::string(msg::kCouldNotSaveSaveInis)}},
      {{true, true},
       {"LoadInis", "SaveInis"},
       {},
       {std::string(msg::kCouldNotSaveLoadInis), std::string(msg::kCouldNotSaveSaveInis)}},
  };
  for (const auto& row : rows) {
    FakeRegistry store;
    store.unwritable = row.unwritable;
    ScriptedUser user;
    writeOptionFlags(store, user, "Clipquill", "a.qtpl", row.flags);
    EXPECT_EQ(store.keys["Software\\Clipquill\\a"], row.stored);
    std::vector<std::string> texts;
    for (const auto& box : user.boxes) {
      texts.push_back(box.text);
      EXPECT_EQ(box.kind, MessageKind::Warning);
      EXPECT_EQ(box.buttons, Buttons::Ok);
    }
    EXPECT_EQ(texts, row.boxes);
  }
  EXPECT_EQ(msg::kCouldNotSaveLoadInis, "Could not save the value of \"Load Template ini's\"");
}

TEST(OptionFlagsTest, AStoreThatRefusesKeepsTheFlagsAndSaysNothing) {
  FakeRegistry store;
  store.refuses = true;
  for (const OptionFlags current : {OptionFlags{false, true}, OptionFlags{true, false}}) {
    EXPECT_EQ(readOptionFlags(store, "Clipquill", "Hall.qtpl", current), current);
  }
  ScriptedUser user;
  writeOptionFlags(store, user, "Clipquill", "Hall.qtpl", {false, false});
  EXPECT_TRUE(user.boxes.empty());

  // The folder store refuses so when its root is a file.
  FakePersistFiles files;
  files.files["/cfg/registry"] = "";
  FolderRegistry folders(files, "/cfg/registry");
  EXPECT_EQ(readOptionFlags(folders, "Clipquill", "Hall.qtpl", {false, true}),
            (OptionFlags{false, true}));
  writeOptionFlags(folders, user, "Clipquill", "Hall.qtpl", {false, false});
  EXPECT_TRUE(user.boxes.empty());
  EXPECT_EQ(files.writes, 0);

  // With no home at all, a save says that neither flag was stored.
  FakePersistFiles homeless;
  FolderRegistry nowhere(homeless, "/gone/.config/Clipquill/registry");
  writeOptionFlags(nowhere, user, "Clipquill", "Hall.qtpl", {false, false});
  ASSERT_EQ(user.boxes.size(), 2u);
  EXPECT_EQ(user.boxes[0].text, msg::kCouldNotSaveLoadInis);
  EXPECT_EQ(user.boxes[1].text, msg::kCouldNotSaveSaveInis);
  EXPECT_TRUE(homeless.folders.empty());
}

TEST(OptionFlagsTest, TemplatesOfOneStemShareTheirFlagsInTheFolderStore) {
  FakePersistFiles files;
  files.folders.insert("/cfg");
  FolderRegistry store(files, "/cfg/registry");
  ScriptedUser user;

  writeOptionFlags(store, user, "Clipquill", "a.qtpl", {false, true});
  EXPECT_EQ(files.files["/cfg/registry/Software/Clipquill/a/LoadInis"], "dword:00000000");
  EXPECT_EQ(files.files["/cfg/registry/Software/Clipquill/a/SaveInis"], "dword:00000001");
  EXPECT_EQ(readOptionFlags(store, "Clipquill", "A.b.txt", {}), (OptionFlags{false, true}));

  // 'plain' and '.hidden' share the application's own key; so does no template at all.
  writeOptionFlags(store, user, "Clipquill", "plain", {true, false});
  EXPECT_EQ(files.files["/cfg/registry/Software/Clipquill/SaveInis"], "dword:00000000");
  EXPECT_EQ(readOptionFlags(store, "Clipquill", ".hidden", {}), (OptionFlags{true, false}));
  EXPECT_EQ(readOptionFlags(store, "Clipquill", "", {}), (OptionFlags{true, false}));

  // Text or a broken file reads as checked; a never-saved template gets its empty key.
  files.files["/cfg/registry/Software/Clipquill/a/LoadInis"] = "sz:0";
  files.files["/cfg/registry/Software/Clipquill/a/SaveInis"] = "dword:0000";
  EXPECT_EQ(readOptionFlags(store, "Clipquill", "a.avs", {false, false}), OptionFlags{});
  EXPECT_EQ(readOptionFlags(store, "Clipquill", "new.avs", {false, false}), OptionFlags{});
  EXPECT_TRUE(files.folders.contains("/cfg/registry/Software/Clipquill/new"));
  EXPECT_TRUE(user.boxes.empty());
}

// Permission bits do not stop root: CTest runs this case once more as an
// unprivileged user through setpriv.
#if !defined(_WIN32)  // permission bits; Windows has access lists
TEST(OptionFlagsTest, UnprivilegedStoreWithoutRightsKeepsFlagsSilently) {
  if (::geteuid() == 0) GTEST_SKIP() << "root ignores permission bits";
  TempDir dir;
  const auto files = makeSystemPersistFiles();
  ScriptedUser user;

  // A root that cannot be created: no key, the flags kept, no message.
  ASSERT_EQ(::mkdir((dir.path() + "/locked").c_str(), 0555), 0);
  FolderRegistry refused(*files, dir.path() + "/locked/registry");
  EXPECT_EQ(readOptionFlags(refused, "Clipquill", "Hall.qtpl", {false, true}),
            (OptionFlags{false, true}));
  writeOptionFlags(refused, user, "Clipquill", "Hall.qtpl", {false, false});
  EXPECT_TRUE(user.boxes.empty());
  EXPECT_TRUE(testing::listFolder(dir.path() + "/locked").empty());

  // A key that exists but takes no values is refused the same way.
  FolderRegistry store(*files, dir.path() + "/registry");
  EXPECT_EQ(readOptionFlags(store, "Clipquill", "Hall.qtpl", {false, false}), OptionFlags{});
  ASSERT_EQ(::chmod((dir.path() + "/registry/Software/Clipquill/Hall").c_str(), 0555), 0);
  EXPECT_EQ(readOptionFlags(store, "Clipquill", "Hall.qtpl", {false, true}),
            (OptionFlags{false, true}));
  writeOptionFlags(store, user, "Clipquill", "Hall.qtpl", {false, false});
  EXPECT_TRUE(user.boxes.empty());
}
#endif

}  // namespace
}  // namespace clipquill
