#pragma once

#include "host/CellSelection.h"
#include "host/Grid.h"

#include <QTableView>

#include <cstdint>
#include <utility>
#include <vector>

class QItemSelection;

namespace vidtrawl::host {
class CellUpdateEvents;
}

namespace vidtrawl::gui {

class DownloadGridModel;
class GridCellDelegate;
class StatusCellPainter;

// The download grid on screen: a table view that shows the list recordset
// and implements the engine's grid contract. A selected cell is a selected
// index of the view; a row is selected when all its cells are. The selected
// cells are kept in the order they were selected.
//
// The grid keeps its own record of which cells are selected, so the engine's
// reads cost nothing however large the selection. Selections the engine
// makes reach the view's selection model in one go, coalesced into ranges,
// before the view next handles an event or when SyncSelection is called
// (selecting 32,767 rows one by one through the model would cost time
// quadratic in the rows); the user's selections come back through the
// model's change signal. The status column is
// painted by the status painter; a committed edit raises the cell update
// events (see SetCellUpdateEvents).
class DownloadGrid final : public QTableView, public host::Grid {
  Q_OBJECT

public:
  explicit DownloadGrid(QWidget *parent = nullptr);
  ~DownloadGrid() override;

  // Who hears BeforeCellUpdate / AfterCellUpdate (nullptr: nobody; the
  // typed value is then taken as it is).
  void SetCellUpdateEvents(host::CellUpdateEvents *events) { events_ = events; }

  DownloadGridModel &Model() const { return *model_; }
  // Hands pending selection changes of the engine to the view's selection model.
  void SyncSelection();
  int LayoutsApplied() const { return layoutsApplied_; }
  // A width in twips in pixels at this screen's resolution.
  int TwipsToScreenPixels(int twips) const;

protected:
  void AttachSource(const host::DownloadRecordset *recordset) override;
  int Rows() const override;
  std::string Text(int row, int column) const override;
  void WriteValue(int row, int column, const std::string &value) override;
  bool RowSelectedAt(int row) const override;
  void SelectRowAt(int row, bool selected) override;
  bool CellSelectedAt(int row, int column) const override;
  void SelectCellAt(int row, int column, bool selected) override;
  int SelectedCellsCount() const override { return cells_.Count(); }
  std::pair<int, int> SelectedCellAt(int position) const override;
  void Layout() override;
  bool viewportEvent(QEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;

private:
  bool CommitEdit(int row, int column, const std::string &value);
  void TrackSelection(const QItemSelection &selected, const QItemSelection &deselected);
  void SelectionChanged();
  void ApplyColours();

  // First, so that they are set before any event can arrive.
  bool selectionPending_ = false; // the engine changed it; the view has not got it yet
  bool syncing_ = false;          // the view's model takes our selection
  DownloadGridModel *model_;
  GridCellDelegate *cellDelegate_;
  StatusCellPainter *statusPainter_;
  host::CellUpdateEvents *events_ = nullptr;
  host::CellSelection cells_;
  int layoutsApplied_ = 0;
};

} // namespace vidtrawl::gui
