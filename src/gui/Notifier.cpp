#include "gui/Notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QVariantMap>

namespace vidtrawl::gui {

void Notifier::Notify(const QString &title, const QString &text, bool warning) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    Balloon(title, text, warning);
    return;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.Notifications"),
      QStringLiteral("/org/freedesktop/Notifications"),
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  QVariantMap hints;
  hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("vidtrawl"));
  hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(warning ? 1 : 0));
  call << QStringLiteral("Vidtrawl") << 0u << QStringLiteral("vidtrawl") << title << text
       << QStringList() << hints << -1;
  // Asked without waiting: a service that is missing or slow costs the window nothing.
  auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this, title, text, warning](QDBusPendingCallWatcher *done) {
            if (QDBusPendingReply<uint>(*done).isError())
              Balloon(title, text, warning);
            done->deleteLater();
          });
}

void Notifier::Balloon(const QString &title, const QString &text, bool warning) {
  if (tray_ == nullptr || !tray_->isVisible() || !QSystemTrayIcon::supportsMessages())
    return;
  tray_->showMessage(title, text,
                     warning ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information);
}

} // namespace vidtrawl::gui
