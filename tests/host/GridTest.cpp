// The grid contract, through the headless grid: rows taken before the data
// source changed (stale) or out of range are ignored, selections keep their
// order, the user's column widths last until the next layout.
#include "host/DownloadRecordset.h"
#include "host/GridLayout.h"
#include "host/HeadlessGrid.h"

#include <gtest/gtest.h>

namespace vidtrawl::host {
namespace {

DownloadRecordset Records(int count) {
  DownloadRecordset records;
  for (int i = 1; i <= count; ++i) {
    records.AddNew();
    records.SetID(i);
    records.SetText(DownloadRecordset::Status, "Waiting");
  }
  return records;
}

TEST(Grid, StaleAndOutOfRangeRowsReadNothingAndTakeNothing) {
  HeadlessGrid grid;
  const DownloadRecordset records = Records(3);
  grid.SetDataSource(&records);
  const GridRow old = *grid.Row(1);
  EXPECT_EQ(grid.PreviousRow(old)->index, 0);
  EXPECT_EQ(grid.NextRow(*grid.NextRow(old)), std::nullopt);
  EXPECT_EQ(grid.RowID(old), 2);
  EXPECT_FALSE(grid.CellText(old, kColumnCount));
  EXPECT_FALSE(grid.SetCellValue(old, -1, "x"));
  grid.SetDataSource(&records); // the rows are replaced
  for (const GridRow row : {old, GridRow{3, grid.Generation()}, GridRow{-1, grid.Generation()}}) {
    EXPECT_FALSE(grid.IsCurrent(row));
    EXPECT_FALSE(grid.SetCellValue(row, kColumnStatus, "42"));
    EXPECT_FALSE(grid.CellText(row, kColumnStatus));
    EXPECT_FALSE(grid.RowID(row));
    EXPECT_FALSE(grid.NextRow(row));
    EXPECT_FALSE(grid.PreviousRow(row));
    grid.SetRowSelected(row, true);
    grid.SetCellSelected({row, kColumnStatus}, true);
    EXPECT_FALSE(grid.RowSelected(row));
    EXPECT_FALSE(grid.CellSelected({row, kColumnStatus}));
  }
  EXPECT_EQ(grid.SelectedCellCount(), 0);
  EXPECT_EQ(grid.Texts()[1][kColumnStatus], "Waiting");
  EXPECT_TRUE(grid.SetCellValue(*grid.Row(1), kColumnStatus, "57"));
  EXPECT_EQ(grid.CellText(*grid.Row(1), kColumnStatus), "57");
  EXPECT_EQ(records[1].Status, "Waiting"); // the recordset is not the grid
  grid.SetDataSource(nullptr);
  EXPECT_FALSE(grid.FirstRow());
  EXPECT_FALSE(grid.HasDataSource());
}

TEST(Grid, SelectedCellsKeepTheirOrderUntilTheRowsAreReplaced) {
  HeadlessGrid grid;
  const DownloadRecordset records = Records(3);
  grid.SetDataSource(&records);
  const auto select = [&](int row, int column, bool on) {
    grid.SetCellSelected({*grid.Row(row), column}, on);
  };
  select(2, kColumnStatus, true);
  select(0, kColumnFileSize, true);
  select(1, kColumnID, true);
  select(2, kColumnStatus, true); // already selected
  select(1, kColumnFileName, false);
  select(0, kColumnFileSize, false);
  std::vector<int> cells;
  for (const GridCell &cell : grid.SelectedCells())
    cells.push_back(cell.row.index * 10 + cell.column);
  EXPECT_EQ(cells, (std::vector<int>{23, 10}));
  EXPECT_EQ(grid.SelectedCell(1)->row.index, 1);
  EXPECT_FALSE(grid.SelectedCell(2));
  EXPECT_FALSE(grid.SelectedCell(-1));
  EXPECT_TRUE(grid.CellSelected({*grid.Row(2), kColumnStatus}));
  EXPECT_FALSE(grid.CellSelected({*grid.Row(2), kColumnFileSize}));
  grid.SetRowSelected(*grid.Row(0), true);
  EXPECT_TRUE(grid.RowSelected(*grid.Row(0)));
  grid.SetDataSource(&records);
  EXPECT_FALSE(grid.RowSelected(*grid.Row(0)));
  EXPECT_EQ(grid.SelectedCellCount(), 0);
}

TEST(Grid, TheUsersColumnWidthsLastUntilTheNextLayout) {
  HeadlessGrid grid;
  const DownloadRecordset records = Records(1);
  const int initial = grid.ColumnWidth(kColumnVideoURL);
  grid.SetColumnWidth(kColumnVideoURL, 6000);
  grid.SetColumnWidth(kColumnStatus, -1); // no such width
  grid.SetDataSource(&records);
  EXPECT_EQ(grid.ColumnWidth(kColumnVideoURL), 6000);
  EXPECT_NE(grid.ColumnWidth(kColumnStatus), -1);
  grid.ApplyLayout();
  EXPECT_EQ(grid.ColumnWidth(kColumnVideoURL), initial);
  EXPECT_EQ(grid.ColumnWidth(kColumnCount), 0);
}

TEST(FirstCharacters, CutsAfterWholeCharacters) {
  const std::string e = "\xC3\xA9", euro = "\xE2\x82\xAC";
  const struct {
    std::string text;
    std::size_t n;
    std::string first;
  } cases[] = {{"abc", 3, "abc"},
               {"abcd", 3, "abc"},
               {"abc", 0, ""},
               {e + e + e, 2, e + e},
               {"a" + euro + "b", 2, "a" + euro},
               {e + "b", 5, e + "b"},
               {"\x80\x80" + std::string("ab"), 1, "\x80\x80" + std::string("a")}};
  for (const auto &c : cases)
    EXPECT_EQ(FirstCharacters(c.text, c.n), c.first) << c.text << " " << c.n;
}

} // namespace
} // namespace vidtrawl::host
