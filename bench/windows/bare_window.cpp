// SPDX-License-Identifier: GPL-3.0-or-later
// The floor for the window's start on Windows: a bare Qt Widgets main window
// of the window's first size, built with the same compiler, Qt and flags,
// and timed from outside the same way (bench/windows/window_figures.sh).
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Bare Qt window"));
  window.resize(555, 635);
  window.show();
  return app.exec();
}
