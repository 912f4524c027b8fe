#include "gui/Desktop.h"
#include "gui/DesktopCommandLine.h"
#include "gui/SingleInstance.h"

#include <QApplication>
#include <QQuickWindow>
#include <QSGRendererInterface>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

using vidtrawl::gui::DesktopCommandLine;

// Whether Qt will find a display to show the window on.
bool DisplayAvailable() {
  return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY") ||
         qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

int Answer(const DesktopCommandLine &line) {
  switch (line.action) {
  case DesktopCommandLine::Action::Help:
    std::fputs(vidtrawl::gui::DesktopHelpText().c_str(), stdout);
    break;
  case DesktopCommandLine::Action::Version:
    std::fputs(vidtrawl::gui::DesktopVersionText().c_str(), stdout);
    break;
  default:
    std::fprintf(stderr, "vidtrawl: %s\nTry 'vidtrawl --help' for more information.\n",
                 line.problem.c_str());
    return 2;
  }
  return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

std::vector<std::string> Arguments(int argc, char **argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

} // namespace

int main(int argc, char **argv) {
  // Help and version need no display.
  if (DesktopCommandLine::AsksHelpOrVersion(argc, argv))
    return Answer(DesktopCommandLine::Parse(Arguments(argc, argv)));
  if (!DisplayAvailable()) {
    std::fputs("vidtrawl: there is no display to show the window on (DISPLAY and "
               "WAYLAND_DISPLAY are not set); vidtrawl-cli downloads without one.\n",
               stderr);
    return 1;
  }
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
  QApplication::setApplicationVersion(QStringLiteral(VIDTRAWL_VERSION));
  QApplication::setDesktopFileName(QStringLiteral("vidtrawl"));
  // The program lives in the tray: a hidden window is no reason to end.
  QApplication::setQuitOnLastWindowClosed(false);

  // What is left once Qt took its own options.
  const DesktopCommandLine line = DesktopCommandLine::Parse(Arguments(argc, argv));
  if (line.action != DesktopCommandLine::Action::Run)
    return Answer(line);

  // A program that runs already takes the addresses; only it keeps the list.
  vidtrawl::gui::SingleInstance instance;
  if (!instance.Claim()) {
    if (instance.HandOver({line.addresses, qgetenv("XDG_ACTIVATION_TOKEN").toStdString()},
                          std::chrono::milliseconds(1500)))
      return 0;
    std::fprintf(stderr, "vidtrawl: Vidtrawl runs already (%s) but does not answer\n",
                 qUtf8Printable(instance.Path()));
    return 1;
  }
  vidtrawl::gui::Desktop desktop;
  if (!desktop.Start())
    return 1;
  desktop.Controller().AddAndStart(line.addresses);
  instance.Serve([&desktop](const vidtrawl::gui::SingleInstance::Request &request) {
    // Wayland raises a window for another program only with its token.
    if (!request.activationToken.empty())
      qputenv("XDG_ACTIVATION_TOKEN", QByteArray::fromStdString(request.activationToken));
    if (request.items.empty())
      desktop.Controller().HandedOver(request.addresses);
    else
      desktop.Controller().AddFromBrowser(request.items);
  });
  return QApplication::exec();
}
