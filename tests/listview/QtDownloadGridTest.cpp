#include "QtGridWindow.h"

#include "list/Status.h"
#include "listview/GridLayout.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using vidtrawl::listview::GridCell;
using vidtrawl::listview::GridRow;
using vidtrawl::listview::kColumnCount;
using vidtrawl::listview::kColumnFileName;
using vidtrawl::listview::kColumnFileSize;
using vidtrawl::listview::kColumnID;
using vidtrawl::listview::kColumnLayouts;
using vidtrawl::listview::kColumnStatus;
using vidtrawl::listview::kColumnVideoURL;
using vidtrawl::testing::QtGridWindow;

namespace {

std::vector<int> Positions(const std::vector<GridCell> &cells) {
  std::vector<int> out;
  for (const GridCell &cell : cells)
    out.push_back(cell.row.index * 10 + cell.column);
  return out;
}

QColor Rgb(vidtrawl::listview::Rgb rgb) {
  return QColor(rgb.r, rgb.g, rgb.b);
}

} // namespace

// --- data source -------------------------------------------------------------

TEST(QtDownloadGrid, ShowsTheListRecordsetColumnByColumn) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1), "http://example.org/unsupported"});
  ASSERT_EQ(w.grid.RowCount(), 2);
  ASSERT_EQ(w.grid.Model().rowCount(), 2);
  ASSERT_EQ(w.grid.Model().columnCount(), kColumnCount);
  EXPECT_EQ(w.Shown(0, kColumnID), "1");
  EXPECT_EQ(w.Shown(0, kColumnVideoURL), QtGridWindow::Url(1));
  EXPECT_EQ(w.Shown(0, kColumnFileName), vidtrawl::list::kWaitingAutoDetect);
  EXPECT_EQ(w.Shown(0, kColumnStatus), "Waiting");
  EXPECT_EQ(w.Shown(0, kColumnFileSize), "????");
  EXPECT_EQ(w.Shown(1, kColumnID), "2");
  // The contract's reads give the same texts.
  EXPECT_EQ(w.grid.CellText(*w.grid.Row(1), kColumnVideoURL), "http://example.org/unsupported");
}

TEST(QtDownloadGrid, EveryRebindReplacesAllRowsAndNothingShowsNoRows) {
  QtGridWindow w;
  QSignalSpy resets(&w.grid.Model(), &QAbstractItemModel::modelReset);
  w.Add({QtGridWindow::Url(1), QtGridWindow::Url(2)});
  EXPECT_EQ(resets.count(), 2);
  w.grid.SetDataSource(nullptr);
  EXPECT_EQ(resets.count(), 3);
  EXPECT_EQ(w.grid.RowCount(), 0);
  EXPECT_EQ(w.grid.Model().rowCount(), 0);
  EXPECT_FALSE(w.grid.FirstRow());
}

TEST(QtDownloadGrid, LongAddressesAreShownCut) {
  QtGridWindow w;
  const std::string url = "http://www.youtube.com/watch?v=" + std::string(269, 'x');
  ASSERT_EQ(url.size(), 300u);
  w.Add({url});
  EXPECT_EQ(w.Shown(0, kColumnVideoURL), url.substr(0, 219));
  EXPECT_EQ(w.engine->items[0].Video_URL, url);
}

// --- writing a cell -------------------------------------------------------------

TEST(QtDownloadGrid, WrittenValueShowsAtOnceInThatCellOnly) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1), QtGridWindow::Url(2)});
  QSignalSpy changed(&w.grid.Model(), &QAbstractItemModel::dataChanged);
  QSignalSpy resets(&w.grid.Model(), &QAbstractItemModel::modelReset);
  const auto generation = w.grid.Generation();
  ASSERT_TRUE(w.grid.SetCellValue(*w.grid.Row(1), kColumnStatus, "42"));
  EXPECT_EQ(w.Shown(1, kColumnStatus), "42");
  EXPECT_EQ(w.Shown(0, kColumnStatus), "Waiting");
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed[0][0].toModelIndex(), w.Index(1, kColumnStatus));
  EXPECT_EQ(changed[0][1].toModelIndex(), w.Index(1, kColumnStatus));
  EXPECT_EQ(resets.count(), 0);
  EXPECT_EQ(w.grid.Generation(), generation);
}

TEST(QtDownloadGrid, RowTakenBeforeARebuildIsStale) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1), QtGridWindow::Url(2)});
  const GridRow old = *w.grid.Row(0);
  w.Add({QtGridWindow::Url(3)});
  EXPECT_FALSE(w.grid.IsCurrent(old));
  EXPECT_FALSE(w.grid.SetCellValue(old, kColumnStatus, "99"));
  EXPECT_FALSE(w.grid.CellText(old, kColumnStatus));
  EXPECT_FALSE(w.grid.NextRow(old));
  w.grid.SetRowSelected(old, true);
  EXPECT_EQ(w.grid.SelectedCellCount(), 0);
  for (int row = 0; row < 3; ++row)
    EXPECT_EQ(w.Shown(row, kColumnStatus), "Waiting");
}

// --- selection -------------------------------------------------------------------

TEST(QtDownloadGrid, RowSelectionIsTheWholeRowOfTheView) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1), QtGridWindow::Url(2)});
  const GridRow row = *w.grid.Row(1);
  w.grid.SetRowSelected(row, true);
  EXPECT_TRUE(w.grid.RowSelected(row));
  EXPECT_FALSE(w.grid.RowSelected(*w.grid.Row(0)));
  // The view gets it once the engine's operation has returned.
  QApplication::processEvents();
  EXPECT_TRUE(w.grid.selectionModel()->isRowSelected(1, QModelIndex()));
  EXPECT_FALSE(w.grid.selectionModel()->isRowSelected(0, QModelIndex()));
  for (int column = 0; column < kColumnCount; ++column)
    EXPECT_TRUE(w.grid.CellSelected({row, column}));
  EXPECT_EQ(Positions(w.grid.SelectedCells()), (std::vector<int>{10, 11, 12, 13, 14}));

  // One cell less and the row no longer counts as selected.
  w.grid.SetCellSelected({row, kColumnStatus}, false);
  EXPECT_FALSE(w.grid.RowSelected(row));
  EXPECT_EQ(Positions(w.grid.SelectedCells()), (std::vector<int>{10, 11, 12, 14}));
  w.grid.SetRowSelected(row, false);
  EXPECT_EQ(w.grid.SelectedCellCount(), 0);
  w.grid.SyncSelection();
  EXPECT_FALSE(w.grid.selectionModel()->hasSelection());
}

TEST(QtDownloadGrid, EngineAndUserSelectionsAddUp) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1), QtGridWindow::Url(2), QtGridWindow::Url(3)});
  w.Show();
  // The engine selects a row; before any event runs the user adds a cell.
  w.grid.SetRowSelected(*w.grid.Row(2), true);
  const QRect cell = w.grid.visualRect(w.Index(0, kColumnFileSize));
  QTest::mouseClick(w.grid.viewport(), Qt::LeftButton, Qt::ControlModifier, cell.center());
  EXPECT_EQ(Positions(w.grid.SelectedCells()), (std::vector<int>{20, 21, 22, 23, 24, 4}));
  EXPECT_TRUE(w.grid.RowSelected(*w.grid.Row(2)));
  EXPECT_TRUE(w.grid.selectionModel()->isSelected(w.Index(0, kColumnFileSize)));
  EXPECT_TRUE(w.grid.selectionModel()->isRowSelected(2, QModelIndex()));

  // A plain click selects only the clicked cell.
  QTest::mouseClick(w.grid.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
  EXPECT_EQ(Positions(w.grid.SelectedCells()), (std::vector<int>{4}));
  EXPECT_FALSE(w.grid.RowSelected(*w.grid.Row(2)));
}

TEST(QtDownloadGrid, SelectingEveryRowGivesTheViewOneRange) {
  QtGridWindow w;
  for (int i = 1; i <= 500; ++i)
    w.engine->items.AddItem(QtGridWindow::Url(i), "f", "", "");
  w.engine->binder.BindList();
  w.engine->editor.SelectAll();
  w.grid.SyncSelection();
  EXPECT_EQ(w.grid.selectionModel()->selection().size(), 1);
  EXPECT_EQ(w.grid.SelectedCellCount(), 500 * kColumnCount);
  EXPECT_TRUE(w.grid.selectionModel()->isRowSelected(499, QModelIndex()));
}

TEST(QtDownloadGrid, SelectedCellsComeInSelectionOrder) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1), QtGridWindow::Url(2), QtGridWindow::Url(3)});
  w.grid.SetCellSelected({*w.grid.Row(2), kColumnFileName}, true);
  w.grid.SetCellSelected({*w.grid.Row(0), kColumnStatus}, true);
  w.grid.SetCellSelected({*w.grid.Row(1), kColumnID}, true);
  EXPECT_EQ(Positions(w.grid.SelectedCells()), (std::vector<int>{22, 3, 10}));
  w.grid.SetCellSelected({*w.grid.Row(0), kColumnStatus}, false);
  EXPECT_EQ(Positions(w.grid.SelectedCells()), (std::vector<int>{22, 10}));
  ASSERT_TRUE(w.grid.SelectedCell(1));
  EXPECT_EQ(w.grid.SelectedCell(1)->column, kColumnID);
  EXPECT_FALSE(w.grid.SelectedCell(2));
}

TEST(QtDownloadGrid, UserClicksReachTheSelectionAndTheEditingCommands) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1), QtGridWindow::Url(2), QtGridWindow::Url(3)});
  w.Show();
  const QRect first = w.grid.visualRect(w.Index(0, kColumnStatus));
  const QRect third = w.grid.visualRect(w.Index(2, kColumnVideoURL));
  QTest::mouseClick(w.grid.viewport(), Qt::LeftButton, Qt::NoModifier, first.center());
  QTest::mouseClick(w.grid.viewport(), Qt::LeftButton, Qt::ControlModifier, third.center());
  EXPECT_EQ(Positions(w.grid.SelectedCells()), (std::vector<int>{3, 21}));

  w.engine->editor.RemoveSelected();
  ASSERT_EQ(w.engine->items.Count(), 1u);
  EXPECT_EQ(w.engine->items[0].Video_URL, QtGridWindow::Url(2));
  EXPECT_EQ(w.grid.RowCount(), 1);
  EXPECT_EQ(w.grid.SelectedCellCount(), 0);
}

TEST(QtDownloadGrid, SelectAllSelectsEveryRowAndARebindDropsTheSelection) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1), QtGridWindow::Url(2)});
  w.engine->editor.SelectAll();
  EXPECT_TRUE(w.grid.RowSelected(*w.grid.Row(0)));
  EXPECT_TRUE(w.grid.RowSelected(*w.grid.Row(1)));
  EXPECT_EQ(w.grid.SelectedCellCount(), 2 * kColumnCount);
  w.Add({QtGridWindow::Url(3)});
  EXPECT_EQ(w.grid.SelectedCellCount(), 0);
  EXPECT_FALSE(w.grid.selectionModel()->hasSelection());
}

// --- layout ----------------------------------------------------------------------

TEST(QtDownloadGrid, ColumnsHaveTheirCaptionsAndWidths) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1)});
  EXPECT_EQ(w.grid.LayoutsApplied(), 1);
  const char *captions[] = {" ", "Video URL", "Local File Name", "Download Status", "File Size"};
  const int twips[] = {300, 3800, 1800, 1700, 750};
  const int dpi = w.grid.logicalDpiX();
  for (int column = 0; column < kColumnCount; ++column) {
    SCOPED_TRACE(column);
    EXPECT_EQ(w.grid.Model().headerData(column, Qt::Horizontal).toString().toStdString(),
              captions[column]);
    EXPECT_EQ(w.grid.horizontalHeader()->sectionSize(column), (twips[column] * dpi + 720) / 1440);
  }
  EXPECT_TRUE(w.grid.windowTitle().isEmpty());
}

TEST(QtDownloadGrid, OnlyTheLocalFileNameCanBeEdited) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1)});
  for (int column = 0; column < kColumnCount; ++column) {
    SCOPED_TRACE(column);
    const bool editable = w.grid.Model().flags(w.Index(0, column)) & Qt::ItemIsEditable;
    EXPECT_EQ(editable, column == kColumnFileName);
    EXPECT_EQ(editable, kColumnLayouts[static_cast<std::size_t>(column)].editable);
  }
  // An edit of a locked column is not taken.
  EXPECT_FALSE(w.grid.Model().setData(w.Index(0, kColumnStatus), QStringLiteral("Complete")));
  EXPECT_EQ(w.Shown(0, kColumnStatus), "Waiting");
  EXPECT_EQ(w.engine->items[0].Status, "Waiting");
}

TEST(QtDownloadGrid, ColourSchemeIsApplied) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1)});
  const QPalette grid = w.grid.palette();
  EXPECT_EQ(grid.color(QPalette::Base), Rgb(vidtrawl::listview::kGridBackColour));
  EXPECT_EQ(grid.color(QPalette::Mid), Rgb(vidtrawl::listview::kGridSecondColour));
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    EXPECT_EQ(grid.color(group, QPalette::Highlight), Rgb(vidtrawl::listview::kAppearanceDBack));
    EXPECT_EQ(grid.color(group, QPalette::HighlightedText),
              Rgb(vidtrawl::listview::kAppearanceDFore));
  }
  const QPalette header = w.grid.horizontalHeader()->palette();
  EXPECT_EQ(header.color(QPalette::Window), Rgb(vidtrawl::listview::kAppearanceABack));
  EXPECT_EQ(header.color(QPalette::Button), Rgb(vidtrawl::listview::kAppearanceBBack));
  EXPECT_EQ(header.color(QPalette::ButtonText), Rgb(vidtrawl::listview::kAppearanceBFore));

  // Rows on white, the ground below them grey-blue, as painted.
  w.Show();
  const QImage image = w.grid.viewport()->grab().toImage();
  const QRect cell = w.grid.visualRect(w.Index(0, kColumnVideoURL));
  EXPECT_EQ(image.pixelColor(cell.right() - 2, cell.top() + 2),
            Rgb(vidtrawl::listview::kAppearanceCBack));
  EXPECT_EQ(image.pixelColor(cell.left() + 5, cell.bottom() + 20),
            Rgb(vidtrawl::listview::kGridBackColour));
}

TEST(QtDownloadGrid, RebindKeepsTheUsersColumnWidths) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1)});
  w.grid.horizontalHeader()->resizeSection(kColumnVideoURL, 77);
  w.grid.horizontalHeader()->resizeSection(kColumnStatus, 201);
  w.Add({QtGridWindow::Url(2), QtGridWindow::Url(3)});
  // The first item completes (as the download pass shows it) and is cleared.
  w.engine->items.UpdateItem(1, "", "", "Complete", "");
  w.grid.SetCellValue(*w.grid.Row(0), kColumnStatus, "Complete");
  w.engine->editor.ClearCompleted();
  EXPECT_EQ(w.grid.RowCount(), 2);
  EXPECT_EQ(w.grid.LayoutsApplied(), 1);
  EXPECT_EQ(w.grid.horizontalHeader()->sectionSize(kColumnVideoURL), 77);
  EXPECT_EQ(w.grid.horizontalHeader()->sectionSize(kColumnStatus), 201);
}

TEST(QtDownloadGrid, EmptyingTheListLaysTheColumnsOutAgainOnTheNextBinding) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1)});
  w.grid.horizontalHeader()->resizeSection(kColumnVideoURL, 77);
  w.engine->editor.SelectAll();
  w.engine->editor.RemoveSelected();
  EXPECT_EQ(w.grid.RowCount(), 0);
  EXPECT_FALSE(w.engine->state.bGridFormatted);
  // No rows, but the columns stay as they were.
  EXPECT_EQ(w.grid.Model().columnCount(), kColumnCount);
  EXPECT_EQ(w.grid.horizontalHeader()->sectionSize(kColumnVideoURL), 77);

  w.Add({QtGridWindow::Url(2)});
  EXPECT_EQ(w.grid.LayoutsApplied(), 2);
  EXPECT_TRUE(w.engine->state.bGridFormatted);
  EXPECT_EQ(w.grid.horizontalHeader()->sectionSize(kColumnVideoURL),
            w.grid.TwipsToScreenPixels(3800));
}

TEST(QtDownloadGrid, TwipsFollowTheScreenResolution) {
  QtGridWindow w;
  const int dpi = w.grid.logicalDpiX();
  EXPECT_EQ(w.grid.TwipsToScreenPixels(1440), dpi);
  EXPECT_EQ(w.grid.TwipsToScreenPixels(0), 0);
}
