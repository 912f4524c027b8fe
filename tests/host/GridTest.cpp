// The grid contract, through the headless grid: rows taken before the data source changed (stale)
// or out of range read nothing and take nothing; and the recordset the grid shows.
#include "host/DownloadRecordset.h"
#include "host/GridLayout.h"
#include "host/HeadlessGrid.h"

#include <gtest/gtest.h>

namespace vidtrawl::host {
namespace {

TEST(Grid, StaleAndOutOfRangeRowsReadNothingAndTakeNothing) {
  HeadlessGrid grid;
  DownloadRecordset records;
  for (int id = 1; id <= 3; ++id) {
    records.AddNew();
    records.SetID(id);
    records.SetText(DownloadRecordset::Status, "Waiting");
  }
  grid.SetDataSource(&records);
  const GridRow old = *grid.Row(1);
  EXPECT_EQ(grid.PreviousRow(old)->index, 0);
  EXPECT_EQ(grid.NextRow(*grid.NextRow(old)), std::nullopt);
  EXPECT_EQ(grid.RowID(old), 2);
  EXPECT_FALSE(grid.CellText(old, kColumnCount));
  EXPECT_FALSE(grid.SetCellValue(old, -1, "x"));
  grid.SetDataSource(&records); // the rows are replaced
  for (const GridRow row : {old, GridRow{3, grid.Generation()}, GridRow{-1, grid.Generation()}}) {
    grid.SetRowSelected(row, true);
    grid.SetCellSelected({row, kColumnStatus}, true);
    EXPECT_FALSE(grid.IsCurrent(row) || grid.SetCellValue(row, kColumnStatus, "42") ||
                 grid.CellText(row, kColumnStatus) || grid.RowID(row) || grid.NextRow(row) ||
                 grid.PreviousRow(row) || grid.RowSelected(row) ||
                 grid.CellSelected({row, kColumnStatus}))
        << row.index;
  }
  EXPECT_EQ(grid.SelectedCellCount(), 0);
  EXPECT_EQ(grid.Texts()[1][kColumnStatus], "Waiting");
  EXPECT_TRUE(grid.SetCellValue(*grid.Row(1), kColumnStatus, "57"));
  EXPECT_EQ(grid.CellText(*grid.Row(1), kColumnStatus), "57");
  EXPECT_EQ(records[1].Status, "Waiting"); // the recordset is not the grid
  grid.SetDataSource(nullptr);
  EXPECT_FALSE(grid.FirstRow());
  EXPECT_FALSE(grid.HasDataSource());
  // Widths of no column, and negative ones, are not taken; 0 hides a column.
  grid.SetColumnWidth(kColumnID, 900);
  grid.SetColumnWidth(kColumnID, -1);
  grid.SetColumnWidth(kColumnCount, 6000);
  grid.SetColumnWidth(-1, 6000);
  EXPECT_EQ(grid.ColumnWidth(kColumnID), 900);
  EXPECT_EQ(grid.ColumnWidth(kColumnCount), 0);
  grid.SetColumnWidth(kColumnID, 0);
  EXPECT_EQ(grid.ColumnWidth(kColumnID), 0);
  EXPECT_EQ(grid.LayoutsApplied(), 0);
}

// Texts are cut to their field's width in characters, never inside one.
TEST(DownloadRecordset, TextsGoToTheCurrentRecordCutToTheirWidth) {
  DownloadRecordset records;
  records.SetID(9); // no record yet: nothing happens
  records.SetText(DownloadRecordset::Status, "x");
  records.AddNew();
  records.SetText(DownloadRecordset::FileSize, "12345678901");
  records.AddNew();
  records.SetID(2);
  records.MoveFirst();
  records.SetText(DownloadRecordset::Status, "first");
  EXPECT_EQ(records.RecordCount(), 2u);
  EXPECT_EQ(records.Text(0, DownloadRecordset::FileSize), "1234567890");
  EXPECT_EQ(records.Text(0, DownloadRecordset::Status), "first");
  EXPECT_EQ(records.Text(1, DownloadRecordset::ID), "2");
  EXPECT_EQ(records.Text(2, DownloadRecordset::ID), "");
  const std::string e = "\xC3\xA9", euro = "\xE2\x82\xAC";
  EXPECT_EQ(FirstCharacters(e + e + e, 2), e + e);
  EXPECT_EQ(FirstCharacters("a" + euro + "b", 2), "a" + euro);
  EXPECT_EQ(FirstCharacters(e + "b", 5), e + "b");
  EXPECT_EQ(FirstCharacters("\x80\x80" + std::string("ab"), 1), "\x80\x80" + std::string("a"));
}

} // namespace
} // namespace vidtrawl::host
