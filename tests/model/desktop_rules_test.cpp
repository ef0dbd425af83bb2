// SPDX-License-Identifier: GPL-3.0-or-later
// The window's desktop manners as rules: where it opens, what a drop means,
// which keys run what, the recent list.
#include "app/desktop_rules.h"

#include <gtest/gtest.h>

#include <set>

namespace clipquill {
namespace {

TEST(WindowPlace, EndsInsideTheAvailableArea) {
  const WindowRect fullHd{0, 0, 1920, 1040};
  // QT_SCALE_FACTOR=2 on 1920x1080: 960 by 540, less a 20-pixel panel.
  const WindowRect scaled{0, 0, 960, 520};
  const FrameMargins frame{4, 28, 4, 4};
  struct Case {
    const char* what;
    std::optional<WindowRect> saved;
    WindowRect area;
    FrameMargins frame;
    WindowRect placed;
  } cases[] = {
      {"first start: centred", std::nullopt, fullHd, {}, {682, 202, 555, 635}},
      {"first start, scaled: as tall as the area", std::nullopt, scaled, {}, {202, 0, 555, 520}},
      {"scaled, with a frame: the title bar shows",
       std::nullopt,
       scaled,
       frame,
       {202, 28, 555, 488}},
      {"saved and inside: as saved",
       WindowRect{100, 50, 600, 700},
       fullHd,
       {},
       {100, 50, 600, 700}},
      {"saved above the top", WindowRect{100, -56, 555, 635}, fullHd, frame, {100, 28, 555, 635}},
      {"saved beyond the right and bottom",
       WindowRect{1800, 1000, 555, 635},
       fullHd,
       {},
       {1365, 405, 555, 635}},
      {"saved on a screen now gone",
       WindowRect{3000, 200, 555, 635},
       fullHd,
       {},
       {1365, 200, 555, 635}},
      {"saved larger than the screen", WindowRect{0, 0, 4000, 3000}, scaled, {}, {0, 0, 960, 520}},
      {"never below the minimum: the title bar stays on",
       WindowRect{50, 50, 300, 300},
       WindowRect{0, 0, 300, 200},
       frame,
       {4, 28, 400, 450}},
      {"an area that does not start at 0",
       std::nullopt,
       WindowRect{1920, 30, 1280, 994},
       {},
       {2282, 209, 555, 635}},
      {"a saved empty size counts as none",
       WindowRect{5, 5, 0, 0},
       fullHd,
       {},
       {682, 202, 555, 635}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(placeWindow(c.saved, c.area, 555, 635, 400, 450, c.frame), c.placed) << c.what;
  }
}

TEST(WindowPlace, ReadsOnlyFourNumbersWithASize) {
  EXPECT_EQ(parseWindowRect("-10 20 555 635"), (WindowRect{-10, 20, 555, 635}));
  EXPECT_EQ(parseWindowRect(formatWindowRect({1, -2, 3, 4})), (WindowRect{1, -2, 3, 4}));
  for (const char* bad : {"", "1 2 3", "1 2 3 4 5", "1 2 0 4", "1 2 3 -4", "a b c d", "1 2 3 4x",
                          "99999999999 0 1 1"})
    EXPECT_FALSE(parseWindowRect(bad)) << bad;
}

// A first window with the preview: its panes' wants, at least the fair
// share and the drawn size, never past the area less the frame.
TEST(FirstWindowSize, TakesAFairShareWithinTheArea) {
  struct Case {
    const char* what;
    int wanted, area, before, after;
    int length;
  } cases[] = {
      {"a large screen: the fair share over the wants", 900, 1920, 0, 0, 1440},
      {"the panes want more than the share", 1000, 1080, 0, 0, 1000},
      {"more than the area: the area", 1200, 1024, 0, 0, 1024},
      {"the frame comes off the area", 1200, 1024, 28, 4, 992},
      {"a small screen: never below the drawn size where it fits", 100, 700, 0, 0, 635},
      {"a screen smaller than the drawn size: the area", 900, 512, 0, 0, 512},
      {"a frame wider than the area: nothing", 10, 20, 15, 15, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(firstWindowLength(c.wanted, 635, c.area, 75, c.before, c.after), c.length) << c.what;
  }
}

// The picture's width: kept or wanted, raised to two fifths of the split,
// the drawn layout never below its least width.
TEST(FirstWindowSize, ThePictureLeavesTheDrawnLayoutItsLeast) {
  struct Case {
    const char* what;
    std::optional<int> kept;
    int total, leftLeast;
    int width;
  } cases[] = {
      {"room: two fifths", std::nullopt, 1400, 430, 560},
      {"a narrow window: the wanted width", std::nullopt, 800, 430, 330},
      {"narrower still: what the drawn layout leaves", std::nullopt, 620, 430, 190},
      {"kept: as kept", 500, 1400, 430, 500},
      {"kept wider than there is room for", 900, 1000, 430, 570},
      {"kept at nothing counts as none", 0, 1400, 430, 560},
      {"no room at all", std::nullopt, 400, 430, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(pictureWidth(c.kept, 330, c.total, c.leftLeast), c.width) << c.what;
  EXPECT_EQ(parsePaneWidth("380"), 380);
  for (const char* bad : {"", "0", "-5", "38x", "x", "99999999999"})
    EXPECT_FALSE(parsePaneWidth(bad)) << bad;
}

TEST(RecentTemplates, LatestFirstOnceEachAtMostEight) {
  std::vector<std::string> list;
  for (int i = 1; i <= 9; ++i)
    list = withRecent(list, "/t/" + std::to_string(i) + ".qtpl");
  ASSERT_EQ(list.size(), kRecentTemplates);
  EXPECT_EQ(list.front(), "/t/9.qtpl");
  EXPECT_EQ(list.back(), "/t/2.qtpl");
  list = withRecent(list, "/t/5.qtpl");
  EXPECT_EQ(list.size(), kRecentTemplates);
  EXPECT_EQ(list[0], "/t/5.qtpl");
  EXPECT_EQ(std::count(list.begin(), list.end(), "/t/5.qtpl"), 1);
  // Names differ by case on Linux: two entries.
  EXPECT_EQ(withRecent({"/t/A.qtpl"}, "/t/a.qtpl").size(), 2u);
}

TEST(Drops, EachTargetTakesWhatItCanUse) {
  using K = PathKind;
  using D = DropDecision;
  const DroppedPath folder{"/c/clips", K::Folder}, clipA{"/c/clips/a.avi", K::File},
      clipB{"/c/clips/b.avi", K::File}, elsewhere{"/d/c.avi", K::File},
      tpl{"/t/Hall.QTPL", K::File}, gone{"/t/gone.qtpl", K::Missing},
      tplFolder{"/t/odd.qtpl", K::Folder};
  struct Case {
    DropTarget target;
    std::vector<DroppedPath> paths;
    DropDecision decision;
  } cases[] = {
      {DropTarget::SourceField, {folder}, {D::SetSource, "/c/clips", {}}},
      {DropTarget::DestinationField, {folder}, {D::SetDestination, "/c/clips", {}}},
      {DropTarget::SourceField, {clipA}, {}},
      {DropTarget::SourceField, {folder, folder}, {}},
      {DropTarget::ClipList, {clipA, clipB}, {D::SelectClips, "/c/clips", {"a.avi", "b.avi"}}},
      {DropTarget::ClipList, {clipA, elsewhere}, {}},
      {DropTarget::ClipList, {clipA, folder}, {}},
      {DropTarget::ClipList, {folder}, {D::SetSource, "/c/clips", {}}},
      {DropTarget::Elsewhere, {tpl}, {D::LoadTemplate, "/t/Hall.QTPL", {}}},
      {DropTarget::SourceField, {tpl}, {D::LoadTemplate, "/t/Hall.QTPL", {}}},
      {DropTarget::ClipList, {tpl}, {D::LoadTemplate, "/t/Hall.QTPL", {}}},
      {DropTarget::Elsewhere, {tpl, tpl}, {}},
      {DropTarget::Elsewhere, {gone}, {}},
      {DropTarget::Elsewhere, {tplFolder}, {}},
      {DropTarget::Elsewhere, {clipA}, {}},
      {DropTarget::Elsewhere, {}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(decideDrop(c.target, c.paths), c.decision)
        << static_cast<int>(c.target) << " " << (c.paths.empty() ? "" : c.paths[0].path);
  }
}

// No key runs two commands in either scheme; the desktop's frees the
// editing keys and gives the option flags none.
TEST(Keys, EachSchemeGivesAKeyOneCommand) {
  const Command all[] = {Command::LoadTemplate, Command::SaveTemplate, Command::EditFilters,
                         Command::Exit,         Command::LoadInis,     Command::SaveInis,
                         Command::Using,        Command::About,        Command::CreateScripts};
  for (const KeyScheme scheme : {KeyScheme::Specified, KeyScheme::Desktop}) {
    std::set<std::string> seen;
    for (const Command command : all) {
      for (const std::string& key : commandKeys(scheme, command))
        EXPECT_TRUE(seen.insert(key).second) << key;
    }
    const bool desktop = scheme == KeyScheme::Desktop;
    for (const char* editing : {"Ctrl+A", "Ctrl+X", "Ctrl+C", "Ctrl+V", "Ctrl+Z"})
      EXPECT_EQ(seen.contains(editing),
                !desktop && (editing == std::string("Ctrl+A") || editing == std::string("Ctrl+X")));
  }
  EXPECT_EQ(commandKeys(KeyScheme::Desktop, Command::Exit), std::vector<std::string>{"Ctrl+Q"});
  EXPECT_EQ(commandKeys(KeyScheme::Desktop, Command::LoadTemplate).front(), "Ctrl+O");
  EXPECT_TRUE(commandKeys(KeyScheme::Desktop, Command::SaveInis).empty());
  EXPECT_EQ(optionNote("&Save Template .ini's", false), "Save Template .ini's: off");
}

}  // namespace
}  // namespace clipquill
