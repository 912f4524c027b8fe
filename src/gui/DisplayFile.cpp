#include "gui/DisplayFile.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QStandardPaths>

namespace vidtrawl::gui {

QString DisplayFile(const QString &what) {
  QString display = qEnvironmentVariable(
      QGuiApplication::platformName().startsWith(u"wayland") ? "WAYLAND_DISPLAY" : "DISPLAY");
  display.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9:._-]")), QStringLiteral("_"));
  if (display.isEmpty())
    display = QGuiApplication::platformName();
  return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
         QStringLiteral("/vidtrawl-") + what + QLatin1Char('-') + display;
}

} // namespace vidtrawl::gui
