#include "gui/ClipboardClaim.h"

#include <QDir>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>

namespace vidtrawl::gui {
namespace {

// The display's name as a file name may hold it: ":0" stays ":0".
QString DisplayName() {
  QString display = qEnvironmentVariable(
      QGuiApplication::platformName().startsWith(u"wayland") ? "WAYLAND_DISPLAY" : "DISPLAY");
  display.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9:._-]")), QStringLiteral("_"));
  return display.isEmpty() ? QGuiApplication::platformName() : display;
}

} // namespace

ClipboardClaim::ClipboardClaim()
    : file_(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
            QStringLiteral("/vidtrawl-clipboard-") + DisplayName() + QStringLiteral(".lock")) {}

bool ClipboardClaim::Take() {
  if (lock_)
    return true;
  base::FileDescriptor lock(::open(QFile::encodeName(file_).constData(),
                                   O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (lock && ::flock(lock.Get(), LOCK_EX | LOCK_NB) == 0)
    lock_ = std::move(lock);
  return Held();
}

} // namespace vidtrawl::gui
