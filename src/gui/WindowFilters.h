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

// One turn of the wheel over the main window, while the list has the focus,
// scrolls the list exactly one row: away from the user shows one earlier
// row, towards the user one later row, whatever the size of the turn. With
// the focus anywhere else the list does not scroll.
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
};

} // namespace vidtrawl::gui
