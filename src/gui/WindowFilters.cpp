#include "gui/WindowFilters.h"

#include "gui/MovieBridge.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>

#include <utility>

namespace vidtrawl::gui {

bool MovieInputFilter::eventFilter(QObject *, QEvent *event) {
  switch (event->type()) {
  case QEvent::MouseButtonPress:
  case QEvent::MouseButtonDblClick:
    return static_cast<QMouseEvent *>(event)->button() == Qt::RightButton;
  case QEvent::KeyPress: {
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool menuKey = key->key() == Qt::Key_Menu ||
                         (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier);
    if (!menuKey)
      return false;
    if (!movie_.ShowFieldMenu() && rowsMenu_)
      rowsMenu_();
    return true;
  }
  case QEvent::ContextMenu: {
    const auto *menu = static_cast<QContextMenuEvent *>(event);
    if (menu->reason() == QContextMenuEvent::Mouse)
      movie_.ShowFieldMenu(menu->pos());
    return true;
  }
  default:
    return false;
  }
}

Qt::Edges WindowEdgeFilter::EdgesAt(QSize size, QPoint point, int border) {
  const int corner = 3 * border;
  const auto near = [](int at, int length, int reach) {
    return std::pair{at < reach, at >= length - reach};
  };
  const auto [left, right] = near(point.x(), size.width(), border);
  const auto [top, bottom] = near(point.y(), size.height(), border);
  const auto [leftCorner, rightCorner] = near(point.x(), size.width(), corner);
  const auto [topCorner, bottomCorner] = near(point.y(), size.height(), corner);
  const bool side = left || right, end = top || bottom;
  Qt::Edges edges;
  edges.setFlag(Qt::LeftEdge, left || (end && leftCorner));
  edges.setFlag(Qt::RightEdge, right || (end && rightCorner));
  edges.setFlag(Qt::TopEdge, top || (side && topCorner));
  edges.setFlag(Qt::BottomEdge, bottom || (side && bottomCorner));
  return edges;
}

bool WindowEdgeFilter::eventFilter(QObject *watched, QEvent *event) {
  if (!watched->isWidgetType())
    return false;
  auto *widget = static_cast<QWidget *>(watched);
  const auto edgesOf = [this](const QMouseEvent *mouse) {
    constexpr int kBorder = 5;
    return window_.isMaximized() || window_.isFullScreen()
               ? Qt::Edges()
               : EdgesAt(window_.size(), mouse->position().toPoint(), kBorder);
  };
  switch (event->type()) {
  case QEvent::MouseMove: {
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const Qt::Edges edges = edgesOf(mouse);
    if (!edges) {
      if (std::exchange(cursorSet_, false))
        widget->unsetCursor();
      return false;
    }
    const bool falling =
        edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge);
    const bool rising =
        edges == (Qt::RightEdge | Qt::TopEdge) || edges == (Qt::LeftEdge | Qt::BottomEdge);
    widget->setCursor(falling                                  ? Qt::SizeFDiagCursor
                      : rising                                 ? Qt::SizeBDiagCursor
                      : edges & (Qt::LeftEdge | Qt::RightEdge) ? Qt::SizeHorCursor
                                                               : Qt::SizeVerCursor);
    cursorSet_ = true;
    // Over an edge the movie's own cursors would take the resize cursor's place.
    return mouse->buttons() == Qt::NoButton;
  }
  case QEvent::MouseButtonPress: {
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const Qt::Edges edges = edgesOf(mouse);
    if (mouse->button() != Qt::LeftButton || !edges || window_.windowHandle() == nullptr)
      return false;
    window_.windowHandle()->startSystemResize(edges);
    return true;
  }
  case QEvent::Leave:
    if (std::exchange(cursorSet_, false))
      widget->unsetCursor();
    return false;
  default:
    return false;
  }
}

bool ListWheelFilter::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() != QEvent::Wheel || !watched->isWidgetType() ||
      static_cast<QWidget *>(watched)->window() != &window_)
    return false;
  auto *target = static_cast<QWidget *>(watched);
  if (target != &list_ && !list_.isAncestorOf(target))
    return false;
  const int delta = static_cast<QWheelEvent *>(event)->angleDelta().y();
  if (delta == 0)
    return false; // a sideways turn is not the list's
  // A turn the other way drops what was pending.
  if ((pending_ > 0) != (delta > 0))
    pending_ = 0;
  pending_ += delta;
  constexpr int kNotch = 120;
  for (; pending_ >= kNotch; pending_ -= kNotch)
    ShowEarlierRow();
  for (; pending_ <= -kNotch; pending_ += kNotch)
    ShowLaterRow();
  return true; // a row a notch, not the view's own three
}

void ListWheelFilter::ShowLaterRow() {
  list_.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
}

void ListWheelFilter::ShowEarlierRow() {
  list_.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
}

} // namespace vidtrawl::gui
