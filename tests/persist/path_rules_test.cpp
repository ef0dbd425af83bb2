// SPDX-License-Identifier: GPL-3.0-or-later
// The path rules, with Windows paths and their POSIX counterparts.
#include "persist/path_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace clipquill {
namespace {

TEST(PathRulesTest, AbsolutePathsLeaveTheWorkingFolderOut) {
  const struct {
    const PathSeparators& seps;
    std::string path;
    bool absolute;
  } cases[] = {
      {kWindowsSeparators, R"(C:\t)", true},    {kWindowsSeparators, "c:t", true},
      {kWindowsSeparators, R"(\t)", true},      {kWindowsSeparators, "/t", true},
      {kWindowsSeparators, R"(\\srv\s)", true}, {kWindowsSeparators, "t\\u", false},
      {kWindowsSeparators, ":t", false},        {kWindowsSeparators, "1:t", false},
      {kPosixSeparators, "/t", true},           {kPosixSeparators, "C:/t", false},
      {kPosixSeparators, R"(\t)", false},       {kPosixSeparators, "", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(isAbsolutePath(c.path, c.seps), c.absolute) << c.path;
}

// A typed path in full, as Windows reads it, so that a script names its clip
// from wherever it runs; D's kept folder is "D:\\kept", E keeps none.
TEST(PathRulesTest, TypedPathsAreReadInFullAgainstTheWorkingFolder) {
  const DriveFolderLookup kept = [](char drive) {
    return drive == 'D' ? std::string(R"(D:\kept)") : std::string();
  };
  const struct {
    const PathSeparators& seps;
    std::string working, path, full;
  } cases[] = {
      {kWindowsSeparators, R"(C:\w)", "clips", R"(C:\w\clips)"},
      {kWindowsSeparators, R"(C:\w)", R"(C:\x\clips)", R"(C:\x\clips)"},
      {kWindowsSeparators, R"(C:\w)", "C:/x", "C:/x"},
      {kWindowsSeparators, R"(C:\w)", R"(\\srv\share\clips)", R"(\\srv\share\clips)"},
      {kWindowsSeparators, R"(C:\w)", "//srv/share/clips", "//srv/share/clips"},
      // The root of the working folder's drive, or of its share.
      {kWindowsSeparators, R"(C:\w)", R"(\clips)", R"(C:\clips)"},
      {kWindowsSeparators, R"(C:\w)", "/clips", "C:/clips"},
      {kWindowsSeparators, R"(\\srv\share\w)", R"(\clips)", R"(\\srv\share\clips)"},
      {kWindowsSeparators, R"(\\srv\share)", "clips", R"(\\srv\share\clips)"},
      // A drive's current folder: the working folder's own, one kept, or
      // the drive's root.
      {kWindowsSeparators, R"(C:\w)", "C:clips", R"(C:\w\clips)"},
      {kWindowsSeparators, R"(c:\w)", "C:clips", R"(c:\w\clips)"},
      {kWindowsSeparators, R"(C:\w)", "d:clips", R"(D:\kept\clips)"},
      {kWindowsSeparators, R"(C:\w)", "E:clips", R"(E:\clips)"},
      {kWindowsSeparators, R"(C:\w)", "D:", R"(D:\kept\)"},
      {kWindowsSeparators, R"(\\srv\share\w)", "C:clips", R"(C:\clips)"},
      {kWindowsSeparators, R"(C:\w)", "", ""},
      {kWindowsSeparators, "", "clips", R"(\clips)"},
      {kPosixSeparators, "/w", "clips", "/w/clips"},
      {kPosixSeparators, "/w", "/clips", "/clips"},
      {kPosixSeparators, "/w", "C:clips", "/w/C:clips"},
      {kPosixSeparators, "/w", R"(\clips)", R"(/w/\clips)"},
      {kPosixSeparators, "", "clips", "/clips"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(fullPathAgainst(c.working, c.path, kept, c.seps), c.full)
        << c.working << " + " << c.path;
}

// A share's root is never climbed above, nor its "\\" made one.
TEST(PathRulesTest, AShareRootIsServerAndShare) {
  const struct {
    const PathSeparators& seps;
    std::string path;
    std::size_t length;
  } cases[] = {
      {kWindowsSeparators, R"(\\srv\share\clips)", 11},
      {kWindowsSeparators, "//srv/share/x", 11},
      {kWindowsSeparators, R"(\\srv\share)", 11},
      {kWindowsSeparators, R"(\\srv)", 5},
      {kWindowsSeparators, R"(\\\x)", 0},
      {kWindowsSeparators, R"(\x)", 0},
      {kWindowsSeparators, R"(C:\x)", 0},
      {kPosixSeparators, "//srv/share/x", 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(shareRootLength(c.path, c.seps), c.length) << c.path;
}

TEST(PathRulesTest, AFolderIsClosedWithTheSeparatorItUses) {
  const struct {
    const PathSeparators& seps;
    std::string folder, closed;
  } cases[] = {
      {kWindowsSeparators, R"(C:\t)", R"(C:\t\)"},
      {kWindowsSeparators, "C:/t", "C:/t/"},
      {kWindowsSeparators, R"(C:\t/u)", R"(C:\t/u/)"},
      {kWindowsSeparators, "C:", R"(C:\)"},
      {kWindowsSeparators, "t", R"(t\)"},
      {kWindowsSeparators, "C:/t/", "C:/t/"},
      {kPosixSeparators, R"(a\b)", R"(a\b/)"},
      {kPosixSeparators, "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(withTrailingSeparator(c.folder, c.seps), c.closed) << c.folder;
  }
}

TEST(PathRulesTest, TakesAPathApart) {
  const struct {
    const PathSeparators& seps;
    std::string path, folder, name, templateDir;
  } cases[] = {
      {kWindowsSeparators, R"(C:\t\a.qtpl)", R"(C:\t)", "a.qtpl", R"(C:\t\)"},
      {kWindowsSeparators, R"(C:\a.qtpl)", R"(C:\)", "a.qtpl", R"(C:\)"},
      {kWindowsSeparators, R"(\\srv\share\a.qtpl)", R"(\\srv\share)", "a.qtpl", R"(\\srv\share\)"},
      {kWindowsSeparators, R"(\\srv)", R"(\\)", "srv", R"(\\)"},
      {kWindowsSeparators, "C:a.qtpl", "C:", "a.qtpl", R"(C:\)"},
      {kWindowsSeparators, R"(C:\t\)", R"(C:\t)", "", R"(C:\t\)"},
      {kWindowsSeparators, "/t/a.qtpl", "/t", "a.qtpl", "/t/"},  // Windows takes "/" too
      {kWindowsSeparators, "C:/t/a.qtpl", "C:/t", "a.qtpl", "C:/t/"},
      {kWindowsSeparators, "C:/a.qtpl", "C:/", "a.qtpl", "C:/"},
      {kPosixSeparators, "/t/a.qtpl", "/t", "a.qtpl", "/t/"},
      {kPosixSeparators, "/a.qtpl", "/", "a.qtpl", "/"},
      {kPosixSeparators, "//srv/a.qtpl", "//srv", "a.qtpl", "//srv/"},
      {kPosixSeparators, "//a.qtpl", "//", "a.qtpl", "//"},
      {kPosixSeparators, "t/a.qtpl", "t", "a.qtpl", "t/"},
      {kPosixSeparators, "/t/", "/t", "", "/t/"},
      {kPosixSeparators, R"(C:\t\a.qtpl)", "", R"(C:\t\a.qtpl)", ""},
      {kPosixSeparators, "a.qtpl", "", "a.qtpl", ""},  // no folder part: joins as a bare name
      {kPosixSeparators, "", "", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(folderOfPath(c.path, c.seps), c.folder) << c.path;
    EXPECT_EQ(fileNameOfPath(c.path, c.seps), c.name) << c.path;
    EXPECT_EQ(templateFolder(c.path, c.seps), c.templateDir) << c.path;
  }
}

TEST(PathRulesTest, NamesTheSettingsFile) {
  const struct {
    const PathSeparators& seps;
    std::string name, ini;
  } cases[] = {
      {kPosixSeparators, "DefaultTemplate.qtpl", "DefaultTemplate.ini"},
      {kPosixSeparators, "my.best.avs", "my.best.ini"},
      {kPosixSeparators, "plain", "plain.ini"},
      {kPosixSeparators, "x.ini", "x.ini"},
      {kPosixSeparators, "trailing.", "trailing.ini"},
      {kPosixSeparators, ".hidden", ".ini"},
      {kPosixSeparators, "", ".ini"},
      {kPosixSeparators, "my.dir/new", "my.dir/new.ini"},
      {kPosixSeparators, R"(my.dir\new)", R"(my.ini)"},
      {kWindowsSeparators, R"(my.dir\new)", R"(my.dir\new.ini)"},
      {kWindowsSeparators, "a.b:new", "a.b:new.ini"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(iniNameFor(c.name, c.seps), c.ini) << c.name;
}

TEST(PathRulesTest, SaveAddsTheChosenExtensionOnlyWithoutAnyDot) {
  const struct {
    std::string path;
    int index;
    std::string saved;
  } cases[] = {
      {"/t/new", 1, "/t/new.qtpl"},      {"/t/new", 2, "/t/new.avs"}, {"/t/new", 3, "/t/new.txt"},
      {"/t/new", 4, "/t/new"},           {"/t/new", 0, "/t/new"},     {"/t/new", 5, "/t/new"},
      {"/my.dir/new", 2, "/my.dir/new"}, {"/t/new.", 1, "/t/new."},   {"/t/a.qtpl", 2, "/t/a.qtpl"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(withSaveExtension(c.path, c.index), c.saved) << c.path << " " << c.index;

  // Labels are shown as they stand, the open list's misspelling included.
  EXPECT_EQ(kOpenFileTypes[2].label, "Text files (*.txt)");
  EXPECT_EQ(kOpenFileTypes[1].label, "AVISynth Script (*.avs)");
  EXPECT_EQ(kSaveFileTypes[1].label, "AVISynth (*.avs)");
  EXPECT_EQ(kSaveFileTypes[2].label, "Text files (*.txt)");
  for (const auto* types : {&kOpenFileTypes, &kSaveFileTypes}) {
    EXPECT_EQ((*types)[0].label, "Quill Template (*.qtpl)");
    EXPECT_EQ((*types)[3].label, "All files (*.*)");
    EXPECT_EQ((*types)[3].pattern, "*.*");
    for (const FileType& type : *types) {
      // A pattern names the extension the type adds.
      EXPECT_EQ(type.pattern.substr(1), type.extension.empty() ? ".*" : type.extension);
    }
  }
}

TEST(PathRulesTest, FindsTheInstalledDataFolderFromTheProgramFolder) {
  const struct {
    const PathSeparators& seps;
    std::string folder, relative, joined;
  } cases[] = {
      {kPosixSeparators, "/usr/bin/", "../share/clipquill", "/usr/share/clipquill/"},
      {kPosixSeparators, "/opt/cq/bin", "../share/clipquill/", "/opt/cq/share/clipquill/"},
      {kPosixSeparators, "/usr/lib/x/bin/", "../../../share/./cq", "/usr/share/cq/"},
      {kPosixSeparators, "bin/", "../share", "share/"},  // read against the working folder
      {kPosixSeparators, "", "../share", "../share/"},
      {kPosixSeparators, "/", "../share", "/../share/"},  // the root has nothing to take off
      {kPosixSeparators, "/a/../", "../share", "/a/../../share/"},
      {kPosixSeparators, "/a/./", "../share", "/a/./../share/"},
      {kPosixSeparators, "//srv/", "../share", "//share/"},
      {kPosixSeparators, "/usr/bin/", "", "/usr/bin/"},
      {kPosixSeparators, "/usr/bin/", "data", "/usr/bin/data/"},
      {kWindowsSeparators, R"(C:\Cq\bin\)", "../share/clipquill", R"(C:\Cq\share\clipquill\)"},
      {kWindowsSeparators, R"(C:\)", "../share", R"(C:\..\share\)"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(joinRelativeFolder(c.folder, c.relative, c.seps), c.joined)
        << c.folder << " + " << c.relative;

  using Folders = std::vector<std::string>;
  EXPECT_EQ(defaultTemplateFolders("/usr/bin/", "../share/clipquill", kPosixSeparators),
            (Folders{"/usr/bin/", "/usr/share/clipquill/"}));
  // No program folder known: only the bare name, as before.
  EXPECT_EQ(defaultTemplateFolders("", "../share/clipquill", kPosixSeparators), Folders{""});
  EXPECT_EQ(defaultTemplateFolders("/app/", ".", kPosixSeparators), Folders{"/app/"});
  // The build's install layout, relative so that the installed tree can move.
  EXPECT_NE(installedDataFolder().substr(0, 1), "/");
  EXPECT_TRUE(installedDataFolder().ends_with("/clipquill")) << installedDataFolder();
}

}  // namespace

TEST(PathRulesTest, TheUsersOwnFolderFollowsTheBaseDirectoryRules) {
  const struct {
    const char* config;
    const char* home;
    std::string folder;
  } rows[] = {
      {"/cfg//", "/home/u", "/cfg/Clipquill/"},
      {"cfg", "/home/u/", "/home/u/.config/Clipquill/"},  // a relative one does not count
      {nullptr, "/home/u", "/home/u/.config/Clipquill/"},
      {"", "", ""},
  };
  for (const auto& row : rows)
    EXPECT_EQ(userConfigFolderFor(row.config, row.home), row.folder);

  using Folders = std::vector<std::string>;
  EXPECT_EQ(defaultTemplateSearch("/c/", "/c/", ".", kPosixSeparators), Folders{"/c/"});
}

}  // namespace clipquill
