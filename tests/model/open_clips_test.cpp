// SPDX-License-Identifier: GPL-3.0-or-later
// Clips handed over from a file manager into the window: the source folder,
// the filter list ticked for them, the selection, and no unsaved-changes mark.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/clip_batch.h"
#include "model_fixture.h"

namespace clipquill {
namespace {

using Lines = std::vector<std::string>;

TEST_F(Model, OpenedClipsAreListedSelectedAndLeaveTheTemplateUnchanged) {
  writeFile(clips + "Take 1.mkv", "");
  writeFile(clips + "take 2.MKV", "");
  struct Case {
    const char* name;
    std::string settings;  // the default template's settings file; "" for none
    Lines clips;
    Lines extensions;
    Lines checkedAfter;  // the ticked filters afterwards
    std::string prefixAfter;
    Lines selected;
  };
  const std::string avi = "[FilterBy]\r\nExt0=avi\r\nExt1=mkv\r\n[FilterState]\r\nExt0State=1\r\n";
  const std::vector<Case> cases{
      {"nothing ticked lists every file: the filters stay as they are",
       "",
       {"notes.txt", "b.avi"},
       {"txt", "avi"},
       {},
       "",
       {"b.avi", "notes.txt"}},
      {"an unticked entry is ticked, a missing one added and ticked",
       ini(clips) + avi,
       {"Take 1.mkv", "notes.txt"},
       {"mkv", "txt"},
       {"avi", "mkv", "txt"},
       "",
       {"notes.txt", "Take 1.mkv"}},
      {"a ticked entry of another case lists the clip as it is",
       ini(clips) + "[FilterBy]\r\nExt0=mkv\r\n[FilterState]\r\nExt0State=1\r\n",
       {"take 2.MKV"},
       {"MKV"},
       {"mkv"},
       "",
       {"take 2.MKV"}},
      {"a prefix that hides a clip is cleared",
       "[Entries]\r\nClipLoc=" + clips + "\r\nClipName=Take\r\nScriptName=\r\nScriptDest=\r\n" +
           avi,
       {"Take 1.mkv", "b.avi"},
       {"mkv", "avi"},
       {"avi", "mkv"},
       "",
       {"b.avi", "Take 1.mkv"}},
      {"a prefix all the clips pass stays",
       "[Entries]\r\nClipLoc=" + clips + "\r\nClipName=Take\r\nScriptName=\r\nScriptDest=\r\n" +
           avi,
       {"Take 1.mkv"},
       {"mkv"},
       {"avi", "mkv"},
       "Take",
       {"Take 1.mkv"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(pathFromUtf8(app + "DefaultTemplate.ini"));
    writeFile(app + "DefaultTemplate.qtpl", "AVISource(\"<P><F>\")\r\n");
    if (!c.settings.empty()) writeFile(app + "DefaultTemplate.ini", c.settings);
    ScriptedForm fresh;
    MainWindowModel m{{*folders, *scripts, *files, registry, fresh}};
    m.start({app + "clipquill", {}, at("/home")});
    const std::size_t selected =
        m.openClips(ClipGroup{.folder = clips, .clips = c.clips, .extensions = c.extensions});
    EXPECT_EQ(selected, c.selected.size());
    EXPECT_EQ(m.clips().selectedEntries(), c.selected);
    Lines checked;
    for (const FilterEntry& e : m.filters().entries())
      if (e.state == CheckState::Checked) checked.push_back(e.text);
    EXPECT_EQ(checked, c.checkedAfter);
    EXPECT_EQ(m.fieldText(Field::ClipName), c.prefixAfter);
    EXPECT_EQ(m.fieldText(Field::Source), clips);
    EXPECT_FALSE(m.state().modified);
    EXPECT_TRUE(fresh.errors.empty());
  }
}

TEST_F(Model, TheShippedDefaultIsToldFromTheUsersOwn) {
  const std::string own = at("/config/Clipquill/");
  std::filesystem::create_directories(pathFromUtf8(own));
  writeFile(app + "DefaultTemplate.qtpl", "shipped\r\n");
  struct Case {
    bool own;
    Lines args;
    bool shipped;
  } cases[] = {{false, {}, true}, {true, {}, false}, {false, {at("/home/t.qtpl")}, false}};
  for (const Case& c : cases) {
    std::filesystem::remove(pathFromUtf8(own + "DefaultTemplate.qtpl"));
    if (c.own) writeFile(own + "DefaultTemplate.qtpl", "own\r\n");
    ScriptedForm fresh;
    MainWindowModel m{{*folders, *scripts, *files, registry, fresh}};
    m.start({app + "clipquill", c.args, at("/home"), own});
    EXPECT_EQ(m.onShippedDefault(), c.shipped) << c.own << c.args.size();
  }
}

}  // namespace
}  // namespace clipquill
