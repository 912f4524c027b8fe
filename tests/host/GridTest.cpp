#include "host/DownloadRecordset.h"
#include "host/GridLayout.h"
#include "host/HeadlessGrid.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using vidtrawl::host::DownloadRecordset;
using vidtrawl::host::GridCell;
using vidtrawl::host::GridRow;
using vidtrawl::host::HeadlessGrid;
using vidtrawl::host::kColumnFileName;
using vidtrawl::host::kColumnFileSize;
using vidtrawl::host::kColumnID;
using vidtrawl::host::kColumnStatus;
using vidtrawl::host::kColumnVideoURL;

namespace {

DownloadRecordset Records(int count) {
  DownloadRecordset rs;
  for (int i = 1; i <= count; ++i) {
    rs.AddNew();
    rs.SetID(i);
    rs.SetText(DownloadRecordset::Video_URL, "url" + std::to_string(i));
    rs.SetText(DownloadRecordset::FileName, "file" + std::to_string(i));
    rs.SetText(DownloadRecordset::Status, "Waiting");
    rs.SetText(DownloadRecordset::FileSize, "????");
  }
  return rs;
}

std::vector<int> Indexes(const std::vector<GridCell> &cells) {
  std::vector<int> out;
  for (const GridCell &cell : cells)
    out.push_back(cell.row.index * 10 + cell.column);
  return out;
}

} // namespace

TEST(HeadlessGrid, ShowsOneRowPerRecordWithColumnsInFieldOrder) {
  HeadlessGrid grid;
  const DownloadRecordset rs = Records(2);
  grid.SetDataSource(&rs);
  ASSERT_EQ(grid.RowCount(), 2);
  const GridRow row = *grid.Row(1);
  EXPECT_EQ(grid.CellText(row, kColumnID), "2");
  EXPECT_EQ(grid.CellText(row, kColumnVideoURL), "url2");
  EXPECT_EQ(grid.CellText(row, kColumnFileName), "file2");
  EXPECT_EQ(grid.CellText(row, kColumnStatus), "Waiting");
  EXPECT_EQ(grid.CellText(row, kColumnFileSize), "????");
  EXPECT_FALSE(grid.CellText(row, 5));
  EXPECT_FALSE(grid.CellText(row, -1));
  EXPECT_TRUE(grid.HasDataSource());
}

TEST(HeadlessGrid, NothingAsDataSourceShowsNoRows) {
  HeadlessGrid grid;
  const DownloadRecordset rs = Records(3);
  grid.SetDataSource(&rs);
  grid.SetDataSource(nullptr);
  EXPECT_EQ(grid.RowCount(), 0);
  EXPECT_FALSE(grid.FirstRow());
  EXPECT_FALSE(grid.LastRow());
  EXPECT_FALSE(grid.HasDataSource());
}

TEST(HeadlessGrid, WalksRowsBothWays) {
  HeadlessGrid grid;
  const DownloadRecordset rs = Records(3);
  grid.SetDataSource(&rs);
  std::vector<int> forward, backward;
  for (auto row = grid.FirstRow(); row; row = grid.NextRow(*row))
    forward.push_back(row->index);
  for (auto row = grid.LastRow(); row; row = grid.PreviousRow(*row))
    backward.push_back(row->index);
  EXPECT_EQ(forward, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(backward, (std::vector<int>{2, 1, 0}));
  EXPECT_FALSE(grid.Row(3));
  EXPECT_FALSE(grid.Row(-1));
}

TEST(HeadlessGrid, CellWriteShowsAtOnceWithoutRebuild) {
  HeadlessGrid grid;
  const DownloadRecordset rs = Records(2);
  grid.SetDataSource(&rs);
  const auto generation = grid.Generation();
  EXPECT_TRUE(grid.SetCellValue(*grid.Row(0), kColumnStatus, "57"));
  EXPECT_EQ(grid.CellText(*grid.Row(0), kColumnStatus), "57");
  EXPECT_EQ(grid.Generation(), generation);
  EXPECT_EQ(rs[0].Status, "Waiting"); // the recordset is not the grid
  EXPECT_FALSE(grid.SetCellValue(*grid.Row(0), 9, "x"));
}

TEST(HeadlessGrid, StaleRowsReadNothingAndWritesAreIgnored) {
  HeadlessGrid grid;
  const DownloadRecordset rs = Records(3);
  grid.SetDataSource(&rs);
  const GridRow old = *grid.Row(1);
  grid.SetDataSource(&rs); // rows replaced
  EXPECT_FALSE(grid.IsCurrent(old));
  EXPECT_FALSE(grid.SetCellValue(old, kColumnStatus, "42"));
  EXPECT_FALSE(grid.CellText(old, kColumnStatus));
  EXPECT_FALSE(grid.NextRow(old));
  EXPECT_FALSE(grid.PreviousRow(old));
  grid.SetRowSelected(old, true);
  grid.SetCellSelected(GridCell{old, kColumnStatus}, true);
  EXPECT_FALSE(grid.RowSelected(old));
  EXPECT_FALSE(grid.CellSelected(GridCell{old, kColumnStatus}));
  EXPECT_EQ(grid.SelectedCellCount(), 0);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(grid.CellText(*grid.Row(i), kColumnStatus), "Waiting");
    EXPECT_FALSE(grid.RowSelected(*grid.Row(i)));
  }
}

TEST(HeadlessGrid, RowOutOfRangeOfTheSameGenerationIsIgnored) {
  HeadlessGrid grid;
  const DownloadRecordset rs = Records(2);
  grid.SetDataSource(&rs);
  const GridRow beyond{5, grid.Generation()};
  EXPECT_FALSE(grid.IsCurrent(beyond));
  EXPECT_FALSE(grid.SetCellValue(beyond, kColumnStatus, "1"));
  grid.SetRowSelected(beyond, true);
  EXPECT_FALSE(grid.RowSelected(beyond));
}

TEST(HeadlessGrid, SelectedCellsKeepSelectionOrder) {
  HeadlessGrid grid;
  const DownloadRecordset rs = Records(3);
  grid.SetDataSource(&rs);
  grid.SetCellSelected(GridCell{*grid.Row(2), kColumnStatus}, true);
  grid.SetCellSelected(GridCell{*grid.Row(0), kColumnFileSize}, true);
  grid.SetCellSelected(GridCell{*grid.Row(1), kColumnID}, true);
  grid.SetCellSelected(GridCell{*grid.Row(2), kColumnStatus}, true); // already selected
  EXPECT_EQ(grid.SelectedCellCount(), 3);
  EXPECT_EQ(Indexes(grid.SelectedCells()), (std::vector<int>{23, 4, 10}));
  EXPECT_EQ(grid.SelectedCell(1)->column, kColumnFileSize);
  EXPECT_FALSE(grid.SelectedCell(3));
  EXPECT_FALSE(grid.SelectedCell(-1));
  EXPECT_TRUE(grid.CellSelected(GridCell{*grid.Row(0), kColumnFileSize}));
  EXPECT_FALSE(grid.CellSelected(GridCell{*grid.Row(0), kColumnStatus}));

  grid.SetCellSelected(GridCell{*grid.Row(0), kColumnFileSize}, false);
  EXPECT_EQ(Indexes(grid.SelectedCells()), (std::vector<int>{23, 10}));
  EXPECT_FALSE(grid.CellSelected(GridCell{*grid.Row(0), kColumnFileSize}));
}

TEST(HeadlessGrid, SelectionIsGoneWhenRowsAreReplaced) {
  HeadlessGrid grid;
  const DownloadRecordset rs = Records(2);
  grid.SetDataSource(&rs);
  grid.SetRowSelected(*grid.Row(0), true);
  grid.SetCellSelected(GridCell{*grid.Row(1), kColumnStatus}, true);
  EXPECT_TRUE(grid.RowSelected(*grid.Row(0)));
  grid.SetDataSource(&rs);
  EXPECT_FALSE(grid.RowSelected(*grid.Row(0)));
  EXPECT_EQ(grid.SelectedCellCount(), 0);
  EXPECT_FALSE(grid.CellSelected(GridCell{*grid.Row(1), kColumnStatus}));
}

TEST(HeadlessGrid, UserWidthsSurviveNewDataSourceButNotALayout) {
  HeadlessGrid grid;
  const DownloadRecordset rs = Records(1);
  EXPECT_EQ(grid.ColumnWidth(kColumnVideoURL), 3800);
  grid.SetColumnWidth(kColumnVideoURL, 6000);
  grid.SetColumnWidth(kColumnVideoURL + 10, 6000); // no such column
  grid.SetDataSource(&rs);
  EXPECT_EQ(grid.ColumnWidth(kColumnVideoURL), 6000);
  grid.ApplyLayout();
  EXPECT_EQ(grid.ColumnWidth(kColumnVideoURL), 3800);
  EXPECT_EQ(grid.LayoutsApplied(), 1);
  EXPECT_EQ(grid.ColumnWidth(99), 0);
}

TEST(GridLayout, ColumnTable) {
  using vidtrawl::host::kColumnLayouts;
  const char *keys[] = {"ID", "Video_URL", "FileName", "Status", "FileSize"};
  const char *captions[] = {" ", "Video URL", "Local File Name", "Download Status", "File Size"};
  const int widths[] = {300, 3800, 1800, 1700, 750};
  for (int i = 0; i < vidtrawl::host::kColumnCount; ++i) {
    EXPECT_EQ(kColumnLayouts[i].key, keys[i]);
    EXPECT_EQ(kColumnLayouts[i].key, DownloadRecordset::kFields[i].name);
    EXPECT_EQ(kColumnLayouts[i].caption, captions[i]);
    EXPECT_EQ(kColumnLayouts[i].widthTwips, widths[i]);
    EXPECT_EQ(kColumnLayouts[i].editable, i == kColumnFileName) << i;
  }
  EXPECT_EQ(vidtrawl::host::TwipsToPixels(1440), 96);
  EXPECT_EQ(vidtrawl::host::TwipsToPixels(300), 20);
  EXPECT_EQ(vidtrawl::host::TwipsToPixels(3800, 144), 380);
}

TEST(GridLayout, Colours) {
  using vidtrawl::host::Rgb;
  EXPECT_EQ(vidtrawl::host::kGridBackColour, (Rgb{201, 211, 216}));
  EXPECT_EQ(vidtrawl::host::kGridSecondColour, (Rgb{39, 104, 146}));
  EXPECT_EQ(vidtrawl::host::kAppearanceABack, (Rgb{60, 117, 157}));
  EXPECT_EQ(vidtrawl::host::kAppearanceBBack, (Rgb{60, 117, 157}));
  EXPECT_EQ(vidtrawl::host::kAppearanceBFore, (Rgb{255, 255, 255}));
  EXPECT_EQ(vidtrawl::host::kAppearanceCBack, (Rgb{255, 255, 255}));
  EXPECT_EQ(vidtrawl::host::kAppearanceDBack, (Rgb{0, 0, 0}));
  EXPECT_EQ(vidtrawl::host::kAppearanceDFore, (Rgb{255, 255, 255}));
  EXPECT_EQ(vidtrawl::host::kAppearanceEBack, (Rgb{255, 199, 0}));
}
