#include "gui/GridCellDelegate.h"

#include "gui/ListColumns.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QWidget>

namespace vidtrawl::gui {

GridCellDelegate::GridCellDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

QWidget *GridCellDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const {
  QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
  if (editor && look_) {
    QPalette palette = editor->palette();
    palette.setColor(QPalette::Base, look_->editorGround);
    palette.setColor(QPalette::Text, look_->editorText);
    editor->setPalette(palette);
    editor->setAutoFillBackground(true);
  }
  return editor;
}

void GridCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const {
  const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
                                     : (option.state & QStyle::State_Active) ? QPalette::Active
                                                                             : QPalette::Inactive;
  const bool selected = option.state & QStyle::State_Selected;
  const QColor ground = selected ? option.palette.color(group, QPalette::Highlight)
                        : look_  ? look_->rowGround
                                 : option.palette.color(group, QPalette::Base);
  painter->fillRect(option.rect, ground);

  const QString text = index.data(Qt::DisplayRole).toString();
  if (!text.isEmpty()) {
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect area = option.rect.adjusted(margin, 0, -margin, 0);
    // Addresses and names keep their ends (the site, the extension) when cut.
    const bool ends = index.column() == kColumnAddress || index.column() == kColumnFileName;
    const QStaticText &laidOut =
        texts_.Get(text, option.font, area.width(), ends ? Qt::ElideMiddle : Qt::ElideRight);
    painter->save();
    painter->setClipRect(area, Qt::IntersectClip);
    painter->setFont(option.font);
    painter->setPen(
        option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    const qreal top = area.top() + (area.height() - laidOut.size().height()) / 2;
    painter->drawStaticText(QPointF(area.left(), top), laidOut);
    painter->restore();
  }
}

} // namespace vidtrawl::gui
