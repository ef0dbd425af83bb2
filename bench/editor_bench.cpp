// SPDX-License-Identifier: GPL-3.0-or-later
// The template editor's cost on Qt's offscreen platform, each figure beside a
// bare QsciScintilla holding the same bytes in the same run:
//   1. the window shown with a 100 MB template, and with 20 MB in one line:
//      time from start to shown and peak memory, each run in a process of
//      its own (this program started again), against a process that reads
//      the file into a bare editor and shows it;
//   2. one keystroke in a 100 MB template (goal: median <= 5 ms);
//   3. one keystroke in a 10 MB template and the preview brought up to date
//      after it (goal: the preview's median <= 16 ms), against the keystroke
//      in the bare editor.
// Each section prints "ratio <window median / floor median>" last.
//
// Usage: bench_editor [rounds [section]]   (section 1, 2 or 3: that one alone)
// With CLIPQUILL_BENCH_SHORT=1 (CI) the 100 MB are 20 and the 20 MB are 4.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <Qsci/qsciscintilla.h>
#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "bench/window_bench_support.h"
#include "tests/support/named_child.h"
#include "ui/main_window.h"
#include "ui/object_names.h"
#include "ui/template_editor.h"

namespace {

namespace support = clipquill::bench;
using clipquill::MainWindow;
using clipquill::MainWindowSetup;
using clipquill::TemplateEditor;
using clipquill::testing::child;
using support::Clock;
using support::die;
using support::msSince;
using support::QuietBoxes;
using support::settle;
using support::typeKey;

std::string readWhole(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) support::dieErrno("cannot open " + path);
  std::string bytes;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) support::dieErrno("cannot read " + path);
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return bytes;
}

// A bare editor holding bytes, shown, the caret at the start as a loaded
// template's is, or at the end, where the keystrokes go.
void fill(QsciScintilla& editor, const std::string& bytes, bool caretAtEnd = true) {
  editor.SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, static_cast<uintptr_t>(bytes.size()),
                       bytes.data());
  editor.resize(435, 200);
  editor.show();
  if (caretAtEnd) editor.SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
  settle();
}

// Ordinary lines of a template up to size bytes, with CR LF line ends.
std::string templateLines(std::size_t size) {
  const std::string line = "Trim(0, 1000) ++ AVISource(\"<P><F>\").AssumeFPS(24000, 1001) # ";
  std::string bytes;
  bytes.reserve(size + 100);
  for (std::size_t i = 0; bytes.size() < size; ++i)
    bytes.append(line).append(std::to_string(i)).append("\r\n");
  return bytes;
}

std::string oneLine(std::size_t size) {
  const std::string piece = "AVISource(\"<P><F>\").Trim(0, 100) ++ ";
  std::string bytes;
  bytes.reserve(size + piece.size() + 2);
  while (bytes.size() < size)
    bytes += piece;
  bytes += "last\r\n";
  return bytes;
}

// The big template's size: a short run (CI) loads a fifth of it.
std::size_t bigTemplateMB() {
  return support::byRun(100, 20);
}

struct Bench {
  std::string root;
  QuietBoxes boxes;
  std::string self;

  MainWindowSetup setup(std::vector<std::string> args) {
    return MainWindowSetup{
        .startup = {.executablePath = root + "/bin/clipquill",
                    .args = std::move(args),
                    .homeFolder = root + "/home"},
        .registryRoot = root + "/registry",
        .boxes = &boxes,
    };
  }

  // One process of section 1: start, show, paint; prints its ms.
  int showOnce(const std::string& what, const std::string& file) {
    const auto start = Clock::now();
    if (what == "window") {
      MainWindow form(setup({file}));
      form.show();
      settle();
      std::printf("%.3f\n", msSince(start));
    } else {
      QsciScintilla bare;
      fill(bare, readWhole(file), false);
      std::printf("%.3f\n", msSince(start));
    }
    std::fflush(stdout);
    // The process ends here: tearing the window down is no part of the figure.
    std::_Exit(0);
  }

  // Runs this program for one showing; its ms, and its peak memory in KiB.
  double runShow(const std::string& what, const std::string& file, std::vector<double>& peakKiB) {
    int out[2];
    if (::pipe(out) != 0) support::dieErrno("pipe");
    const pid_t pid = ::fork();
    if (pid < 0) support::dieErrno("fork");
    if (pid == 0) {
      ::dup2(out[1], STDOUT_FILENO);
      ::close(out[0]);
      ::close(out[1]);
      const std::string rootArg = "--root=" + root;
      ::execl(self.c_str(), self.c_str(), "--show", what.c_str(), file.c_str(), rootArg.c_str(),
              static_cast<char*>(nullptr));
      std::_Exit(127);
    }
    ::close(out[1]);
    std::string printed;
    char buffer[256];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
      printed.append(buffer, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid) support::dieErrno("wait4");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || printed.empty())
      die("the " + what + " process failed");
    peakKiB.push_back(static_cast<double>(usage.ru_maxrss));
    return std::stod(printed);
  }

  void shown(const std::string& title, const std::string& bytes, std::size_t rounds) {
    const std::string file = root + "/shown.qtpl";
    support::floorWriteFile(file, bytes);
    std::vector<double> barePeak, windowPeak;
    const auto measured = support::alternate(
        rounds, [&] { return runShow("bare", file, barePeak); },
        [&] { return runShow("window", file, windowPeak); });
    std::printf("\n== the window shown with %s (%.1f MB) (floor: a bare Scintilla, same bytes)\n",
                title.c_str(), static_cast<double>(bytes.size()) / 1e6);
    support::report(measured, 1, "showing");
    const double floorPeak = support::median(barePeak) / 1024.0;
    const double windowPeakMiB = support::median(windowPeak) / 1024.0;
    std::printf("peak memory: floor %.1f MiB, clipquill %.1f MiB, ratio %.2f\n", floorPeak,
                windowPeakMiB, windowPeakMiB / floorPeak);
  }

  void keystroke(std::size_t rounds) {
    const std::string bytes = templateLines(bigTemplateMB() * 1000 * 1000);
    support::floorWriteFile(root + "/big.qtpl", bytes);
    MainWindow form(setup({root + "/big.qtpl"}));
    form.show();
    auto* editor = child<TemplateEditor>(&form, clipquill::objectNames::kScriptMemo);
    editor->setFocus();
    editor->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    settle();
    QsciScintilla bare;
    fill(bare, bytes);
    const auto measured = support::alternate(
        rounds, [&] { return support::timeKeystroke(&bare); },
        [&] { return support::timeKeystroke(editor); });
    if (!form.model().state().modified) die("the keystroke did not reach the model");
    std::printf("\n== a keystroke in a %.1f MB template (floor: a bare Scintilla, same bytes)\n",
                static_cast<double>(bytes.size()) / 1e6);
    support::report(measured, 1, "keystroke");
    std::printf("goal: clipquill's median <= 5 ms\n");
  }

  void preview(std::size_t rounds) {
    const std::string bytes = templateLines(10u * 1000 * 1000);
    support::floorWriteFile(root + "/ten.qtpl", bytes);
    const std::string clips = root + "/clips";
    support::makeFolder(clips);
    support::makeFolder(root + "/out");
    for (const char* clip : {"/a.avi", "/b.avi", "/c.avi"})
      support::floorWriteFile(clips + clip, "");
    MainWindow form(setup({root + "/ten.qtpl"}));
    form.show();
    form.model().setFieldText(clipquill::Field::Source, clips);
    form.model().setFieldText(clipquill::Field::Destination, root + "/out");
    child<QPushButton>(&form, clipquill::objectNames::kSelectAllButton)->click();
    auto* editor = child<TemplateEditor>(&form, clipquill::objectNames::kScriptMemo);
    editor->setFocus();
    // Halfway down, where the preview has lines before and after.
    editor->setCursorPosition(static_cast<int>(editor->lineCount() / 2), 0);
    settle();
    form.refreshPreview();
    QsciScintilla bare;
    fill(bare, bytes);
    bare.setCursorPosition(static_cast<int>(editor->lineCount() / 2), 0);
    std::vector<double> previewMs;
    const auto measured = support::alternate(
        rounds, [&] { return support::timeKeystroke(&bare); },
        [&] {
          const auto start = Clock::now();
          typeKey(editor, Qt::Key_X, QStringLiteral("x"));
          settle();
          const auto previewStart = Clock::now();
          form.refreshPreview();
          settle();
          previewMs.push_back(msSince(previewStart));
          return msSince(start);
        });
    std::printf(
        "\n== a keystroke in a %.1f MB template and the preview after it (floor: the keystroke "
        "in a bare Scintilla, same bytes)\n",
        static_cast<double>(bytes.size()) / 1e6);
    std::printf("the preview alone: median %.2f ms (goal <= 16 ms)\n", support::median(previewMs));
    support::report(measured, 1, "keystroke");
  }
};

}  // namespace

int main(int argc, char** argv) {
  support::programName = "bench_editor";
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtWarningMsg && message.contains(QStringLiteral("propagateSizeHints"))) return;
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
  });
  const bool child = argc == 5 && std::string(argv[1]) == "--show";
  const std::size_t rounds =
      // One round by default (after a warm-up): a round of the one-line case
      // takes about a minute, and CI runs every benchmark.
      child ? 1 : support::countArgument(argc, argv, 1, 1, "number of rounds");
  QApplication app(argc, argv);

  Bench bench;
  bench.self = "/proc/self/exe";
  if (child) {
    bench.root = std::string(argv[4]).substr(std::string("--root=").size());
    return bench.showOnce(argv[2], argv[3]);
  }
  // The program's own path, as /proc/self/exe names the child after exec.
  char self[4096];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) support::dieErrno("readlink /proc/self/exe");
  bench.self.assign(self, static_cast<std::size_t>(n));
  bench.root = support::makeScratchFolder();
  for (const char* sub : {"/home", "/bin"})
    support::makeFolder(bench.root + sub);

  const std::size_t only = argc > 2 ? support::countArgument(argc, argv, 2, 1, "section") : 0;
  if (only == 0 || only == 1) {
    const std::size_t lineMB = support::byRun(20, 4);
    bench.shown("a " + std::to_string(bigTemplateMB()) + " MB template",
                templateLines(bigTemplateMB() * 1000 * 1000), rounds);
    bench.shown(std::to_string(lineMB) + " MB in one line", oneLine(lineMB * 1000 * 1000), rounds);
  }
  if (only == 0 || only == 2) bench.keystroke(rounds * 4);
  if (only == 0 || only == 3) bench.preview(rounds * 4);

  std::error_code ignored;
  std::filesystem::remove_all(bench.root, ignored);
  support::scratchFolder.clear();
  return 0;
}
