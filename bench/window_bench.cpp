// SPDX-License-Identifier: GPL-3.0-or-later
// The window's own cost, on Qt's offscreen platform, each figure set against
// the same work done without it:
//   1. start to shown: MainWindow built (its start-up load included), shown
//      and painted, against a hello-world window (a label) shown and painted;
//   2. a source folder of 100,000 files: the list shown, "De/Select All", and
//      one keystroke in the name prefix that re-reads it, each against the
//      model doing the same without a window; then the process's peak memory;
//   3. one keystroke in a 10 MB template, against the same keystroke in a
//      bare Scintilla editor holding the same bytes with nothing bound to it;
//   4. "Create Script(s)" for 10,000 clips from start-up, against the command
//      line doing the same in-process;
//   5. start to shown with a template whose settings file holds a million
//      [FilterBy] keys alone, against the command line's --show of it
//      in-process, its output thrown away (the goal is 1.5 x).
// Each section prints "ratio <window median / floor median>" last.
//
// Usage: bench_window [files [rounds]], or bench_window filters [keys [rounds]]
// for the fifth alone.
#include <Qsci/qsciscintilla.h>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <streambuf>
#include <string>

#include "bench/bench_support.h"
#include "bench/window_bench_support.h"
#include "cli/cli.h"
#include "clips/folders.h"
#include "core/script_files.h"
#include "persist/folder_registry.h"
#include "persist/persist_files.h"
#include "tests/support/named_child.h"
#include "ui/main_window.h"
#include "ui/object_names.h"
#include "ui/template_editor.h"

namespace {

namespace support = clipquill::bench;
using clipquill::Field;
using clipquill::MainWindow;
using clipquill::MainWindowSetup;
using clipquill::testing::child;
using support::Clock;
using support::die;
using support::msSince;
using support::QuietBoxes;
using support::settle;
using support::typeKey;

// Answers nothing: no question is expected in these runs, and one would be a
// failure of the benchmark.
class NoQuestions : public clipquill::FrontEnd {
 public:
  clipquill::Answer messageBox(clipquill::MessageKind, clipquill::Buttons,
                               std::string_view text) override {
    die("unexpected question: " + std::string(text));
  }
  void focus(Field) override {}
  void errorBox(const clipquill::Error& e) override { die("unexpected error: " + e.message()); }
  std::optional<clipquill::FileChoice> openDialog(int) override { return std::nullopt; }
  std::optional<clipquill::FileChoice> saveDialog(std::string_view, int) override {
    return std::nullopt;
  }
  std::optional<std::vector<std::string>> filterEditor(const std::vector<std::string>&) override {
    return std::nullopt;
  }
  std::optional<std::string> pickFolder(clipquill::FolderPickerFor, std::string_view,
                                        std::string_view) override {
    return std::nullopt;
  }
};

void writeText(const std::string& path, const std::string& bytes) {
  support::floorWriteFile(path, bytes);
}

long peakRssKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

struct Bench {
  std::string root;
  QuietBoxes boxes;

  MainWindowSetup setup(std::vector<std::string> args) {
    return MainWindowSetup{
        .startup = {.executablePath = root + "/bin/clipquill",
                    .args = std::move(args),
                    .homeFolder = root + "/home"},
        .registryRoot = root + "/registry",
        .boxes = &boxes,
    };
  }

  void startToShown(std::size_t rounds) {
    writeText(root + "/small.qtpl", "AVISource(\"<P><F>\")\r\n");
    const auto measured = support::alternate(
        rounds,
        [&] {
          const auto start = Clock::now();
          QWidget hello;
          auto* label = new QLabel(QStringLiteral("Hello, world"), &hello);
          label->move(10, 10);
          hello.resize(555, 635);
          hello.show();
          settle();
          return msSince(start);
        },
        [&] {
          const auto start = Clock::now();
          MainWindow form(setup({root + "/small.qtpl"}));
          form.show();
          settle();
          return msSince(start);
        });
    std::printf("\n== start to shown (floor: a hello-world window shown and painted)\n");
    support::report(measured, 1, "window");
    std::printf("difference %.1f ms\n",
                support::median(measured.programMs) - support::median(measured.floorMs));
  }

  void bigFolder(std::size_t files, std::size_t rounds) {
    const std::string folder = root + "/many";
    support::makeFolder(folder);
    for (std::size_t i = 0; i < files; ++i)
      writeText(folder + "/clip " + std::to_string(i) + (i % 2 ? ".avi" : ".mpg"), "");
    const std::string home = root + "/home/";

    // The model alone, on the same platform as the window.
    auto folders = clipquill::makeSystemFolders();
    auto scripts = clipquill::makeSystemScriptFiles();
    auto persist = clipquill::makeSystemPersistFiles();
    clipquill::FolderRegistry registry(*persist, root + "/registry");
    NoQuestions port;
    clipquill::MainWindowModel model({*folders, *scripts, *persist, registry, port});
    model.start({root + "/bin/clipquill", {}, root + "/home"});

    MainWindow form(setup({}));
    form.show();
    settle();
    clipquill::MainWindowModel& windowModel = form.model();
    auto* selectAllButton = child<QPushButton>(&form, clipquill::objectNames::kSelectAllButton);
    auto* clipNameEdit = child<QLineEdit>(&form, clipquill::objectNames::kClipNameLabeledEdit);

    const auto shown = support::alternate(
        rounds,
        [&] {
          model.setFieldText(Field::Source, home);
          const auto start = Clock::now();
          model.setFieldText(Field::Source, folder);
          return msSince(start);
        },
        [&] {
          windowModel.setFieldText(Field::Source, home);
          settle();
          const auto start = Clock::now();
          windowModel.setFieldText(Field::Source, folder);
          settle();
          return msSince(start);
        });
    if (form.model().clips().count() != files) die("the window lists the wrong number of files");
    std::printf("\n== %zu files shown (floor: the model alone)\n", files);
    support::report(shown, files, "file");

    const auto selectAll = support::alternate(
        rounds,
        [&] {
          const auto start = Clock::now();
          model.toggleSelectAll();
          return msSince(start);
        },
        [&] {
          const auto start = Clock::now();
          selectAllButton->click();
          settle();
          return msSince(start);
        });
    std::printf("\n== De/Select All on %zu files (floor: the model alone)\n", files);
    support::report(selectAll, files, "file");

    clipNameEdit->setFocus();
    const auto keystroke = support::alternate(
        rounds,
        [&] {
          model.setFieldText(Field::ClipName, "");
          const auto start = Clock::now();
          model.setFieldText(Field::ClipName, "c");
          return msSince(start);
        },
        [&] {
          windowModel.setFieldText(Field::ClipName, "");
          settle();
          const auto start = Clock::now();
          typeKey(clipNameEdit, Qt::Key_C, QStringLiteral("c"));
          settle();
          return msSince(start);
        });
    if (windowModel.fieldText(Field::ClipName) != "c") die("the keystroke did not reach the model");
    std::printf("\n== a keystroke in the name prefix over %zu files (floor: the model alone)\n",
                files);
    support::report(keystroke, files, "file");
    std::printf("peak memory of the process %.1f MiB (model and window together)\n",
                static_cast<double>(peakRssKiB()) / 1024.0);
  }

  void bigTemplate(std::size_t rounds) {
    std::string text;
    std::string bytes;
    const std::string line = "Trim(0, 1000) ++ AVISource(\"<P><F>\").AssumeFPS(24000, 1001) # ";
    for (std::size_t i = 0; bytes.size() < 10u * 1024 * 1024; ++i) {
      const std::string numbered = line + std::to_string(i);
      bytes += numbered + "\r\n";
      text += numbered + "\n";
    }
    writeText(root + "/big.qtpl", bytes);
    MainWindow form(setup({root + "/big.qtpl"}));
    form.show();
    auto* templateEdit =
        child<clipquill::TemplateEditor>(&form, clipquill::objectNames::kScriptMemo);
    templateEdit->setFocus();
    templateEdit->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    settle();
    QsciScintilla plain;
    plain.SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, static_cast<uintptr_t>(text.size()),
                        text.data());
    plain.resize(templateEdit->size());
    plain.show();
    plain.SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    settle();
    const auto measured = support::alternate(
        rounds, [&] { return support::timeKeystroke(&plain); },
        [&] { return support::timeKeystroke(templateEdit); });
    if (!form.model().state().modified) die("the keystroke did not reach the model");
    std::printf("\n== a keystroke in a %.1f MB template (floor: a bare Scintilla, same bytes)\n",
                static_cast<double>(bytes.size()) / 1e6);
    support::report(measured, 1, "keystroke");
  }

  void createScripts(std::size_t clips, std::size_t rounds) {
    const std::string folder = root + "/clips";
    const std::string out = root + "/out";
    support::makeFolder(folder);
    support::makeFolder(out);
    std::vector<std::string> names;
    for (std::size_t i = 1; i <= clips; ++i) {
      writeText(folder + "/take " + std::to_string(i) + ".avi", "");
      names.push_back("take " + std::to_string(i) + ".avs");
    }
    writeText(root + "/t.qtpl",
              "# made from <F>\r\nAVISource(\"<P><F>\", audio=true)\r\nConvertToYV12()\r\n"
              "Telecide(order=1, guide=1)\r\nDecimate(cycle=5)\r\nreturn last\r\n");
    writeText(root + "/t.ini",
              "[Entries]\r\nClipLoc=" + folder + "\r\nScriptDest=" + out +
                  "\r\n[FilterBy]\r\nExt0=avi\r\n[FilterState]\r\nExt0State=1\r\n");
    auto clean = [&] {
      for (const std::string& name : names) {
        if (::unlink((out + "/" + name).c_str()) != 0) support::dieErrno("cannot delete " + name);
      }
      ::sync();
    };
    const auto measured = support::alternate(
        rounds,
        [&] {
          const clipquill::cli::CliEnvironment env{
              .executablePath = root + "/bin/clipquill-cli",
              .workingFolder = root,
              .homeFolder = root + "/home",
              .registryRoot = root + "/registry",
          };
          std::istringstream in;
          std::ostringstream printed, err;
          const auto start = Clock::now();
          const int status = clipquill::cli::runCli({root + "/t.qtpl"}, in, printed, err, env);
          const double ms = msSince(start);
          if (status != 0) die("the command line failed: " + err.str());
          clean();
          return ms;
        },
        [&] {
          const auto start = Clock::now();
          {
            MainWindow form(setup({root + "/t.qtpl"}));
            form.show();
            settle();
            child<QPushButton>(&form, clipquill::objectNames::kSelectAllButton)->click();
            child<QPushButton>(&form, clipquill::objectNames::kCreateScriptsButton)->click();
            settle();
            if (form.model().createdScripts().size() != clips + 1) die("the window wrote too few");
          }
          const double ms = msSince(start);
          clean();
          return ms;
        });
    std::printf("\n== Create Script(s) for %zu clips from start-up (floor: the command line)\n",
                clips);
    support::report(measured, clips, "script");
  }

  void bigFilterList(std::size_t keys, std::size_t rounds) {
    const std::string templ = root + "/filters.qtpl";
    writeText(templ, "AVISource(\"<P><F>\")\r\n");
    std::string text = "[FilterBy]\n";
    for (std::size_t i = 0; i < keys; ++i)
      text += "Ext" + std::to_string(i) + "=x" + std::to_string(i) + "\n";
    writeText(root + "/filters.ini", text);
    // Takes every byte and keeps none, so that --show prints all of it.
    struct Discard : std::streambuf {
      int overflow(int c) override { return c; }
      std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
    };
    const auto measured = support::alternate(
        rounds,
        [&] {
          const clipquill::cli::CliEnvironment env{
              .executablePath = root + "/bin/clipquill-cli",
              .workingFolder = root,
              .homeFolder = root + "/home",
              .registryRoot = root + "/registry",
          };
          std::istringstream in;
          Discard discard;
          std::ostream printed(&discard);
          std::ostringstream err;
          const auto start = Clock::now();
          const int status = clipquill::cli::runCli({"--show", templ}, in, printed, err, env);
          const double ms = msSince(start);
          if (status != 0) die("the command line failed: " + err.str());
          return ms;
        },
        [&] {
          const auto start = Clock::now();
          {
            MainWindow form(setup({templ}));
            form.show();
            settle();
            if (form.model().filters().count() != keys) die("the window read too few filters");
          }
          return msSince(start);
        });
    std::printf("\n== start to shown with %zu [FilterBy] keys (floor: the command line's --show)\n",
                keys);
    support::report(measured, keys, "key");
  }
};

}  // namespace

int main(int argc, char** argv) {
  support::programName = "bench_window";
  const bool filtersAlone = argc > 1 && std::string_view(argv[1]) == "filters";
  if (filtersAlone) {
    --argc;
    ++argv;
  }
  const std::size_t files =
      support::countArgument(argc, argv, 1, support::byRun(100000, 20000), "number of files");
  const std::size_t rounds =
      support::countArgument(argc, argv, 2, support::byRun(5, 3), "number of rounds");
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The offscreen platform says at every showing that it cannot size windows.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtWarningMsg && message.contains(QStringLiteral("propagateSizeHints"))) return;
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
  });
  QApplication app(argc, argv);

  Bench bench;
  bench.root = support::makeScratchFolder();
  for (const char* sub : {"/home", "/bin"})
    support::makeFolder(bench.root + sub);

  if (filtersAlone) {
    bench.bigFilterList(argc > 1 ? files : support::byRun(1000000, 200000), rounds);
  } else {
    // The folder first, so that the peak memory it reports is its own.
    bench.bigFolder(files, rounds);
    bench.startToShown(rounds * 2);
    bench.bigTemplate(rounds * 4);
    bench.createScripts(files / 10, rounds);
    bench.bigFilterList(files * 10, rounds);
  }

  std::error_code ignored;
  std::filesystem::remove_all(bench.root, ignored);
  support::scratchFolder.clear();
  return 0;
}
