#pragma once

#include "gui/GridCellDelegate.h"

namespace vidtrawl::gui {

// Paints the status cells: a transfer's percentage (the model's
// PercentRole) as a progress bar in the user's highlight colour over the
// row's ground (a selected cell wholly in the selection's colours), every
// other status as ordinary text.
class StatusCellPainter final : public GridCellDelegate {
  Q_OBJECT

public:
  explicit StatusCellPainter(QObject *parent = nullptr);

  void paint(QPainter *painter, const QStyleOptionViewItem &option,
             const QModelIndex &index) const override;
};

} // namespace vidtrawl::gui
