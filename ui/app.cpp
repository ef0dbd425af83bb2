#include "ui/app.h"

#include <pwd.h>
#include <unistd.h>

#include <QApplication>
#include <QByteArray>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "core/constants.h"
#include "persist/folder_registry.h"
#include "ui/main_form.h"

namespace clipquill {

namespace {

// Without a display Qt prints a page about platform plugins and aborts; a
// user wants one line saying what is wrong.
bool haveDisplay() {
  const auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
  };
  return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

void quietPlatformMessages(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
  if (type == QtFatalMsg) {
    std::fprintf(stderr, "clipquill: cannot open a window on this display (%s)\n",
                 std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "no DISPLAY");
    std::_Exit(1);
  }
  if (context.category && QByteArray(context.category).startsWith("qt.qpa")) return;
  std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

std::string executablePath(const char* argv0) {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) return self.string();
  return argv0 ? argv0 : "";
}

std::string homeFolder() {
  if (const char* env = std::getenv("HOME"); env && *env) return env;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

}  // namespace

int runClipquill(int argc, char** argv) {
  if (!haveDisplay()) {
    std::fprintf(stderr,
                 "clipquill: no display: neither DISPLAY nor WAYLAND_DISPLAY is set; start it "
                 "from a desktop session (clipquill-cli works without one)\n");
    return 1;
  }
  qInstallMessageHandler(quietPlatformMessages);
  QApplication app(argc, argv);
  qInstallMessageHandler(nullptr);
  QApplication::setApplicationName(QString::fromLatin1(kAppTitle.data(), kAppTitle.size()));
  QApplication::setApplicationDisplayName(QString::fromLatin1(kAppTitle.data(), kAppTitle.size()));

  // QApplication has taken its own options out of argv by now.
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i)
    args.emplace_back(argv[i]);

  TMainForm form(MainFormSetup{
      .startup = {.executablePath = executablePath(argc > 0 ? argv[0] : nullptr),
                  .args = std::move(args),
                  .homeFolder = homeFolder()},
      .registryRoot = defaultRegistryRoot(),
  });
  form.show();
  return QApplication::exec();
}

}  // namespace clipquill
