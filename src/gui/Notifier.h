#pragma once

#include <QObject>
#include <QString>

class QSystemTrayIcon;

namespace vidtrawl::gui {

// Tells the user something that needs no answer, the way the desktop shows
// such notes: through the freedesktop notification service (which starts
// when asked, where it is installed), else as the tray icon's balloon, else
// not at all (the caller writes it to stderr too).
class Notifier final : public QObject {
public:
  explicit Notifier(QObject *parent = nullptr) : QObject(parent) {}

  void SetTray(QSystemTrayIcon *tray) { tray_ = tray; }
  void Notify(const QString &title, const QString &text, bool warning = false);

private:
  void Balloon(const QString &title, const QString &text, bool warning);

  QSystemTrayIcon *tray_ = nullptr;
};

} // namespace vidtrawl::gui
