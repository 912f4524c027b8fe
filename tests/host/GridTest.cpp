// The grid contract, through the headless grid: rows taken before the data
// source changed (stale) or out of range read nothing and take nothing.
#include "host/DownloadRecordset.h"
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

} // namespace
} // namespace vidtrawl::host
