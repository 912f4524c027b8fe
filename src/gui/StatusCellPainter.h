#pragma once

#include "gui/GridCellDelegate.h"

namespace vidtrawl::gui {

// Paints the status and progress cells: their share (the model's
// PercentRole) as a progress bar in the user's highlight colour over the
// row's ground (a selected cell wholly in the selection's colours), with the
// percentage or the progress text on it; a cell without a share as ordinary
// text.
class StatusCellPainter final : public GridCellDelegate {
  Q_OBJECT

public:
  explicit StatusCellPainter(QObject *parent = nullptr);

  void paint(QPainter *painter, const QStyleOptionViewItem &option,
             const QModelIndex &index) const override;
};

} // namespace vidtrawl::gui
