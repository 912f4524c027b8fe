#include "gui/DataFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace vidtrawl::gui {

QString DataFolder() {
  return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                         QStringLiteral("/../share/vidtrawl"));
}

} // namespace vidtrawl::gui
