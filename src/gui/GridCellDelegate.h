#pragma once

#include "gui/CellTextCache.h"

#include <QColor>
#include <QStyledItemDelegate>

namespace vidtrawl::gui {

// Draws the grid's cells: the ground (the row ground colour, or the view's
// selection colour for a selected cell), then the text on one line, left
// aligned, cut at the cell's edge. Texts are laid out once and kept, so a
// repaint costs little more than copying glyphs. The cell editor gets its
// own ground colour. Until colours are set, the view's palette decides.
class GridCellDelegate : public QStyledItemDelegate {
  Q_OBJECT

public:
  explicit GridCellDelegate(QObject *parent = nullptr);

  void SetColours(const QColor &rowGround, const QColor &editorGround);
  QColor RowGround() const { return rowGround_; }
  QColor EditorGround() const { return editorGround_; }

  void paint(QPainter *painter, const QStyleOptionViewItem &option,
             const QModelIndex &index) const override;
  QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                        const QModelIndex &index) const override;

private:
  mutable CellTextCache texts_;
  QColor rowGround_;
  QColor editorGround_;
};

} // namespace vidtrawl::gui
