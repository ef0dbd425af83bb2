// SPDX-License-Identifier: GPL-3.0-or-later
#include "clips/clip_list.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/error.h"

namespace clipquill {
namespace {

using Names = std::vector<std::string>;

// The separators of names on this system.
#if defined(_WIN32)
constexpr const char* kNames = "\\/";
#else
constexpr const char* kNames = "/";
#endif

// A POSIX path of the tests as this system writes it: "/clips/a.avi" is
// "C:\\clips\\a.avi" on Windows.
std::string p(std::string_view posix) {
#if defined(_WIN32)
  std::string out = "C:" + std::string(posix);
  for (char& c : out) {
    if (c == '/') c = '\\';
  }
  return out;
#else
  return std::string(posix);
#endif
}

// Folders held in memory, each with the files a listing gives, in the order
// given. Counts listings, and fails one with a chosen errno.
class FakeFolders : public Folders {
 public:
  std::map<std::string, Names> folders;
  std::map<std::string, int> failures;  // folder -> errno of its listing
  int listings = 0;

  void listFiles(const std::string& folder,
                 const std::function<void(std::string_view)>& visit) override {
    ++listings;
    const auto it = folders.find(folder);
    if (it == folders.end())
      throw Error::fromErrno(kind(folder) == PathKind::File ? ENOTDIR : ENOENT);
    for (const std::string& name : it->second)
      visit(name);
    // A listing that breaks off after some names have been seen.
    if (failures.count(folder)) throw Error::fromErrno(failures[folder]);
  }

  // The clip list neither walks into folders nor makes them.
  void listSubfolders(const std::string&, const std::function<void(std::string_view)>&) override {}
  int makeFolder(const std::string&) override { return EROFS; }

  PathKind kind(const std::string& path) override {
    if (folders.count(path)) return PathKind::Folder;
    const auto slash = path.find_last_of(kNames);
    // A root keeps its separator: "/", "C:\\".
    const bool atRoot = slash == 0 || (slash == 2 && path[1] == ':');
    const auto it = folders.find(path.substr(0, atRoot ? slash + 1 : slash));
    if (it == folders.end()) return PathKind::Missing;
    for (const std::string& name : it->second) {
      if (name == path.substr(slash + 1)) return PathKind::File;
    }
    return PathKind::Missing;
  }

  void checkFolder(const std::string& folder) override {
    if (!folders.count(folder)) {
      throw Error::fromErrno(kind(folder) == PathKind::File ? ENOTDIR : ENOENT);
    }
  }
};

class ClipListTest : public ::testing::Test {
 protected:
  ClipListTest() {
    fs.folders[p("/clips")] = {"b.avs", "A.avi", "clip 10.avi", "clip 2.avi", "x.AVS", "noext"};
    fs.folders[p("/clips/sub")] = {"s.avi"};
    fs.folders[p("/other")] = {};
  }

  FakeFolders fs;
  ClipList list{fs};
};

TEST_F(ClipListTest, ReadsSortedAndKeepsDuplicates) {
  EXPECT_EQ(list.mask(), "*.*");
  EXPECT_TRUE(list.setFolder(p("/clips")));
  EXPECT_EQ(list.entries(),
            (Names{"A.avi", "b.avs", "clip 2.avi", "clip 10.avi", "noext", "x.AVS"}));

  EXPECT_TRUE(list.setMask("*.avs;*.AVS"));
  EXPECT_EQ(list.entries(), (Names{"b.avs", "b.avs", "x.AVS", "x.AVS"}));
  EXPECT_TRUE(list.setMask("*.none"));
  EXPECT_EQ(list.count(), 0u);  // nothing matching is no failure
}

TEST_F(ClipListTest, ListsOnlyOnARealChange) {
  ASSERT_TRUE(list.setFolder(p("/clips")));
  list.setSelected(0, true);
  const int listed = fs.listings;

  EXPECT_FALSE(list.setFolder(p("/clips")));
  EXPECT_FALSE(list.setFolder(p("/clips/")));
  EXPECT_FALSE(list.setFolder("sub/.."));
  EXPECT_FALSE(list.setFolder("."));
  EXPECT_FALSE(list.setMask("*.*"));
  EXPECT_EQ(fs.listings, listed);
  EXPECT_EQ(list.selectedCount(), 1u);  // kept while nothing changes
  EXPECT_EQ(list.fullPath("../other/"), p("/other"));
  EXPECT_EQ(list.fullPath(p("//")), p("/"));
  EXPECT_EQ(list.fullPath(p("/a//b/./c/..")), p("/a/b"));

  EXPECT_TRUE(list.setMask("*.AVI"));
  EXPECT_TRUE(list.setMask("*.avi"));  // masks compare with regard to case
  EXPECT_EQ(list.selectedCount(), 0u);
  EXPECT_EQ(fs.listings, listed + 2);
}

TEST_F(ClipListTest, AFailedReadChangesNothing) {
  ASSERT_TRUE(list.setFolder(p("/clips")));
  list.setMask("*.avi");
  list.setSelected(1, true);
  const Names before = list.entries();

  const auto expectKept = [&](const char* what) {
    EXPECT_EQ(list.folder(), p("/clips")) << what;
    EXPECT_EQ(list.mask(), "*.avi") << what;
    EXPECT_EQ(list.entries(), before) << what;
    EXPECT_EQ(list.selectedCount(), 1u) << what;
  };
  try {
    list.setFolder(p("/missing"));
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.message(), "File not found");
  }
  expectKept("missing folder");

  fs.failures[p("/other")] = EIO;
  fs.folders[p("/other")] = {"half.avi"};
  EXPECT_THROW(list.setFolder(p("/other")), Error);
  expectKept("listing broken off");

  // The folder vanishes after it was entered: the next re-read fails.
  fs.folders.erase(p("/clips"));
  EXPECT_THROW(list.setMask("*.*"), Error);
  expectKept("vanished folder");
}

// Emptied while a typed text names no folder: relative paths still read
// against the folder, masks wait, and even the same folder is read again.
TEST_F(ClipListTest, AClearedListReadsAgainOnlyWhenAFolderIsSet) {
  ASSERT_TRUE(list.setFolder(p("/clips")));
  list.clear();
  const int listed = fs.listings;
  EXPECT_EQ(list.count(), 0u);
  EXPECT_FALSE(list.setMask("*.avi"));
  EXPECT_EQ(list.count(), 0u);
  EXPECT_EQ(list.fullPath("sub"), p("/clips/sub"));
  EXPECT_EQ(fs.listings, listed);
  EXPECT_TRUE(list.setFolder(p("/clips")));
  EXPECT_EQ(list.entries(), (Names{"A.avi", "clip 2.avi", "clip 10.avi"}));
  EXPECT_FALSE(list.setFolder(p("/clips")));
}

TEST_F(ClipListTest, SelectAllButtonSelectsAllUnlessAllAreSelected) {
  ASSERT_TRUE(list.setFolder(p("/clips")));
  const struct {
    std::vector<std::size_t> selected;
    std::size_t after;
  } cases[] = {{{}, 6}, {{0, 3}, 6}, {{0, 1, 2, 3, 4, 5}, 0}};
  for (const auto& c : cases) {
    list.clearSelection();
    for (std::size_t i : c.selected)
      list.setSelected(i, true);
    toggleSelectAll(list);
    EXPECT_EQ(list.selectedCount(), c.after) << c.selected.size() << " selected before";
  }
  toggleSelectAll(list);
  list.setSelected(2, false);
  list.setSelected(4, false);
  list.setSelected(4, false);  // twice the same is counted once
  EXPECT_EQ(list.selectedCount(), 4u);
  EXPECT_EQ(list.selectedEntries(), (Names{"A.avi", "b.avs", "clip 10.avi", "x.AVS"}));

  ASSERT_TRUE(list.setFolder(p("/other")));
  toggleSelectAll(list);  // an empty list counts as wholly selected
  EXPECT_EQ(list.selectedCount(), 0u);
}

TEST_F(ClipListTest, FollowsTypedPaths) {
  ASSERT_TRUE(list.setFolder(p("/other")));
  const struct {
    std::string typed;
    std::string folder;
    const char* mask;
  } cases[] = {
      {p("/clips"), p("/clips"), "*.*"},
      {p("/clips/"), p("/clips"), "*.*"},
      {p("/clips/*.avs"), p("/clips"), "*.avs"},
      {"sub", p("/clips/sub"), "*.avs"},  // relative to the list's folder
      {p("/clips/c?ip*"), p("/clips"), "c?ip*"},
      {p("/clips/sub/"), p("/clips/sub"), "c?ip*"},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(followSourceText(list, c.typed)) << c.typed;
    EXPECT_EQ(list.folder(), c.folder) << c.typed;
    EXPECT_EQ(list.mask(), c.mask) << c.typed;
  }

  // Fewer than two characters name no folder.
  const int listed = fs.listings;
  EXPECT_FALSE(followSourceText(list, "/"));
  EXPECT_FALSE(followSourceText(list, ""));
  EXPECT_FALSE(followSourceText(list, "\xC3\xA9"));  // one character, two bytes
  EXPECT_EQ(fs.listings, listed);
  EXPECT_EQ(list.folder(), p("/clips/sub"));

  EXPECT_THROW(followSourceText(list, p("/nowhere")), Error);
  EXPECT_THROW(followSourceText(list, p("/nowhere/*.avi")), Error);
  EXPECT_EQ(list.folder(), p("/clips/sub"));
}

// A file is no folder: the box's text is where the scripts look for their
// clips. The list stays as it was, and a read put off stays put off.
TEST_F(ClipListTest, ATypedFileIsNoFolder) {
  ASSERT_TRUE(list.setFolder(p("/clips")));
  list.setSelected(2, true);
  for (const bool putOff : {false, true}) {
    list.putOffReads(putOff);
    for (const std::string& typed : {std::string("clip 2.avi"), p("/clips/clip 2.avi"),
                                     p("/clips/noext/"), std::string("../clips/A.avi")}) {
      try {
        list.moveToTypedPath(typed);
        ADD_FAILURE() << typed << ": no error";
      } catch (const Error& e) {
        EXPECT_EQ(e.message(), "Invalid filename") << typed;
      }
      EXPECT_EQ(list.folder(), p("/clips")) << typed;
      EXPECT_EQ(list.mask(), "*.*") << typed;
      EXPECT_EQ(list.selectedCount(), 1u) << typed;
    }
  }
}

// The command line's way: however often the folder and mask change, the
// folder is listed once, when the list is wanted; a folder that is missing
// still fails at once, leaving the list as it was.
TEST_F(ClipListTest, PutOffReadsListOnceAndStillFailAtOnce) {
  list.putOffReads(true);
  EXPECT_TRUE(list.setFolder(p("/other")));
  EXPECT_TRUE(list.setFolder(p("/clips")));
  EXPECT_THROW(list.setFolder(p("/gone")), Error);
  EXPECT_EQ(list.folder(), p("/clips"));
  for (const char* mask : {"*.avi", "*.avi;*.avs", "*.avi;*.avs;*."})
    EXPECT_TRUE(list.setMask(mask));
  EXPECT_FALSE(list.setMask("*.avi;*.avs;*."));
  EXPECT_EQ(list.count(), 0u);
  EXPECT_TRUE(list.readIsPending());
  EXPECT_EQ(fs.listings, 0);

  list.readPending();
  EXPECT_EQ(list.entries(),
            (Names{"A.avi", "b.avs", "clip 2.avi", "clip 10.avi", "noext", "x.AVS"}));
  list.readPending();  // nothing pending: no second listing
  EXPECT_EQ(fs.listings, 1);

  // A typed mask is read only when wanted.
  list.moveToTypedPath(p("/clips/sub/s*"));
  EXPECT_EQ(fs.listings, 1);
  EXPECT_EQ(list.mask(), "s*");
  list.readPending();
  EXPECT_EQ(list.entries(), Names{"s.avi"});
}

}  // namespace
}  // namespace clipquill
