#pragma once

#include "host/CellSelection.h"
#include "host/Grid.h"
#include "host/GridLayout.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace vidtrawl::host {

// A grid without a window, for the console front end and the tests: it keeps
// the texts of the rows it shows, the row and cell selection (selected cells
// in the order they were selected), the column widths and how often the
// columns were laid out. Column widths the user set survive a new data
// source; only a layout restores the initial widths.
class HeadlessGrid final : public Grid {
public:
  HeadlessGrid();

  int LayoutsApplied() const { return layoutsApplied_; }
  int ColumnWidth(int column) const;
  // The user resizes a column (twips).
  void SetColumnWidth(int column, int widthTwips);
  bool HasDataSource() const { return attached_; }

  // The rows shown, one text per cell, for printing and tests.
  const std::vector<std::array<std::string, kColumnCount>> &Texts() const { return rows_; }

protected:
  void AttachSource(const DownloadRecordset *recordset) override;
  int Rows() const override { return static_cast<int>(rows_.size()); }
  std::string Text(int row, int column) const override;
  void WriteValue(int row, int column, const std::string &value) override;
  bool RowSelectedAt(int row) const override;
  void SelectRowAt(int row, bool selected) override;
  bool CellSelectedAt(int row, int column) const override;
  void SelectCellAt(int row, int column, bool selected) override;
  int SelectedCellsCount() const override { return cells_.Count(); }
  std::pair<int, int> SelectedCellAt(int position) const override;
  void Layout() override;

private:
  std::vector<std::array<std::string, kColumnCount>> rows_;
  std::vector<bool> rowSelected_;
  CellSelection cells_;
  std::array<int, kColumnCount> widths_{};
  int layoutsApplied_ = 0;
  bool attached_ = false;
};

} // namespace vidtrawl::host
