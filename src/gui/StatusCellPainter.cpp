#include "gui/StatusCellPainter.h"

#include "engine/Engine.h"
#include "gui/DrawProgressCell.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

namespace vidtrawl::gui {

StatusCellPainter::StatusCellPainter(QObject *parent) : GridCellDelegate(parent) {}

void StatusCellPainter::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const {
  // A bar for a transfer's percentage; every other status is plain text.
  const engine::StatusClass status =
      engine::ClassifyStatus(index.data(Qt::DisplayRole).toString().toStdString());
  if (status.kind != engine::StatusKind::Progress || !status.percent) {
    GridCellDelegate::paint(painter, option, index);
    return;
  }
  const int percent = *status.percent;
  if (option.state & QStyle::State_Selected) {
    // The cell's own selection colours, over the whole cell.
    const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (option.state & QStyle::State_Active) ? QPalette::Active
                                                                               : QPalette::Inactive;
    DrawProgressCell(*painter, option.rect, percent,
                     option.palette.color(group, QPalette::Highlight),
                     option.palette.color(group, QPalette::HighlightedText), true, true);
    return;
  }
  // The user's colours, read at every paint so that a changed scheme shows.
  const QPalette user = QGuiApplication::palette();
  DrawProgressCell(*painter, option.rect, percent, user.color(QPalette::Highlight),
                   user.color(QPalette::HighlightedText), true, false);
}

} // namespace vidtrawl::gui
