#include "listview/qt/GridCellDelegate.h"

#include <QWidget>

namespace vidtrawl::listview::qt {

GridCellDelegate::GridCellDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

void GridCellDelegate::SetColours(const QColor &rowGround, const QColor &editorGround) {
  rowGround_ = rowGround;
  editorGround_ = editorGround;
}

QWidget *GridCellDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const {
  QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
  if (editor && editorGround_.isValid()) {
    QPalette palette = editor->palette();
    palette.setColor(QPalette::Base, editorGround_);
    palette.setColor(QPalette::Text, Qt::black);
    editor->setPalette(palette);
    editor->setAutoFillBackground(true);
  }
  return editor;
}

void GridCellDelegate::initStyleOption(QStyleOptionViewItem *option,
                                       const QModelIndex &index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  if (rowGround_.isValid() && option->backgroundBrush.style() == Qt::NoBrush)
    option->backgroundBrush = rowGround_;
}

} // namespace vidtrawl::listview::qt
