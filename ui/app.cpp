// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/app.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QIcon>
#include <QPixmap>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/clip_batch.h"
#include "app/process_environment.h"
#include "app/window_ask.h"
#include "core/constants.h"
#include "core/error.h"
#include "persist/path_rules.h"
#include "persist/user_settings.h"
#include "resources/embedded.h"
#include "ui/desktop_notice.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "ui/message_boxes.h"
#include "ui/platform/program_args.h"
#include "ui/platform/startup.h"
#include "ui/platform_fonts.h"
#include "ui/platform_paths.h"
#include "ui/qt_text.h"
#include "ui/splash_screen.h"

namespace clipquill {

namespace {

// The clips a file manager opened with Clipquill: the window on the first of
// their folders with them selected; what could not be taken is said.
void openHandedClips(MainWindowModel& model, const std::vector<std::string>& paths) {
  const std::unique_ptr<Folders> folders = makeSystemFolders();
  const ClipBatch batch = gatherClipBatch(*folders, paths, model.filters());
  if (!batch.groups.empty()) model.event([&] { model.openClips(batch.groups.front()); });
  std::string notes = batchNotes(batch, false);
  if (batch.groups.size() > 1) {
    notes.append(notes.empty() ? "" : "\n")
        .append("The clips come from " + std::to_string(batch.groups.size()) +
                " folders; those of " + batch.groups.front().folder +
                " are selected. Make AviSynth scripts writes those of every folder.");
  }
  if (batch.groups.empty() && notes.empty()) notes = "There is no clip to open.";
  if (!notes.empty()) {
    qtMessageBoxes().ask(nullptr, MessageKind::Information, Buttons::Ok, shownText(notes));
  }
}

// Start-up's steps on Qt. The windows it creates live as long as this object,
// which is as long as the program runs; the splash alone goes at the end of
// start-up.
class QtStartup final : public StartupSteps {
 public:
  QtStartup(QApplication& app, MainWindowSetup setup, std::vector<std::string> clips)
      : app_(app),
        setup_(std::move(setup)),
        home_(setup_.startup.homeFolder),
        clips_(std::move(clips)) {}

  void setApplicationTitle(std::string_view title) override {
    QApplication::setApplicationName(shownText(title));
  }

  void createSplash() override { splash_ = std::make_unique<SplashScreen>(); }

  void showSplash() override {
    splash_->show();
    QElapsedTimer waited;
    waited.start();
    while (!splash_->windowHandle()->isExposed() && waited.elapsed() < kSplashExposeBound.count()) {
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
      QThread::msleep(2);
    }
    repaintSplash();
  }

  // A window is drawn only once the window system has mapped it, which takes
  // an event or two; the user cannot act on anything yet, so none of the
  // user's events are taken.
  void repaintSplash() override {
    if (!splash_) return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    splash_->repaint();
  }

  void setProgress(int position) override { splash_->setProgress(position); }

  void setSplashCaption(std::string_view caption) override {
    splash_->setCaption(shownText(caption));
  }

  void createWindow(StartupWindow window) override {
    if (window == StartupWindow::Main) {
      main_ = std::make_unique<MainWindow>(std::move(setup_));
      dialogs_ = std::make_unique<QtDialogs>(*main_, main_->model(), home_, main_->menuDialogs());
    } else {
      dialogs_->create(window);
    }
  }

  void showMainWindow() override {
    main_->setDialogs(dialogs_.get());
    if (!clips_.empty()) {
      openHandedClips(main_->model(), clips_);
      main_->refreshPreview();
    }
    main_->show();
  }

  // The main window is drawn meanwhile, under the splash.
  void wait(std::chrono::milliseconds duration) override {
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  }

  void destroySplash() noexcept override { splash_.reset(); }

  // A main window closed while the splash lingered would leave a loop with
  // no window to end it.
  int runEventLoop() override { return main_->isVisible() ? app_.exec() : 0; }

 private:
  QApplication& app_;
  MainWindowSetup setup_;
  std::string home_;
  std::vector<std::string> clips_;  // --clips: the clips to open on
  // Destroyed in reverse: the dialogs before the main window they belong to.
  std::unique_ptr<MainWindow> main_;
  std::unique_ptr<QtDialogs> dialogs_;
  std::unique_ptr<SplashScreen> splash_;
};

// The desktop batch's question, in a small window of its own; its answer is
// the exit status.
int askInWindow(const std::vector<std::string>& words) {
  const std::optional<MessageKind> kind = messageKindOfWord(words[0]);
  const std::optional<Buttons> buttons = buttonsOfWord(words[1]);
  if (!kind || !buttons) {
    std::fprintf(stderr, "clipquill: --ask KIND BUTTONS TEXT: no such kind or buttons\n");
    return 2;
  }
  return answerExitStatus(qtMessageBoxes().ask(nullptr, *kind, *buttons, shownText(words[2])));
}

// A display that cannot be opened makes Qt print a page about platform
// plugins and abort; a user wants one line saying what is wrong.
void quietPlatformMessages(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
  if (type == QtFatalMsg) {
    const char* display = std::getenv("DISPLAY");
    std::fprintf(stderr, "clipquill: cannot open a window on the display (%s)\n",
                 display && *display ? display : "none set");
    std::_Exit(1);
  }
  if (context.category && QByteArray(context.category).startsWith("qt.qpa")) return;
  std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

// An error that start-up could not handle: on the terminal, and in the
// application's error box for a user who started the program from the desktop.
int startupFailed(const std::string& message) {
  std::fprintf(stderr, "clipquill: %s\n", message.c_str());
  qtMessageBoxes().error(nullptr, shownText(kAppTitle), shownText(message));
  return 1;
}

}  // namespace

int runClipquill(int argc, char** argv) {
  // "--help" and "--version" need no display.
  if (const std::optional<int> done = answerProgramRequest(argc, argv, std::cout)) return *done;
  if (!hasDisplay(argc, argv)) {
    std::fputs(
        "clipquill: no display: neither DISPLAY nor WAYLAND_DISPLAY is set "
        "(set QT_QPA_PLATFORM to choose a platform)\n",
        stderr);
    return 1;
  }
  // QApplication takes Qt's own arguments out of argc and argv.
  qInstallMessageHandler(quietPlatformMessages);
  QApplication app(argc, argv);
  qInstallMessageHandler(nullptr);
  usePlatformFonts(app);
  // Wayland finds the desktop entry, and with it the icon, by this name.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.clipquill.Clipquill"));
  // The about box's icon stands for the program in the task bar as well.
  const auto icon = resources::aboutIconPng();
  QPixmap iconPixmap;
  if (iconPixmap.loadFromData(icon.data(), static_cast<uint>(icon.size()), "PNG"))
    QApplication::setWindowIcon(QIcon(iconPixmap));

  MainWindowSetup setup;
  setup.startup.executablePath = executablePath(argc > 0 ? argv[0] : nullptr);
  setup.startup.args = programArguments(argc, argv);
  const ProgramArgs request = readProgramArgs(setup.startup.args);
  if (request.request == ProgramRequest::Ask) return askInWindow(request.words);
  if (request.request == ProgramRequest::Notify) {
    return notifyDesktopWithFolder(shownText(request.words[0]), shownText(request.words[1]),
                                   shownText(request.words[2]))
               ? 0
               : 1;
  }
  // The window starts on the default template for the clips.
  if (!request.clips.empty()) setup.startup.args.clear();
  setup.startup.homeFolder = homeFolder();
  setup.startup.userFolder = userConfigFolder();
  setup.registryRoot = {};  // the system's own store: the registry on Windows
  setup.userConfig = systemUserConfigPlace();

  try {
    QtStartup steps(app, std::move(setup), request.clips);
    return runStartup(steps);
  } catch (const Error& e) {
    return startupFailed(e.boxText());
  } catch (const std::exception& e) {
    return startupFailed(e.what());
  }
}

}  // namespace clipquill
