// SPDX-License-Identifier: GPL-3.0-or-later
// The helper's and the picture's private folders: names no one can guess,
// and the sweep of those a program ended by a signal left, which must never
// take a live program's folder, a link, or a name of another shape.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "check/private_folder.h"
#include "support/temp_dir.h"

namespace clipquill {
namespace {

using testing::TempDir;

TEST(PrivateFolderTest, TheOwnerIsReadFromTheName) {
  struct Case {
    const char* name;
    std::optional<unsigned long> owner;
  };
  const Case cases[] = {
      {"clipquill-preview-123-AbC9xZ", 123},
      {"clipquill-preview-123-AbC9x", std::nullopt},  // not mkdtemp's six
      {"clipquill-preview--AbC9xZ", std::nullopt},
      {"clipquill-preview-0-AbC9xZ", std::nullopt},
      {"clipquill-preview-12a-AbC9xZ", std::nullopt},
      {"clipquill-preview-99999999999-AbC9xZ", std::nullopt},
      {"clipquill-check-123-AbC9xZ", std::nullopt},  // another prefix
      {"clipquill-preview-12345678901234567890-AbC9xZ", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(privateFolderOwner(c.name, "clipquill-preview-"), c.owner) << c.name;
  }
}

// A process that has ended: a child reaped.
unsigned long endedProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  int status = 0;
  ::waitpid(child, &status, 0);
  return static_cast<unsigned long>(child);
}

TEST(PrivateFolderTest, MadeUniqueAndSweptWhenItsProgramIsGone) {
  TempDir base;
  ::setenv("XDG_RUNTIME_DIR", base.path().c_str(), 1);
  const std::string prefix = "clipquill-test-";
  const std::string a = makePrivateFolder(prefix, FolderBase::Runtime);
  const std::string b = makePrivateFolder(prefix, FolderBase::Runtime);
  ASSERT_FALSE(a.empty());
  EXPECT_NE(a, b);
  EXPECT_EQ(a.rfind(base.path() + "/" + prefix + std::to_string(::getpid()) + "-", 0), 0u) << a;
  EXPECT_EQ(std::filesystem::status(a).permissions(), std::filesystem::perms::owner_all);

  const std::string dead = base.path() + "/" + prefix + std::to_string(endedProcess()) + "-AAAAAA";
  std::filesystem::create_directory(dead);
  testing::writeFile(dead + "/preview.avs", "BlankClip()");
  // A link of a dead owner's name into a folder that must stay.
  TempDir kept;
  const std::string link = base.path() + "/" + prefix + std::to_string(endedProcess()) + "-BBBBBB";
  std::filesystem::create_directory_symlink(kept.path(), link);
  const std::string other = base.path() + "/" + "unrelated-1-CCCCCC";
  std::filesystem::create_directory(other);

  EXPECT_EQ(sweepStalePrivateFolders(prefix, FolderBase::Runtime), 1);
  EXPECT_FALSE(std::filesystem::exists(dead));
  EXPECT_TRUE(std::filesystem::is_directory(a));  // ours, live
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_TRUE(std::filesystem::is_directory(kept.path()));
  EXPECT_TRUE(std::filesystem::is_directory(other));
  ::unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace clipquill
