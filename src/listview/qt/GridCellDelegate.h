#pragma once

#include <QColor>
#include <QStyledItemDelegate>

namespace vidtrawl::listview::qt {

// Draws the grid's cells on the row ground colour and gives the cell editor
// its own ground colour. Until colours are set, the view's palette decides.
class GridCellDelegate : public QStyledItemDelegate {
  Q_OBJECT

public:
  explicit GridCellDelegate(QObject *parent = nullptr);

  void SetColours(const QColor &rowGround, const QColor &editorGround);
  QColor RowGround() const { return rowGround_; }
  QColor EditorGround() const { return editorGround_; }

  QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                        const QModelIndex &index) const override;

protected:
  void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
  QColor rowGround_;
  QColor editorGround_;
};

} // namespace vidtrawl::listview::qt
