#include "gui/Desktop.h"

#include <QApplication>
#include <QQuickWindow>
#include <QSGRendererInterface>

#include <csignal>

int main(int argc, char **argv) {
  // A write beyond the file-size limit fails that download; it must not
  // end the program.
  std::signal(SIGXFSZ, SIG_IGN);
  // The movie is a flat skin: Qt Quick's software renderer draws it faster
  // to the first frame and in less memory than a GPU context would, unless
  // the user asks for another backend.
  if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vidtrawl"));
  QApplication::setDesktopFileName(QStringLiteral("vidtrawl"));
  // The program lives in the tray: a hidden window is no reason to end.
  QApplication::setQuitOnLastWindowClosed(false);

  vidtrawl::gui::Desktop desktop;
  desktop.Start();
  return QApplication::exec();
}
