// SPDX-License-Identifier: GPL-3.0-or-later
// What the editor's knowledge of AviSynth+ costs a keystroke, on Qt's
// offscreen platform, each figure beside its floor in the same run: the
// same template editor holding the same bytes, without completion or marks
// (a bare QsciScintilla is slower still: it counts the document's characters
// per change for its accessibility events, which the template editor does
// not).
//   1. the completion list shown after a letter typed at the end of a
//      100 MB template (goal: median <= 30 ms);
//   2. a keystroke in a 10,000-line template and the marks of unknown names
//      refreshed after it (goal: median <= 100 ms).
// The function table is AviSynth+'s own with FFMS2 where the build has them,
// else a stand-in of as many functions. Each section prints "ratio
// <clipquill median / floor median>" last.
//
// Usage: bench_editor_assist [rounds [section]]
// With CLIPQUILL_BENCH_SHORT=1 (CI) the 100 MB are 20.
#include <Qsci/qsciscintilla.h>
#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "bench/window_bench_support.h"
#include "check/function_cache.h"
#include "ui/editor_assist.h"
#include "ui/template_editor.h"

#ifndef CLIPQUILL_AVISYNTH_LIBRARY
#define CLIPQUILL_AVISYNTH_LIBRARY ""
#endif
#ifndef CLIPQUILL_FFMS2_PLUGINS
#define CLIPQUILL_FFMS2_PLUGINS ""
#endif
#ifndef CLIPQUILL_CHECK_HELPER
#define CLIPQUILL_CHECK_HELPER ""
#endif

namespace {

namespace support = clipquill::bench;
using clipquill::AvsFunction;
using support::Clock;
using support::die;
using support::msSince;
using support::settle;
using support::typeKey;

std::vector<AvsFunction> functionTable(std::string& installation) {
  const std::string library = CLIPQUILL_AVISYNTH_LIBRARY;
  if (!library.empty() && *CLIPQUILL_CHECK_HELPER != '\0') {
    clipquill::CheckerOptions options;
    options.library = library;
    options.helper = CLIPQUILL_CHECK_HELPER;
    options.timeLimit = std::chrono::seconds(60);
    if (*CLIPQUILL_FFMS2_PLUGINS != '\0') options.pluginFolders = {CLIPQUILL_FFMS2_PLUGINS};
    const std::string scratch = support::makeScratchFolder();
    std::string why;
    auto record = clipquill::loadFunctionTable(options, scratch, &why);
    std::filesystem::remove_all(scratch);
    if (record) {
      installation = clipquill::describeInstallation(*record);
      return std::move(record->functions);
    }
    std::printf("no AviSynth+ table (%s): a stand-in\n", why.c_str());
  }
  installation = "a stand-in table";
  std::vector<AvsFunction> functions;
  for (int i = 0; i < 600; ++i) {
    const std::string signature = "c[width]i[height]i[name]s";
    functions.push_back({"Filter" + std::to_string(i), "internal", signature,
                         clipquill::parseAvsParams(signature)});
  }
  return functions;
}

// Template lines with calls, strings and comments, up to size bytes.
std::string templateText(std::size_t size) {
  const std::string line =
      "src = FFVideoSource(\"<P><F>\", track=-1).Trim(0, 1000) # a note, (not a call\n"
      "BlankClip(width=640, height=480).AssumeFPS(24000, 1001) ++ src\n";
  std::string bytes;
  bytes.reserve(size + line.size());
  while (bytes.size() < size)
    bytes += line;
  return bytes;
}

void fill(clipquill::TemplateEditor& editor, const std::string& bytes) {
  editor.setBytes(bytes);
  editor.resize(435, 200);
  editor.show();
  editor.SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
  settle();
}

// "B" then "l" typed; the time of the second, which shows the list. Both are
// taken back after, so that each round types into the same document.
double timeLetters(QsciScintilla& editor, bool expectList) {
  typeKey(&editor, Qt::Key_B, QStringLiteral("B"));
  settle();
  const auto start = Clock::now();
  typeKey(&editor, Qt::Key_L, QStringLiteral("l"));
  settle();
  const double ms = msSince(start);
  if (expectList && !editor.isListActive()) die("no completion list after \"Bl\"");
  editor.cancelList();
  editor.SendScintilla(QsciScintillaBase::SCI_DELETEBACK);
  editor.SendScintilla(QsciScintillaBase::SCI_DELETEBACK);
  settle();
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  support::programName = "bench_editor_assist";
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const std::size_t rounds = support::countArgument(argc, argv, 1, support::byRun(20, 5), "rounds");
  const std::size_t only = support::countArgument(argc, argv, 2, 0, "section");
  QApplication app(argc, argv);
  std::string installation;
  const std::vector<AvsFunction> functions = functionTable(installation);
  std::printf("%zu functions of %s\n", functions.size(), installation.c_str());

  if (only == 0 || only == 1) {
    const std::size_t mb = support::byRun(100, 20);
    const std::string text = templateText(mb << 20);
    std::printf("\n1. the completion list at the end of a %zu MB template (goal: <= 30 ms)\n", mb);
    clipquill::TemplateEditor bare;
    fill(bare, text);
    clipquill::TemplateEditor editor;
    auto* assist = new clipquill::EditorAssist(&editor);
    assist->setTable(functions, installation);
    fill(editor, text);
    const auto measured = support::alternate(
        rounds, [&] { return timeLetters(bare, false); },
        [&] { return timeLetters(editor, true); });
    support::report(measured, 1, "keystroke");
  }
  if (only == 0 || only == 2) {
    std::printf("\n2. a keystroke and the marks of a 10,000-line template (goal: <= 100 ms)\n");
    std::string text = templateText(1);
    while (std::count(text.begin(), text.end(), '\n') < 10000)
      text += templateText(1);
    text += "FFVideoSourse(\"x\")\n";
    clipquill::TemplateEditor bare;
    fill(bare, text);
    clipquill::TemplateEditor editor;
    auto* assist = new clipquill::EditorAssist(&editor);
    assist->setTable(functions, installation);
    fill(editor, text);
    assist->readOwnNamesNow();
    settle();
    if (assist->marks().empty()) die("the typo at the end is not marked");
    const auto measured = support::alternate(
        rounds, [&] { return support::timeKeystroke(&bare); },
        [&] {
          const auto start = Clock::now();
          typeKey(&editor, Qt::Key_X, QStringLiteral("x"));
          settle();
          assist->refreshMarks();  // what the pause after the key runs
          return msSince(start);
        });
    support::report(measured, 1, "keystroke");
  }
  return 0;
}
