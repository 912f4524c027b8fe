#pragma once

#include "host/GridRow.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace vidtrawl::host {

class DownloadRecordset;

// Thrown by a grid whose control is gone (for example while the window
// closes). A list rebuild that meets it ends without a message.
class GridUnavailable : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The grid that shows the download list: what the engine asks of it.
//
// A host implements the protected hooks, which see plain row positions; the
// public operations take GridRow references and ignore every row that is
// stale (taken before the last data-source change) or out of range, so a
// progress write after an un-relocated rebuild never lands in another row.
// Cell texts are the grid's values: reading a cell's value and its text is
// the same thing here.
class Grid {
public:
  virtual ~Grid() = default;

  // Shows one row per record of the recordset, columns in its field order;
  // nothing (nullptr) shows no rows. The grid takes what it shows from the
  // recordset during this call. Rows, row and cell selections taken before
  // are gone afterwards.
  void SetDataSource(const DownloadRecordset *recordset);
  std::uint64_t Generation() const { return generation_; }

  // Rows by position; each is nothing when absent or when the given row is stale.
  int RowCount() const { return Rows(); }
  std::optional<GridRow> Row(int index) const;
  std::optional<GridRow> FirstRow() const { return Row(0); }
  std::optional<GridRow> LastRow() const { return Row(Rows() - 1); }
  std::optional<GridRow> NextRow(GridRow row) const;
  std::optional<GridRow> PreviousRow(GridRow row) const;
  bool IsCurrent(GridRow row) const;

  bool RowSelected(GridRow row) const;
  void SetRowSelected(GridRow row, bool selected);

  // The item ID a row shows in its ID cell; nothing for a stale row or an
  // ID text that is not a whole decimal number.
  std::optional<int> RowID(GridRow row) const;

  // The text of a cell; nothing for a stale row or an unknown column.
  std::optional<std::string> CellText(GridRow row, int column) const;
  // Shows the value at once, without a rebuild. False (nothing written) for
  // a stale row or an unknown column.
  bool SetCellValue(GridRow row, int column, const std::string &value);

  bool CellSelected(GridCell cell) const;
  void SetCellSelected(GridCell cell, bool selected);

  // The selected cells in selection order: count, access by position from 0,
  // enumeration.
  int SelectedCellCount() const { return SelectedCellsCount(); }
  std::optional<GridCell> SelectedCell(int position) const;
  std::vector<GridCell> SelectedCells() const;

  // Lays out the columns (captions, widths, editability, colours).
  void ApplyLayout() { Layout(); }

protected:
  virtual void AttachSource(const DownloadRecordset *recordset) = 0;
  virtual int Rows() const = 0;
  virtual std::string Text(int row, int column) const = 0;
  virtual void WriteValue(int row, int column, const std::string &value) = 0;
  virtual bool RowSelectedAt(int row) const = 0;
  virtual void SelectRowAt(int row, bool selected) = 0;
  virtual bool CellSelectedAt(int row, int column) const = 0;
  virtual void SelectCellAt(int row, int column, bool selected) = 0;
  virtual int SelectedCellsCount() const = 0;
  // The (row, column) of the selected cell at this position.
  virtual std::pair<int, int> SelectedCellAt(int position) const = 0;
  virtual void Layout() = 0;

private:
  bool Valid(GridRow row, int column) const;

  std::uint64_t generation_ = 1;
};

} // namespace vidtrawl::host
