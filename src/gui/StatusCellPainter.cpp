#include "gui/StatusCellPainter.h"

#include "gui/DownloadListModel.h"
#include "gui/DrawProgressCell.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

#include <algorithm>

namespace vidtrawl::gui {

StatusCellPainter::StatusCellPainter(QObject *parent) : GridCellDelegate(parent) {}

void StatusCellPainter::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const {
  // A bar for a transfer's percentage; every other status is plain text.
  const QVariant percentage = index.data(DownloadListModel::PercentRole);
  if (!percentage.isValid()) {
    GridCellDelegate::paint(painter, option, index);
    return;
  }
  const int percent = static_cast<int>(std::clamp<qlonglong>(percentage.toLongLong(), 0, 100));
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
