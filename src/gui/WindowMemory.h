#pragma once

#include "engine/Engine.h"

#include <QObject>
#include <QRect>
#include <QTimer>

namespace vidtrawl::gui {

class MainWindow;

// Keeps the main window's place and size, whether it fills the screen, the
// list's column widths and which run columns are hidden, and the details
// pane, in the settings file between runs (as the front end's own values
// "Window Geometry" X,Y,W,H, "Window Maximized" True or False, "Column
// Widths" of the address, name, status and size columns, "Run Column Widths"
// of the progress, speed and time left columns, "Hidden Columns" naming the
// hidden ones, "Details Pane" its height or 0 when hidden): put back before
// the window shows, written a second after they change and when this goes.
// The widths are kept as the user left them, whatever the window's state. A
// place the window system chooses itself (Wayland's) is simply not taken.
class WindowMemory final : public QObject {
public:
  WindowMemory(engine::Engine &engine, MainWindow &window, QObject *parent = nullptr);
  ~WindowMemory() override;

  // Puts back what was kept, then follows the changes.
  void Restore();
  // Writes what changed since it was last written.
  void Keep();

  // Where a window kept at `kept` goes on a screen's `room`: as large as it
  // was but not smaller than `least` nor larger than the room, and wholly
  // on it.
  static QRect OnScreen(QRect kept, const QRect &room, QSize least);

  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void Changed();

  engine::Engine &engine_;
  MainWindow &window_;
  QTimer delay_;
};

} // namespace vidtrawl::gui
