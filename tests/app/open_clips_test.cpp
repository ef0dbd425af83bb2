// SPDX-License-Identifier: GPL-3.0-or-later
// Clips handed over from a file manager into the window: the source folder,
// the filter list ticked for them, the selection, and no unsaved-changes mark.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/batch_run.h"
#include "app/clip_batch.h"
#include "app/model_fixture.h"
#include "support/fake_code_page.h"

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

// The batch over two folders, run on the model as the file manager's action
// and the command line run it.
TEST_F(Model, ABatchRunsOncePerFolderOrIsRefusedWhole) {
  const std::string other = at("/other dir é/");
  std::filesystem::create_directories(pathFromUtf8(other));
  writeFile(other + "b.avi", "");
  writeFile(other + "d.mkv", "");
  writeFile(other + "b.mkv", "");
  struct Case {
    const char* name;
    std::string dest, pattern;
    bool join;
    Lines clips;  // below the test's folder
    std::function<bool(const std::string&)> takes;
    Lines written;  // below the test's folder, with each script's bytes
    std::string refusal;
  };
  const auto all = [](const std::string&) { return true; };
  const std::vector<Case> cases{
      {"beside the clips, <P> each clip's own folder",
       "",
       "",
       false,
       {"/clips/b.avi", "/other dir é/d.mkv", "/clips/c.mpg"},
       all,
       {"/clips/b.avs=" + clips + "b.avi", "/clips/c.avs=" + clips + "c.mpg",
        "/other dir é/d.avs=" + other + "d.mkv"},
       ""},
      {"into one destination",
       "/out",
       "*_s",
       false,
       {"/clips/b.avi", "/other dir é/d.mkv"},
       all,
       {"/out/b_s.avs=" + clips + "b.avi", "/out/d_s.avs=" + other + "d.mkv"},
       ""},
      {"one destination, one name from two folders: refused, nothing written",
       "/out",
       "",
       false,
       {"/clips/b.avi", "/other dir é/b.avi"},
       all,
       {},
       "would get the same script"},
      {"joined over two folders: refused",
       "",
       "all",
       true,
       {"/clips/b.avi", "/other dir é/d.mkv"},
       all,
       {},
       "A joined script takes its clips from one source folder"},
      {"joined in one folder",
       "",
       "all",
       true,
       {"/clips/b.avi", "/clips/c.mpg"},
       all,
       {"/clips/all.avs=" + clips + "b.avi," + clips + "c.mpg"},
       ""},
      {"the second folder's clips share a script: nothing written in the first either",
       "",
       "",
       false,
       {"/clips/b.avi", "/other dir é/b.avi", "/other dir é/b.mkv"},
       all,
       {},
       "b.avs"},
      {"the second folder takes no file: nothing written in the first either",
       "",
       "",
       false,
       {"/clips/b.avi", "/other dir é/d.mkv"},
       [&](const std::string& folder) { return folder != other; },
       {},
       "takes no new file"},
  };
  const testing::FakeCodePage utf8(CodePage::kUtf8);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const std::string& folder : {clips, other, out}) {
      for (const auto& e : std::filesystem::directory_iterator(pathFromUtf8(folder)))
        if (e.path().extension() == ".avs") std::filesystem::remove(e.path());
    }
    writeFile(app + "DefaultTemplate.qtpl", "AVISource(\"<P><F>\")\r\n");
    writeFile(app + "DefaultTemplate.ini",
              "[Entries]\r\nClipLoc=\r\nClipName=\r\nScriptName=" + c.pattern +
                  "\r\nScriptDest=" + (c.dest.empty() ? "" : at(c.dest)) + "\r\n");
    ScriptedForm fresh;
    MainWindowModel m{{*folders, *scripts, *files, registry, fresh}};
    m.start({app + "clipquill", {}, at("/home")});
    // Names as they are on every system; their code page is the run's own test.
    m.setCodePage(&utf8);
    m.setJoin(c.join);
    Lines paths;
    for (const std::string& clip : c.clips)
      paths.push_back(at(clip));
    const ClipBatch batch = gatherClipBatch(*folders, paths, m.filters());
    const BatchResult result = runClipBatch(m, batch, fresh, c.takes);
    Lines written;
    for (const std::string& folder : {clips, out, other}) {
      for (const auto& e : std::filesystem::directory_iterator(pathFromUtf8(folder))) {
        if (e.path().extension() != ".avs") continue;
        std::string bytes = readFile(utf8Of(e.path()));
        // AVISource("a", "b") -> a,b
        std::string shown;
        for (std::size_t q = bytes.find('"'); q != std::string::npos;) {
          const std::size_t end = bytes.find('"', q + 1);
          shown += (shown.empty() ? "" : ",") + bytes.substr(q + 1, end - q - 1);
          q = bytes.find('"', end + 1);
        }
        std::string where = utf8Of(e.path()).substr(dir.path().size());
        std::replace(where.begin(), where.end(), '\\', '/');
        written.push_back(where + "=" + shown);
      }
    }
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, c.written);
    EXPECT_EQ(result.written.size(), c.written.size());
    if (c.refusal.empty()) {
      EXPECT_EQ(result.refusal, "");
      EXPECT_FALSE(result.failed);
    } else {
      EXPECT_NE(result.refusal.find(c.refusal), std::string::npos) << result.refusal;
      ASSERT_EQ(fresh.questions.size(), 1u);
      EXPECT_EQ(fresh.questions.front(), result.refusal);
    }
  }
}

}  // namespace
}  // namespace clipquill
