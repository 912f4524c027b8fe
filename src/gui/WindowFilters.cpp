#include "gui/WindowFilters.h"

#include "gui/MovieBridge.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
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
  case QEvent::KeyPress: {
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool menuKey = key->key() == Qt::Key_Menu ||
                         (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier);
    if (!menuKey)
      return false;
    movie_.ShowFieldMenu();
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
