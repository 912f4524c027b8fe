#include "listview/qt/StatusCellPainter.h"

#include "listview/qt/DrawProgressCell.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

namespace vidtrawl::listview::qt {

StatusCellPainter::StatusCellPainter(QObject *parent) : GridCellDelegate(parent) {}

void StatusCellPainter::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const {
  const QString status = index.data(Qt::DisplayRole).toString();
  if (!IsProgressStatus(status)) {
    GridCellDelegate::paint(painter, option, index);
    return;
  }
  const int percent = ProgressPercent(status);
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

} // namespace vidtrawl::listview::qt
