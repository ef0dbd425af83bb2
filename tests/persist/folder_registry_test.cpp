// SPDX-License-Identifier: GPL-3.0-or-later
// The folder store: its value notation, and its keys over files in memory and
// on the real file system.
#include "persist/folder_registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/fake_persist_files.h"
#include "support/temp_dir.h"

namespace clipquill {
namespace {

using testing::FakePersistFiles;
using testing::listFolder;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;
using Names = std::vector<std::string>;
using std::string_literals::operator""s;

RegistryValue dword(const std::string& bytes) {
  return {RegistryValueType::Dword, bytes};
}
RegistryValue text(const std::string& bytes) {
  return {RegistryValueType::String, bytes};
}
RegistryValue other(const std::string& bytes) {
  return {RegistryValueType::Other, bytes};
}

TEST(RegistryValueNotationTest, ParsesWhatTheNotationAllowsAndNothingElse) {
  const struct {
    std::string file;
    std::optional<RegistryValue> value;
  } rows[] = {
      {"dword:00000001", dword("\x01\0\0\0"s)},
      {"dword:DEADbeef", dword("\xef\xbe\xad\xde")},
      {"dword:00000000\n", dword("\0\0\0\0"s)},
      {"dword:00000002\r\n", dword("\x02\0\0\0"s)},
      {"sz:0", text("0")},
      {"sz:", text("")},
      {"sz:a\r\nb\0\n"s, text("a\r\nb\0\n"s)},  // to the end of the file, as it is
      {"hex:", other("")},
      {"hex:01,02,0A\r\n", other("\x01\x02\x0a")},
      {"hex(4):01,00", dword("\x01\0"s)},  // a DWORD of the wrong size
      // No value: empty, truncated, unknown type, stray bytes, bad digits.
      {"", std::nullopt},
      {"dword:0000", std::nullopt},
      {"dword:000000001", std::nullopt},
      {"dword:0x000001", std::nullopt},
      {"dword: 0000001", std::nullopt},
      {"dword:00000001 ", std::nullopt},
      {"dword:00000001\r", std::nullopt},
      {"dword:00000001\n\n", std::nullopt},
      {"dword:0000000g", std::nullopt},
      {"DWORD:00000001", std::nullopt},
      {"dword", std::nullopt},
      {"qword:0000000000000001", std::nullopt},
      {"hex(b):01,00,00,00,00,00,00,00", std::nullopt},
      {"hex:1,02", std::nullopt},
      {"hex:01,", std::nullopt},
      {"hex:,01", std::nullopt},
      {"hex:01 02", std::nullopt},
      {"hex:0g", std::nullopt},
      {"\xEF\xBB\xBF"
       "dword:00000001",
       std::nullopt},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(parseRegistryValue(row.file), row.value) << '"' << row.file << '"';
  }
}

TEST(RegistryValueNotationTest, FormatsEveryValueSoThatItParsesBack) {
  const struct {
    RegistryValue value;
    std::string file;
  } rows[] = {
      {dword("\x01\0\0\0"s), "dword:00000001"},
      {dword("\xef\xbe\xad\xde"), "dword:deadbeef"},
      {dword(""), "hex(4):"},
      {dword("\0\0\0\0\0"s), "hex(4):00,00,00,00,00"},
      {text("0"), "sz:0"},
      {text("\r\n\0"s), "sz:\r\n\0"s},
      {other(""), "hex:"},
      {other("\x01\x02\x0a\xff"), "hex:01,02,0a,ff"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(formatRegistryValue(row.value), row.file);
    EXPECT_EQ(parseRegistryValue(row.file), row.value) << row.file;
  }
}

// Sets environment variables for one test and puts them back afterwards.
class ScopedEnv {
 public:
  void set(const char* name, const char* value) {
    if (!saved_.contains(name)) {
      const char* old = std::getenv(name);
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
#if defined(_WIN32)
    ::_putenv_s(name, value ? value : "");  // "" unsets it there
#else
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
#endif
  }
  ~ScopedEnv() {
    for (const auto& [name, value] : saved_)
      set(name.c_str(), value ? value->c_str() : nullptr);
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

#if defined(_WIN32)
TEST(DefaultRegistryRootTest, OnWindowsTheFlagsLiveInTheRegistryWhateverTheEnvironment) {
  ScopedEnv env;
  env.set("XDG_CONFIG_HOME", "/cfg");
  env.set("HOME", "/home/u");
  EXPECT_EQ(defaultRegistryRoot(), "");
}
#else
TEST(DefaultRegistryRootTest, FollowsTheBaseDirectoryRules) {
  const struct {
    const char* config;
    const char* home;
    std::string root;
  } rows[] = {
      {"/cfg", "/home/u", "/cfg/Clipquill/registry"},
      {"/cfg/", nullptr, "/cfg/Clipquill/registry"},
      {"", "/home/u", "/home/u/.config/Clipquill/registry"},
      {nullptr, "/home/u", "/home/u/.config/Clipquill/registry"},
      {"relative", "/home/u", "/home/u/.config/Clipquill/registry"},
      {nullptr, nullptr, ""},
      {"relative", "", ""},
  };
  for (const auto& row : rows) {
    ScopedEnv env;
    env.set("XDG_CONFIG_HOME", row.config);
    env.set("HOME", row.home);
    EXPECT_EQ(defaultRegistryRoot(), row.root)
        << (row.config ? row.config : "(unset)") << " " << (row.home ? row.home : "(unset)");
  }

  // The system's store is the folder store at that root.
  TempDir dir;
  ScopedEnv env;
  env.set("XDG_CONFIG_HOME", dir.path().c_str());
  const auto key = makeSystemRegistryStore()->openOrCreate("Software\\Clipquill\\Hall");
  ASSERT_TRUE(key);
  ASSERT_TRUE(key->setDword("LoadInis", 1));
  EXPECT_EQ(readFile(dir.path() + "/Clipquill/registry/Software/Clipquill/Hall/LoadInis"),
            "dword:00000001");
}
#endif

class FolderRegistryFakeTest : public ::testing::Test {
 protected:
  FolderRegistryFakeTest() { files.folders.insert("/cfg"); }
  FakePersistFiles files;
  FolderRegistry store{files, "/cfg/registry/"};
};

TEST_F(FolderRegistryFakeTest, KeyPathsAreFoldersBelowTheRoot) {
  const struct {
    std::string keyPath;
    std::string valueFile;
  } rows[] = {
      {"Software\\Clipquill\\Hall", "/cfg/registry/Software/Clipquill/Hall/V"},
      {"Software\\Clipquill\\", "/cfg/registry/Software/Clipquill/V"},
      {"\\Software\\\\Clipquill", "/cfg/registry/Software/Clipquill/V"},
      {"Software\\Clip quill.x", "/cfg/registry/Software/Clip quill.x/V"},
      {"", "/cfg/registry/V"},
  };
  for (const auto& row : rows) {
    files.files.clear();
    const auto key = store.openOrCreate(row.keyPath);
    ASSERT_TRUE(key) << row.keyPath;
    EXPECT_TRUE(key->setDword("V", 0x2a)) << row.keyPath;
    EXPECT_EQ(files.files, (std::map<std::string, std::string>{{row.valueFile, "dword:0000002a"}}))
        << row.keyPath;
    EXPECT_EQ(key->query("v"), dword("\x2a\0\0\0"s)) << row.keyPath;
  }
}

TEST_F(FolderRegistryFakeTest, NamesThatWouldLeaveTheRootAreRefused) {
  for (const std::string& keyPath :
       {"Software\\..\\..\\etc"s, "Software\\."s, "a/b"s, ".."s, "Software\\a\0b"s}) {
    EXPECT_FALSE(store.openOrCreate(keyPath)) << keyPath;
  }
  EXPECT_EQ(files.folders, std::set<std::string>{"/cfg"});  // refused before anything was made

  const auto key = store.openOrCreate("Software");
  ASSERT_TRUE(key);
  for (const std::string& name : {""s, "."s, ".."s, "../V"s, "a\0b"s}) {
    EXPECT_FALSE(key->setDword(name, 1)) << name;
    EXPECT_EQ(key->query(name), std::nullopt) << name;
  }
  EXPECT_EQ(files.writes, 0);
}

TEST_F(FolderRegistryFakeTest, FaultsAreFailuresNotErrors) {
  files.files["/cfg/registry/K/Bad"] = "qword:00";
  files.files["/cfg/registry/K/Locked"] = "dword:00000000";
  files.readFaults["/cfg/registry/K/Locked"] = EACCES;
  files.writeFaults["/cfg/registry/K/Locked"] = ENOSPC;
  const auto key = store.openOrCreate("K");
  ASSERT_TRUE(key);
  EXPECT_EQ(key->query("Bad"), std::nullopt);
  EXPECT_EQ(key->query("Locked"), std::nullopt);
  EXPECT_EQ(key->query("Missing"), std::nullopt);
  EXPECT_FALSE(key->setDword("Locked", 1));
  EXPECT_EQ(files.files["/cfg/registry/K/Locked"], "dword:00000000");

  files.writeFaults["/cfg/registry/K/Sub"] = EACCES;
  EXPECT_FALSE(store.openOrCreate("K\\Sub\\Deeper"));
  files.writeFaults["/cfg/registry"] = EROFS;
  EXPECT_FALSE(store.openOrCreate("Other"));

  FolderRegistry rootless(files, "");
  EXPECT_FALSE(rootless.openOrCreate("K"));
}

class FolderRegistryTest : public ::testing::Test {
 protected:
  std::string path(const std::string& name) const { return dir.path() + "/" + name; }

  TempDir dir;
  std::unique_ptr<PersistFiles> files = makeSystemPersistFiles();
};

#if !defined(_WIN32)  // Windows file names ignore case themselves
TEST_F(FolderRegistryTest, NamesCompareWithoutRegardToCase) {
  std::filesystem::create_directories(path("reg/software/clipquill/HALL"));
  writeFile(path("reg/software/clipquill/HALL/loadinis"), "dword:00000000\n");
  FolderRegistry store(*files, path("reg"));

  const auto hall = store.openOrCreate("Software\\Clipquill\\Hall");
  ASSERT_TRUE(hall);
  EXPECT_EQ(hall->query("LoadInis"), dword("\0\0\0\0"s));
  EXPECT_TRUE(hall->setDword("LOADINIS", 1));
  EXPECT_TRUE(hall->setDword("SaveInis", 0));
  EXPECT_EQ(listFolder(path("reg")), Names{"software"});
  EXPECT_EQ(listFolder(path("reg/software/clipquill")), Names{"HALL"});
  EXPECT_EQ(listFolder(path("reg/software/clipquill/HALL")), (Names{"SaveInis", "loadinis"}));
  EXPECT_EQ(readFile(path("reg/software/clipquill/HALL/loadinis")), "dword:00000001");

  // A new key takes the case it is asked for, below the existing ones.
  ASSERT_TRUE(store.openOrCreate("SOFTWARE\\Clipquill\\Room"));
  EXPECT_EQ(listFolder(path("reg/software/clipquill")), (Names{"HALL", "Room"}));

  // Where a value file and a subkey folder differ only in case, each finds its own.
  std::filesystem::create_directory(path("reg/software/clipquill/HALL/Flag"));
  writeFile(path("reg/software/clipquill/HALL/FLAG"), "sz:0");
  EXPECT_EQ(hall->query("flag"), text("0"));
  ASSERT_TRUE(store.openOrCreate("Software\\Clipquill\\Hall\\flag"));
  EXPECT_EQ(listFolder(path("reg/software/clipquill/HALL/Flag")), Names{});
}
#endif

TEST_F(FolderRegistryTest, ARootThatIsAFileRefusesAccess) {
  writeFile(path("file"), "x");
  for (const std::string& root : {path("file"), path("file/registry")}) {
    FolderRegistry store(*files, root);
    EXPECT_FALSE(store.openOrCreate("Software\\Clipquill\\Hall")) << root;
  }
  EXPECT_EQ(readFile(path("file")), "x");

  // The store's own folders above the root are made; a value that is a
  // folder is none.
  std::filesystem::create_directory(path("home"));
  FolderRegistry store(*files, path("home/.config/Clipquill/registry"));
  const auto key = store.openOrCreate("K");
  ASSERT_TRUE(key);
  std::filesystem::create_directory(path("home/.config/Clipquill/registry/K/Dir"));
  EXPECT_EQ(key->query("Dir"), std::nullopt);
  EXPECT_FALSE(key->setDword("Dir", 1));
}

// A home or config folder that is gone is not made again: each key opens,
// holds nothing and takes nothing, and nothing is created anywhere.
TEST_F(FolderRegistryTest, AMissingHomeIsNotMade) {
  for (const char* root : {"gone/deep/.config/Clipquill/registry", "gone/Clipquill/registry",
                           "gone/registry", "gone/.config/registry"}) {
    FolderRegistry store(*files, path(root));
    const auto key = store.openOrCreate("Software\\Clipquill\\Hall");
    ASSERT_TRUE(key) << root;
    EXPECT_FALSE(key->setDword("LoadInis", 0)) << root;
    EXPECT_EQ(key->query("LoadInis"), std::nullopt) << root;
    EXPECT_FALSE(std::filesystem::exists(path("gone"))) << root;
  }
  // The config folder exists: only the store's folders are made in it.
  std::filesystem::create_directory(path("cfg"));
  FolderRegistry store(*files, path("cfg/Clipquill/registry"));
  ASSERT_TRUE(store.openOrCreate("K"));
  EXPECT_EQ(listFolder(path("cfg/Clipquill/registry")), Names{"K"});
}

}  // namespace
}  // namespace clipquill
