// SPDX-License-Identifier: GPL-3.0-or-later
// The check's options in the option store as its files hold them: what a
// hand-edited or foreign value reads as, and a round trip.
#include "persist/check_settings.h"

#include <gtest/gtest.h>

#include <string>

#include "persist/folder_registry.h"
#include "support/fake_persist_files.h"

namespace clipquill {
namespace {

using namespace std::string_literals;

const std::string kKey = "/reg/Software/Clipquill/";

TEST(CheckSettingsTest, ReadsWhatIsStoredAndDefaultsTheRest) {
  const struct {
    std::string library;  // the value files' bytes; "" leaves a file out
    std::string limit;
    CheckSettings read;
  } rows[] = {
      {"", "", {"", 10}},
      {"sz:/opt/avs/libavisynth.so", "dword:0000001e", {"/opt/avs/libavisynth.so", 30}},
      {"sz:", "dword:00000001", {"", 1}},
      // Out of range, of another type or broken: the default.
      {"dword:00000001", "dword:00000000", {"", 10}},
      {"hex:2f,61", "dword:00015181", {"", 10}},
      {"sz:/a\0"s, "sz:30", {"/a", 10}},
  };
  for (const auto& row : rows) {
    testing::FakePersistFiles files;
    if (!row.library.empty()) files.files[kKey + "AviSynthLibrary"] = row.library;
    if (!row.limit.empty()) files.files[kKey + "CheckTimeLimit"] = row.limit;
    FolderRegistry store(files, "/reg");
    EXPECT_EQ(readCheckSettings(store, "Clipquill"), row.read) << row.library << " " << row.limit;
  }
}

TEST(CheckSettingsTest, WhatIsWrittenReadsBack) {
  testing::FakePersistFiles files;
  files.folders.insert("/");  // the store makes its folder only below one that exists
  FolderRegistry store(files, "/reg");
  const CheckSettings settings{"/home/u/avs build/libavisynth.so", 3};
  ASSERT_TRUE(writeCheckSettings(store, "Clipquill", settings));
  EXPECT_EQ(readCheckSettings(store, "Clipquill"), settings);
  EXPECT_EQ(files.files[kKey + "CheckTimeLimit"], "dword:00000003");
}

}  // namespace
}  // namespace clipquill
