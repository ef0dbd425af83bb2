// SPDX-License-Identifier: GPL-3.0-or-later
// A batch of clips handed over as paths, on the real file system: grouped by
// folder, folders opened through the filter list, what is gone noted, and the
// refusals that keep a batch from being half-written.
#include "app/clip_batch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace clipquill {
namespace {

using testing::TempDir;
using testing::writeFile;
using Lines = std::vector<std::string>;

FilterList ticked(const Lines& texts) {
  FilterList filters;
  for (const std::string& text : texts) {
    filters.add(text);
    filters.setState(filters.count() - 1, CheckState::Checked);
  }
  return filters;
}

class ClipBatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"a", "b", "b/inner", "empty", "take two é"})
      std::filesystem::create_directories(dir.path() + "/" + folder);
    for (const char* file : {"a/1.avi", "a/2.avi", "a/10.avi", "a/notes.txt", "a/.hidden.avi",
                             "b/x.avi", "b/x.mkv", "b/plain", "take two é/clip one.AVI"})
      writeFile(dir.path() + "/" + file, "");
  }
  std::string at(const std::string& rest) const { return dir.path() + "/" + rest; }

  TempDir dir;
  std::unique_ptr<Folders> folders = makeSystemFolders();
};

TEST_F(ClipBatchTest, GroupsFilesAndFoldersByFolder) {
  struct Case {
    const char* name;
    Lines paths;
    Lines filters;
    Lines groups;  // "folder: clip clip | extensions"
    Lines vanished, notClips, emptyFolders;
  };
  const std::vector<Case> cases{
      {"files of one folder, in the order given, each once",
       {"a/2.avi", "a/1.avi", "a/2.avi"},
       {"avi"},
       {"a/: 2.avi 1.avi | avi"},
       {},
       {},
       {}},
      {"a file the filters do not list is still taken, and said",
       {"a/notes.txt", "a/1.avi"},
       {"avi"},
       {"a/: notes.txt 1.avi | txt avi"},
       {},
       {"a/notes.txt"},
       {}},
      {"with no filter ticked every file is a clip",
       {"b/plain", "b/x.mkv"},
       {},
       {"b/: plain x.mkv |  mkv"},
       {},
       {},
       {}},
      {"a folder gives its clips through the filters, naturally ordered, hidden files not",
       {"a"},
       {"avi"},
       {"a/: 1.avi 2.avi 10.avi | avi"},
       {},
       {},
       {}},
      {"a folder and a file of it are one group, the file taken once",
       {"a/2.avi", "a"},
       {"avi"},
       {"a/: 2.avi 1.avi 10.avi | avi"},
       {},
       {},
       {}},
      {"clips of several folders: one group each, in the order first named",
       {"b/x.avi", "take two é/clip one.AVI", "a/1.avi", "b/x.mkv"},
       {"avi", "mkv"},
       {"b/: x.avi x.mkv | avi mkv", "take two é/: clip one.AVI | AVI", "a/: 1.avi | avi"},
       {},
       {},
       {}},
      {"a vanished file is left out and named",
       {"a/gone.avi", "a/1.avi"},
       {"avi"},
       {"a/: 1.avi | avi"},
       {"a/gone.avi"},
       {},
       {}},
      {"a folder without clips is named, not a group",
       {"empty", "b/inner"},
       {"avi"},
       {},
       {},
       {},
       {"empty", "b/inner"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Lines paths;
    for (const std::string& p : c.paths)
      paths.push_back(at(p));
    const ClipBatch batch = gatherClipBatch(*folders, paths, ticked(c.filters));
    Lines groups;
    std::size_t count = 0;
    for (const ClipGroup& g : batch.groups) {
      std::string line = g.folder.substr(dir.path().size() + 1) + ":";
      for (const std::string& clip : g.clips)
        line += " " + clip;
      line += " |";
      for (const std::string& e : g.extensions)
        line += " " + e;
      groups.push_back(line);
      count += g.clips.size();
    }
    EXPECT_EQ(groups, c.groups);
    EXPECT_EQ(batch.clipCount(), count);
    const auto relative = [&](const Lines& full) {
      Lines out;
      for (const std::string& p : full)
        out.push_back(p.substr(dir.path().size() + 1));
      return out;
    };
    EXPECT_EQ(relative(batch.vanished), c.vanished);
    EXPECT_EQ(relative(batch.notClips), c.notClips);
    EXPECT_EQ(relative(batch.emptyFolders), c.emptyFolders);
  }
}

TEST_F(ClipBatchTest, RefusalsBeforeAnythingIsWritten) {
  const ClipBatch oneFolder = gatherClipBatch(*folders, {at("a/1.avi"), at("a/2.avi")}, {});
  const ClipBatch twoFolders =
      gatherClipBatch(*folders, {at("a/1.avi"), at("b/x.avi"), at("b/x.mkv")}, {});
  const ClipBatch sameNames = gatherClipBatch(*folders, {at("a/1.avi"), at("b/x.avi")}, {});

  EXPECT_EQ(joinRefusal(oneFolder), std::nullopt);
  ASSERT_TRUE(joinRefusal(twoFolders));
  EXPECT_NE(joinRefusal(twoFolders)->find("2 folders: " + at("a") + ", " + at("b")),
            std::string::npos)
      << *joinRefusal(twoFolders);

  struct Case {
    const char* name;
    const ClipBatch& batch;
    std::string dest;
    std::string pattern;
    Lines clashes;  // "script: clip, clip"
  };
  const std::vector<Case> cases{
      {"beside their clips nothing clashes", twoFolders, "", "", {}},
      // x.avi and x.mkv share a name in one folder: the run's own refusal.
      {"one destination: names of one folder are not the batch's", twoFolders, at("empty"), "", {}},
      {"a fixed pattern clashes across folders",
       sameNames,
       at("empty"),
       "same",
       {at("empty/same.avs") + ": " + at("a/1.avi") + ", " + at("b/x.avi")}},
      {"different names into one folder do not", sameNames, at("empty"), "*-s", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Lines shown;
    for (const BatchClash& clash :
         batchNameClashes(c.batch, c.dest, c.pattern, NameEnd::FirstDot)) {
      std::string line = clash.scriptPath + ":";
      for (std::size_t i = 0; i < clash.clips.size(); ++i)
        line += (i == 0 ? " " : ", ") + clash.clips[i];
      shown.push_back(line);
    }
    EXPECT_EQ(shown, c.clashes);
  }
  // The refusal lists the clips of each shared name.
  const std::string text =
      batchClashText(batchNameClashes(sameNames, at("empty"), "same", NameEnd::FirstDot));
  EXPECT_NE(text.find(at("a/1.avi")), std::string::npos) << text;
  EXPECT_NE(text.find(at("b/x.avi")), std::string::npos) << text;
}

TEST_F(ClipBatchTest, DestinationRefusedNamesItsFolder) {
  const ClipBatch batch = gatherClipBatch(*folders, {at("a/1.avi"), at("b/x.avi")}, {});
  const auto refusing = [&](const std::string& folder) {
    return [folder](const std::string& dest) { return dest != folder; };
  };
  struct Case {
    const char* name;
    std::string dest;
    std::function<bool(const std::string&)> takes;
    std::optional<std::string> refusedFolder;
  };
  const std::vector<Case> cases{
      {"every folder takes files", "", [](const std::string&) { return true; }, std::nullopt},
      {"the second clip folder refuses", "", refusing(at("b/")), at("b")},
      {"a destination replaces both clip folders", at("empty"), refusing(at("b/")), std::nullopt},
      {"the destination refuses", at("empty"), refusing(at("empty/")), at("empty")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<std::string> refusal = refusedDestination(batch, c.dest, c.takes);
    ASSERT_EQ(refusal.has_value(), c.refusedFolder.has_value());
    if (refusal) {
      EXPECT_NE(refusal->find(*c.refusedFolder + " takes no new file"), std::string::npos)
          << *refusal;
    }
  }
}

// Permission bits do not stop root: CTest runs this once more unprivileged.
TEST_F(ClipBatchTest, UnprivilegedReadOnlyClipFolderIsRefused) {
  if (::geteuid() == 0) GTEST_SKIP() << "root ignores permission bits";
  ASSERT_EQ(::chmod(at("b").c_str(), 0555), 0);
  const ClipBatch batch = gatherClipBatch(*folders, {at("a/1.avi"), at("b/x.avi")}, {});
  EXPECT_TRUE(folderTakesNewFiles(at("a/")));
  EXPECT_FALSE(folderTakesNewFiles(at("b/")));
  const std::optional<std::string> refusal = refusedDestination(batch, "");
  ASSERT_TRUE(refusal);
  EXPECT_NE(refusal->find(at("b") + " takes no new file"), std::string::npos) << *refusal;
  EXPECT_EQ(refusedDestination(batch, at("empty")), std::nullopt);
}

TEST(ClipBatchText, NotesAndSummary) {
  ClipBatch batch;
  struct Case {
    const char* name;
    Lines vanished, notClips;
    bool shipped;
    std::string notes;
  };
  const std::vector<Case> cases{
      {"nothing to say", {}, {}, false, ""},
      {"gone and odd files, the shipped template",
       {"/c/gone.avi"},
       {"/c/n.txt", "/c/m.doc"},
       true,
       "Not found, left out: /c/gone.avi.\n"
       "Taken although the filter list names no such clip: /c/n.txt, /c/m.doc.\n"
       "You have no default template of your own: the shipped one was used."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    batch.vanished = c.vanished;
    batch.notClips = c.notClips;
    EXPECT_EQ(batchNotes(batch, c.shipped), c.notes);
  }
  EXPECT_EQ(batchSummary(1, {"/c/"}), "1 script written in /c");
  EXPECT_EQ(batchSummary(40, {"/"}), "40 scripts written in /");
  EXPECT_EQ(batchSummary(5, {"/c/", "/d/"}), "5 scripts written in 2 folders");
  EXPECT_EQ(clipExtension("a.b.AVI"), "AVI");
  EXPECT_EQ(clipExtension("plain"), "");
}

}  // namespace
}  // namespace clipquill
