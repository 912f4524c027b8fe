#include "gui/StatusCellPainter.h"

#include "gui/DownloadListModel.h"
#include "gui/DrawProgressCell.h"
#include "gui/ListColumns.h"

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
  // The status cell says the percentage; the progress cell its own text over the bar.
  const QString text =
      index.column() == kColumnStatus ? QString::number(percent) + u'%' : index.data().toString();
  const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
                                     : (option.state & QStyle::State_Active) ? QPalette::Active
                                                                             : QPalette::Inactive;
  if (option.state & QStyle::State_Selected) {
    // The selection's colours, over the whole cell.
    const QColor ground = option.palette.color(group, QPalette::Highlight);
    const QColor ink = option.palette.color(group, QPalette::HighlightedText);
    DrawProgressCell(*painter, option.rect, percent, {ground, ink, ground, ink}, text, true);
    return;
  }
  // The user's highlight colour, read at every paint so that a changed scheme shows.
  const QColor bar = QGuiApplication::palette().color(QPalette::Highlight);
  const QColor ground = Look() ? Look()->rowGround : option.palette.color(group, QPalette::Base);
  const QColor ink = Look() ? Look()->rowText : option.palette.color(group, QPalette::Text);
  DrawProgressCell(*painter, option.rect, percent, {bar, ReadableOn(bar), ground, ink}, text,
                   false);
}

} // namespace vidtrawl::gui
