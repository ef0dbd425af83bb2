// SPDX-License-Identifier: GPL-3.0-or-later
// The option flags in Wine's (or Windows's) registry: below the machine's
// hive where it may be written, below the user's where it may not, and read
// in the same order. Each test works below a key of its own in
// HKEY_CURRENT_USER, standing in for both hives, and removes it afterwards.
#include "core/windows_api.h"

#include <gtest/gtest.h>

#include <string>

#include "persist/option_flags.h"
#include "persist/registry_store_win32.h"
#include "support/fakes.h"

namespace clipquill {
namespace {

const RegistryValue kZero{RegistryValueType::Dword, std::string(4, '\0')};
const RegistryValue kOne{RegistryValueType::Dword, std::string("\1\0\0\0", 4)};

class Win32RegistryTest : public ::testing::Test {
 protected:
  Win32RegistryTest()
      : base_(L"Software\\ClipquillTest-" + std::to_wstring(::GetCurrentProcessId())) {
    ::RegCloseKey(createKey(base_, false));
  }
  ~Win32RegistryTest() override {
    for (HKEY key : {machine_, user_})
      if (key) ::RegCloseKey(key);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, base_.c_str());
  }

  // The stand-ins for the two hives. A volatile machine hive takes no lasting
  // key below it, as HKEY_LOCAL_MACHINE takes none from a user without
  // administrator rights.
  void makeHives(bool machineRefuses) {
    machine_ = createKey(base_ + L"\\machine", machineRefuses);
    user_ = createKey(base_ + L"\\user", false);
    store_ = makeWin32RegistryStore(machine_, user_);
  }

  static HKEY createKey(const std::wstring& path, bool isVolatile) {
    HKEY key = nullptr;
    EXPECT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr,
                                isVolatile ? REG_OPTION_VOLATILE : REG_OPTION_NON_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    return key;
  }

  static std::optional<DWORD> dwordIn(HKEY root, const wchar_t* key, const wchar_t* value) {
    DWORD data = 0;
    DWORD size = sizeof data;
    if (::RegGetValueW(root, key, value, RRF_RT_REG_DWORD, nullptr, &data, &size) !=
        ERROR_SUCCESS) {
      return std::nullopt;
    }
    return data;
  }

  std::wstring base_;
  HKEY machine_ = nullptr;
  HKEY user_ = nullptr;
  std::unique_ptr<RegistryStore> store_;
  testing::ScriptedUser user;
};

TEST_F(Win32RegistryTest, TheMachinesHiveWhereItMayBeWritten) {
  makeHives(false);
  writeOptionFlags(*store_, user, "Clipquill", "Hall.qtpl", {.loadInis = false, .saveInis = true});
  EXPECT_EQ(dwordIn(machine_, L"Software\\Clipquill\\Hall", L"LoadInis"), 0u);
  EXPECT_EQ(dwordIn(machine_, L"Software\\Clipquill\\Hall", L"SaveInis"), 1u);
  EXPECT_EQ(dwordIn(user_, L"Software\\Clipquill\\Hall", L"LoadInis"), std::nullopt);
  EXPECT_EQ(readOptionFlags(*store_, "Clipquill", "Hall.avs", {}),
            (OptionFlags{.loadInis = false, .saveInis = true}));
  EXPECT_TRUE(user.boxes.empty());
}

TEST_F(Win32RegistryTest, TheUsersHiveWhereTheMachinesRefuses) {
  makeHives(true);
  writeOptionFlags(*store_, user, "Clipquill", "Hall.qtpl", {.loadInis = false, .saveInis = false});
  EXPECT_TRUE(user.boxes.empty());  // stored, so nothing to warn about
  EXPECT_EQ(dwordIn(user_, L"Software\\Clipquill\\Hall", L"LoadInis"), 0u);
  EXPECT_EQ(dwordIn(machine_, L"Software\\Clipquill\\Hall", L"LoadInis"), std::nullopt);
  // A later run finds them again.
  const auto again = makeWin32RegistryStore(machine_, user_);
  EXPECT_EQ(readOptionFlags(*again, "Clipquill", "Hall.qtpl", {}),
            (OptionFlags{.loadInis = false, .saveInis = false}));
}

TEST_F(Win32RegistryTest, TheMachinesValueIsReadFirst) {
  makeHives(false);
  const auto machineKey = store_->openOrCreate("Software\\Clipquill\\Hall");
  ASSERT_TRUE(machineKey->setDword("LoadInis", 0));
  HKEY userKey = createKey(base_ + L"\\user\\Software\\Clipquill\\Hall", false);
  const DWORD one = 1;
  ::RegSetValueExW(userKey, L"LoadInis", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
  ::RegSetValueExW(userKey, L"SaveInis", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
  ::RegCloseKey(userKey);
  const auto key = store_->openOrCreate("\\Software\\\\Clipquill\\Hall\\");  // empty names skipped
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->query("LoadInis"), kZero);
  EXPECT_EQ(key->query("SaveInis"), std::nullopt);  // the machine's key holds none
  EXPECT_EQ(key->query(std::string("Load\0Inis", 9)), std::nullopt);
  EXPECT_FALSE(key->setDword(std::string("a\0b", 3), 1));
}

TEST_F(Win32RegistryTest, NoHiveToWriteKeepsTheFlagsAndSaysNothing) {
  machine_ = createKey(base_ + L"\\machine", true);
  user_ = createKey(base_ + L"\\user", true);
  store_ = makeWin32RegistryStore(machine_, user_);
  EXPECT_EQ(store_->openOrCreate("Software\\Clipquill\\Hall"), nullptr);
  const OptionFlags current{.loadInis = false, .saveInis = true};
  EXPECT_EQ(readOptionFlags(*store_, "Clipquill", "Hall.qtpl", current), current);
  writeOptionFlags(*store_, user, "Clipquill", "Hall.qtpl", current);
  EXPECT_TRUE(user.boxes.empty());
}

TEST_F(Win32RegistryTest, TheSystemStoreRoundTrips) {
  const std::string app = "ClipquillTest-" + std::to_string(::GetCurrentProcessId());
  const auto store = makeSystemRegistryStore();
  const auto key = store->openOrCreate("Software\\" + app + "\\Hall");
  ASSERT_NE(key, nullptr);
  ASSERT_TRUE(key->setDword("LoadInis", 1));
  EXPECT_EQ(store->openOrCreate("Software\\" + app + "\\Hall")->query("LoadInis"), kOne);
  const std::wstring wide(app.begin(), app.end());
  for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
    ::RegDeleteTreeW(hive, (L"Software\\" + wide).c_str());
}

}  // namespace
}  // namespace clipquill
