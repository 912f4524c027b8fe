#pragma once

#include "gui/ListSelection.h"

#include <QTableView>

namespace vidtrawl::gui {

class DownloadListModel;
class GridCellDelegate;
class StatusCellPainter;

// The download list on screen: a table view over the list model, its cells
// selectable one by one or in ranges (a row counts as chosen when any of its
// cells is), the status column painted with a progress bar, the file name
// editable. What the list commands read of the selection comes from here.
class DownloadListView final : public QTableView, public ListSelection {
  Q_OBJECT

public:
  explicit DownloadListView(DownloadListModel &model, QWidget *parent = nullptr);

  DownloadListModel &Model() const { return model_; }

  void SelectAll() override;
  std::vector<engine::Serial> SelectedItems() const override;
  std::optional<engine::Serial> FirstSelectedItem() const override;

  // Lays the columns out (widths, colours).
  void Layout();
  int TwipsToScreenPixels(int twips) const;

private:
  DownloadListModel &model_;
  GridCellDelegate *cellDelegate_;
  StatusCellPainter *statusPainter_;
};

} // namespace vidtrawl::gui
