// SPDX-License-Identifier: GPL-3.0-or-later
// The option flags and the check's settings in Wine's (or Windows's)
// registry: below the machine's hive where it may be written, below the
// user's where it may not, and read first from the hive written to. Each
// test works below a key of its own in HKEY_CURRENT_USER, standing in for
// both hives, and removes it afterwards.
#include "core/windows_api.h"

#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "persist/check_settings.h"
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

  static std::optional<std::wstring> stringIn(HKEY root, const wchar_t* key, const wchar_t* value) {
    DWORD size = 0;
    if (::RegGetValueW(root, key, value, RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (::RegGetValueW(root, key, value, RRF_RT_REG_SZ, nullptr, text.data(), &size) !=
        ERROR_SUCCESS) {
      return std::nullopt;
    }
    text.resize(size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0')
      text.pop_back();
    return text;
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

// Every kind of value the program keeps in the store (the check's library,
// a string, and its time limit and the templates' flags, DWORDs), written
// through it and read back, in the machine's hive and in the user's. Each row
// writes over the one before, so a shorter string must replace a longer one
// whole.
TEST_F(Win32RegistryTest, EveryStoredValueReadsBackAsWritten) {
  const std::string longPath = "C:\\" + std::string(64 * 1024, 'x') + "\\AviSynth.dll";
  const struct {
    CheckSettings check;
    OptionFlags flags;
    std::wstring inRegistry;  // the library as the registry holds it; "" not checked
  } rows[] = {
      {{longPath, 30}, {.loadInis = false, .saveInis = true}, {}},
      {{"C:\\Program Files\\AviSynth+\\AviSynth.dll", 1},
       {.loadInis = true, .saveInis = false},
       L"C:\\Program Files\\AviSynth+\\AviSynth.dll"},
      {{"D:\\Vid\xC3\xA9os\\\xE8\xA6\x96\xE9\xA0\xBB\\\xF0\x9F\x8E\xAC\\AviSynth.dll", 86400},
       {.loadInis = false, .saveInis = false},
       L"D:\\Vid\u00E9os\\\u8996\u983B\\\U0001F3AC\\AviSynth.dll"},
      {{"", 10}, {.loadInis = true, .saveInis = true}, {}},
  };
  for (const bool machineRefuses : {false, true}) {
    makeHives(machineRefuses);
    const HKEY written = machineRefuses ? user_ : machine_;
    for (const auto& row : rows) {
      const std::string what = row.check.avisynthLibrary.substr(0, 40) +
                               (machineRefuses ? " (user's hive)" : " (machine's hive)");
      ASSERT_TRUE(writeCheckSettings(*store_, "Clipquill", row.check)) << what;
      writeOptionFlags(*store_, user, "Clipquill", "Hall.qtpl", row.flags);
      EXPECT_TRUE(user.boxes.empty()) << what;
      // A later run reads them as a fresh store does.
      const auto again = makeWin32RegistryStore(machine_, user_);
      EXPECT_EQ(readCheckSettings(*again, "Clipquill"), row.check) << what;
      EXPECT_EQ(readOptionFlags(*again, "Clipquill", "Hall.qtpl", {}), row.flags) << what;
      if (!row.inRegistry.empty()) {
        EXPECT_EQ(stringIn(written, L"Software\\Clipquill", L"AviSynthLibrary"), row.inRegistry)
            << what;
      }
    }
    for (HKEY key : {machine_, user_})
      ::RegCloseKey(key);
    machine_ = user_ = nullptr;
    for (const wchar_t* hive : {L"\\machine", L"\\user"})
      ::RegDeleteTreeW(HKEY_CURRENT_USER, (base_ + hive).c_str());
  }
}

// What another program (or a hand in regedit) may have left under the
// program's names reads as the default, never as a value of the wrong kind.
TEST_F(Win32RegistryTest, AValueOfAnotherTypeReadsAsTheDefault) {
  const auto wide = [](const std::wstring& text, bool withNul) {
    std::string bytes(reinterpret_cast<const char*>(text.c_str()),
                      (text.size() + (withNul ? 1 : 0)) * sizeof(wchar_t));
    return bytes;
  };
  const struct {
    const wchar_t* value;
    DWORD type;
    std::string bytes;
    CheckSettings check;
    OptionFlags flags;
  } rows[] = {
      {L"AviSynthLibrary", REG_DWORD, std::string("\1\0\0\0", 4), {}, {}},
      {L"AviSynthLibrary", REG_BINARY, "C:\\a.dll", {}, {}},
      {L"AviSynthLibrary", REG_EXPAND_SZ, wide(L"%TEMP%\\a.dll", true), {}, {}},
      {L"AviSynthLibrary", REG_SZ, std::string("C\0:", 3), {}, {}},  // odd: no UTF-16
      // Written without its NUL, as some writers do: the text all the same.
      {L"AviSynthLibrary", REG_SZ, wide(L"C:\\a.dll", false), {"C:\\a.dll", 10}, {}},
      {L"CheckTimeLimit", REG_SZ, wide(L"30", true), {}, {}},
      {L"CheckTimeLimit", REG_QWORD, std::string("\x1e\0\0\0\0\0\0\0", 8), {}, {}},
      {L"CheckTimeLimit", REG_DWORD, std::string("\x1e\0", 2), {}, {}},
      {L"LoadInis", REG_SZ, wide(L"0", true), {}, {}},
      {L"LoadInis", REG_BINARY, std::string(4, '\0'), {}, {}},
      {L"SaveInis", REG_DWORD, std::string(2, '\0'), {}, {}},
  };
  makeHives(false);
  for (const auto& row : rows) {
    const std::string what = std::to_string(row.type) + " " + row.bytes.substr(0, 16);
    HKEY key = createKey(base_ + L"\\machine\\Software\\Clipquill", false);
    ASSERT_EQ(::RegSetValueExW(key, row.value, 0, row.type,
                               reinterpret_cast<const BYTE*>(row.bytes.data()),
                               static_cast<DWORD>(row.bytes.size())),
              ERROR_SUCCESS);
    HKEY flags = createKey(base_ + L"\\machine\\Software\\Clipquill\\Hall", false);
    ::RegSetValueExW(flags, row.value, 0, row.type, reinterpret_cast<const BYTE*>(row.bytes.data()),
                     static_cast<DWORD>(row.bytes.size()));
    EXPECT_EQ(readCheckSettings(*store_, "Clipquill"), row.check) << what;
    EXPECT_EQ(
        readOptionFlags(*store_, "Clipquill", "Hall.qtpl", {.loadInis = false, .saveInis = false}),
        row.flags)
        << what;
    ::RegDeleteValueW(key, row.value);
    ::RegDeleteValueW(flags, row.value);
    ::RegCloseKey(key);
    ::RegCloseKey(flags);
  }
}

// An administrator's earlier run left its values in the machine's hive, which
// this user may read but not write: what the user stores now is what is read.
TEST_F(Win32RegistryTest, TheUsersOwnValueOutranksTheMachinesOlderOne) {
  HKEY old = createKey(base_ + L"\\machine\\Software\\Clipquill", false);
  const std::wstring oldPath = L"C:\\old\\AviSynth.dll";
  ::RegSetValueExW(old, L"AviSynthLibrary", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(oldPath.c_str()),
                   static_cast<DWORD>((oldPath.size() + 1) * sizeof(wchar_t)));
  // Everyone may read the key, no one may write it.
  PSECURITY_DESCRIPTOR readOnly = nullptr;
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"D:P(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly, nullptr));
  ASSERT_EQ(::RegSetKeySecurity(old, DACL_SECURITY_INFORMATION, readOnly), ERROR_SUCCESS);
  ::LocalFree(readOnly);
  ::RegCloseKey(old);
  makeHives(false);
  store_ = makeWin32RegistryStore(machine_, user_);
  EXPECT_EQ(readCheckSettings(*store_, "Clipquill").avisynthLibrary, "C:\\old\\AviSynth.dll");
  const CheckSettings chosen{"C:\\new\\AviSynth.dll", 20};
  ASSERT_TRUE(writeCheckSettings(*store_, "Clipquill", chosen));
  EXPECT_EQ(stringIn(user_, L"Software\\Clipquill", L"AviSynthLibrary"), L"C:\\new\\AviSynth.dll");
  EXPECT_EQ(readCheckSettings(*makeWin32RegistryStore(machine_, user_), "Clipquill"), chosen);
}

TEST_F(Win32RegistryTest, AStringThatCannotCrossIsRefused) {
  makeHives(false);
  const auto key = store_->openOrCreate("Software\\Clipquill");
  ASSERT_NE(key, nullptr);
  ASSERT_TRUE(key->setString("AviSynthLibrary", "C:\\kept.dll"));
  for (const std::string& text : {std::string("C:\\a\0b.dll", 10), std::string("C:\\\xFF.dll")}) {
    EXPECT_FALSE(key->setString("AviSynthLibrary", text));
  }
  EXPECT_EQ(key->query("AviSynthLibrary"),
            (RegistryValue{RegistryValueType::String, "C:\\kept.dll"}));
}

}  // namespace
}  // namespace clipquill
