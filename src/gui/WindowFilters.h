#pragma once

#include <QObject>
#include <QPoint>
#include <QSize>

#include <functional>

class QAbstractItemView;
class QWidget;

namespace vidtrawl::gui {

class MovieBridge;

// The movie never receives a right-button press or the context-menu key
// (nor the context menu they would open); releases and every other key and
// button reach it unchanged. Over the address field, or with the field
// focused, the context menu (right button, menu key, Shift+F10) is the
// field's own Cut, Copy and Paste; from the keyboard elsewhere, it is the
// menu of the list's selected rows (`rowsMenu`, false without a selection).
class MovieInputFilter final : public QObject {
public:
  MovieInputFilter(MovieBridge &movie, std::function<bool()> rowsMenu, QObject *parent = nullptr)
      : QObject(parent), movie_(movie), rowsMenu_(std::move(rowsMenu)) {}
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  MovieBridge &movie_;
  std::function<bool()> rowsMenu_;
};

// A frameless window is resized from its edges as a framed one is: near an
// edge or a corner the pointer shows the resize cursor, and a press there
// hands the resize to the window system. Not while the window fills the
// screen; elsewhere, and in every other way, the events go on unchanged.
class WindowEdgeFilter final : public QObject {
public:
  // Installed on a widget that covers `window` from its top left corner.
  explicit WindowEdgeFilter(QWidget &window, QObject *parent = nullptr)
      : QObject(parent), window_(window) {}
  bool eventFilter(QObject *watched, QEvent *event) override;

  // The edges a point of a window of `size` is near: within `border` of an
  // edge, and within three times that of a corner along an edge.
  static Qt::Edges EdgesAt(QSize size, QPoint point, int border);

private:
  QWidget &window_;
  bool cursorSet_ = false;
};

// The wheel over the list scrolls it, whether it has the focus or not: a
// notch a row, away from the user to earlier rows, towards the user to later
// ones. A touchpad's small steps add up until they make a notch.
class ListWheelFilter final : public QObject {
public:
  // Installed on the application, it looks at wheel events for any widget of
  // `window`.
  ListWheelFilter(QWidget &window, QAbstractItemView &list, QObject *parent = nullptr)
      : QObject(parent), window_(window), list_(list) {}
  bool eventFilter(QObject *watched, QEvent *event) override;

  void ShowLaterRow();
  void ShowEarlierRow();

private:
  QWidget &window_;
  QAbstractItemView &list_;
  int pending_ = 0; // eighths of a degree not yet turned into rows
};

} // namespace vidtrawl::gui
