#include "gui/WindowFilters.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace vidtrawl::gui {

bool MovieInputFilter::eventFilter(QObject *, QEvent *event) {
  switch (event->type()) {
  case QEvent::MouseButtonPress:
  case QEvent::MouseButtonDblClick:
    return static_cast<QMouseEvent *>(event)->button() == Qt::RightButton;
  case QEvent::KeyPress:
    return static_cast<QKeyEvent *>(event)->key() == Qt::Key_Menu;
  case QEvent::ContextMenu:
    return true;
  default:
    return false;
  }
}

bool ListWheelFilter::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() != QEvent::Wheel || !watched->isWidgetType() ||
      static_cast<QWidget *>(watched)->window() != &window_)
    return false;
  QWidget *focus = QApplication::focusWidget();
  const bool listFocused = focus == &list_ || (focus != nullptr && list_.isAncestorOf(focus));
  if (!listFocused) {
    // The wheel follows the focus, not the pointer: over the list while the
    // movie has the focus it scrolls nothing.
    auto *target = static_cast<QWidget *>(watched);
    return target == &list_ || list_.isAncestorOf(target);
  }
  const int delta = static_cast<QWheelEvent *>(event)->angleDelta().y();
  if (delta == 0)
    return false; // a sideways turn is not the list's
  if (delta > 0)
    ShowEarlierRow();
  else
    ShowLaterRow();
  return true; // one row, not the view's own three
}

void ListWheelFilter::ShowLaterRow() {
  list_.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
}

void ListWheelFilter::ShowEarlierRow() {
  list_.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
}

} // namespace vidtrawl::gui
