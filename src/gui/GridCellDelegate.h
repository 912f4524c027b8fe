#pragma once

#include "gui/CellTextCache.h"
#include "gui/ListLook.h"

#include <QStyledItemDelegate>

#include <optional>

namespace vidtrawl::gui {

// Draws the list's cells: the ground (the row's, or the selection's for a
// selected row), then the text on one line, left aligned, cut with "…" where
// it does not fit (in the middle for addresses and file names). Texts are laid out once and kept,
// so a repaint costs little more than copying glyphs. The cell editor gets the look's editor
// colours. Until a look is set, the view's palette decides.
class GridCellDelegate : public QStyledItemDelegate {
  Q_OBJECT

public:
  explicit GridCellDelegate(QObject *parent = nullptr);

  void SetLook(const ListLook &look) { look_ = look; }
  const std::optional<ListLook> &Look() const { return look_; }

  void paint(QPainter *painter, const QStyleOptionViewItem &option,
             const QModelIndex &index) const override;
  QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                        const QModelIndex &index) const override;

private:
  mutable CellTextCache texts_;
  std::optional<ListLook> look_;
};

} // namespace vidtrawl::gui
