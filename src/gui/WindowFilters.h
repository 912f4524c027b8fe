#pragma once

#include <QObject>

class QAbstractItemView;
class QWidget;

namespace vidtrawl::gui {

// The movie never receives a right-button press or the context-menu key
// (nor the context menu they would open); releases and every other key and
// button reach it unchanged.
class MovieInputFilter final : public QObject {
public:
  using QObject::QObject;
  bool eventFilter(QObject *watched, QEvent *event) override;
};

// One turn of the wheel over the main window, while the grid has the focus,
// scrolls the grid exactly one row: away from the user shows one earlier
// row, towards the user one later row, whatever the size of the turn. With
// the focus anywhere else the grid does not scroll.
class GridWheelFilter final : public QObject {
public:
  // Installed on the application, it looks at wheel events for any widget of
  // `window`.
  GridWheelFilter(QWidget &window, QAbstractItemView &grid, QObject *parent = nullptr)
      : QObject(parent), window_(window), grid_(grid) {}
  bool eventFilter(QObject *watched, QEvent *event) override;

  // ScrollUp shows one later row, ScrollDown one earlier row.
  void ScrollUp();
  void ScrollDown();

private:
  QWidget &window_;
  QAbstractItemView &grid_;
};

} // namespace vidtrawl::gui
