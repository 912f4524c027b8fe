#include "QtGridWindow.h"

#include "host/GridLayout.h"
#include "list/Status.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace host = vidtrawl::host;

using vidtrawl::host::GridCell;
using vidtrawl::host::GridRow;
using vidtrawl::host::kColumnCount;
using vidtrawl::host::kColumnFileName;
using vidtrawl::host::kColumnFileSize;
using vidtrawl::host::kColumnID;
using vidtrawl::host::kColumnLayouts;
using vidtrawl::host::kColumnStatus;
using vidtrawl::host::kColumnVideoURL;
using vidtrawl::testing::QtGridWindow;

namespace {

std::vector<int> Positions(const std::vector<host::GridCell> &cells) {
  std::vector<int> out;
  for (const host::GridCell &cell : cells)
    out.push_back(cell.row.index * 10 + cell.column);
  return out;
}

QColor ToQColor(vidtrawl::host::Rgb rgb) {
  return QColor(rgb.r, rgb.g, rgb.b);
}

} // namespace

// --- data source -------------------------------------------------------------

TEST(QtDownloadGrid, ShowsTheListRecordsetColumnByColumn) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1), "http://example.org/unsupported"});
  ASSERT_EQ(w.grid.RowCount(), 2);
  ASSERT_EQ(w.grid.Model().rowCount(), 2);
  ASSERT_EQ(w.grid.Model().columnCount(), host::kColumnCount);
  EXPECT_EQ(w.Shown(0, host::kColumnID), "1");
  EXPECT_EQ(w.Shown(0, host::kColumnVideoURL), QtGridWindow::Url(1));
  EXPECT_EQ(w.Shown(0, host::kColumnFileName), "Waiting (Auto Detect)");
  EXPECT_EQ(w.Shown(0, host::kColumnStatus), "Waiting");
  EXPECT_EQ(w.Shown(0, host::kColumnFileSize), "????");
  EXPECT_EQ(w.Shown(1, host::kColumnID), "2");
  // The contract's reads give the same texts.
  EXPECT_EQ(w.grid.CellText(*w.grid.Row(1), host::kColumnVideoURL),
            "http://example.org/unsupported");
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
  EXPECT_EQ(w.Shown(0, host::kColumnVideoURL), url.substr(0, 219));
  EXPECT_EQ(w.engine->Item(0).Video_URL, url);
}

// --- writing a cell -------------------------------------------------------------

TEST(QtDownloadGrid, WrittenValueShowsAtOnceInThatCellOnly) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1), QtGridWindow::Url(2)});
  QSignalSpy changed(&w.grid.Model(), &QAbstractItemModel::dataChanged);
  QSignalSpy resets(&w.grid.Model(), &QAbstractItemModel::modelReset);
  const auto generation = w.grid.Generation();
  ASSERT_TRUE(w.grid.SetCellValue(*w.grid.Row(1), host::kColumnStatus, "42"));
  EXPECT_EQ(w.Shown(1, host::kColumnStatus), "42");
  EXPECT_EQ(w.Shown(0, host::kColumnStatus), "Waiting");
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed[0][0].toModelIndex(), w.Index(1, host::kColumnStatus));
  EXPECT_EQ(changed[0][1].toModelIndex(), w.Index(1, host::kColumnStatus));
  EXPECT_EQ(resets.count(), 0);
  EXPECT_EQ(w.grid.Generation(), generation);
}

TEST(QtDownloadGrid, RowTakenBeforeARebuildIsStale) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1), QtGridWindow::Url(2)});
  const host::GridRow old = *w.grid.Row(0);
  w.Add({QtGridWindow::Url(3)});
  EXPECT_FALSE(w.grid.IsCurrent(old));
  EXPECT_FALSE(w.grid.SetCellValue(old, host::kColumnStatus, "99"));
  EXPECT_FALSE(w.grid.CellText(old, host::kColumnStatus));
  EXPECT_FALSE(w.grid.NextRow(old));
  w.grid.SetRowSelected(old, true);
  EXPECT_EQ(w.grid.SelectedCellCount(), 0);
  for (int row = 0; row < 3; ++row)
    EXPECT_EQ(w.Shown(row, host::kColumnStatus), "Waiting");
}

// --- selection -------------------------------------------------------------------

TEST(QtDownloadGrid, RowSelectionIsTheWholeRowOfTheView) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1), QtGridWindow::Url(2)});
  const host::GridRow row = *w.grid.Row(1);
  w.grid.SetRowSelected(row, true);
  EXPECT_TRUE(w.grid.RowSelected(row));
  EXPECT_FALSE(w.grid.RowSelected(*w.grid.Row(0)));
  // The view gets it once the engine's operation has returned.
  QApplication::processEvents();
  EXPECT_TRUE(w.grid.selectionModel()->isRowSelected(1, QModelIndex()));
  EXPECT_FALSE(w.grid.selectionModel()->isRowSelected(0, QModelIndex()));
  for (int column = 0; column < host::kColumnCount; ++column)
    EXPECT_TRUE(w.grid.CellSelected({row, column}));
  EXPECT_EQ(Positions(w.grid.SelectedCells()), (std::vector<int>{10, 11, 12, 13, 14}));

  // One cell less and the row no longer counts as selected.
  w.grid.SetCellSelected({row, host::kColumnStatus}, false);
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
  const QRect cell = w.grid.visualRect(w.Index(0, host::kColumnFileSize));
  QTest::mouseClick(w.grid.viewport(), Qt::LeftButton, Qt::ControlModifier, cell.center());
  EXPECT_EQ(Positions(w.grid.SelectedCells()), (std::vector<int>{20, 21, 22, 23, 24, 4}));
  EXPECT_TRUE(w.grid.RowSelected(*w.grid.Row(2)));
  EXPECT_TRUE(w.grid.selectionModel()->isSelected(w.Index(0, host::kColumnFileSize)));
  EXPECT_TRUE(w.grid.selectionModel()->isRowSelected(2, QModelIndex()));

  // A plain click selects only the clicked cell.
  QTest::mouseClick(w.grid.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
  EXPECT_EQ(Positions(w.grid.SelectedCells()), (std::vector<int>{4}));
  EXPECT_FALSE(w.grid.RowSelected(*w.grid.Row(2)));
}

TEST(QtDownloadGrid, SelectingEveryRowGivesTheViewOneRange) {
  QtGridWindow w;
  std::vector<std::string> urls;
  for (int i = 1; i <= 500; ++i)
    urls.push_back(QtGridWindow::Url(i));
  w.engine->AddLinks(urls);
  w.engine->SelectAll();
  w.grid.SyncSelection();
  EXPECT_EQ(w.grid.selectionModel()->selection().size(), 1);
  EXPECT_EQ(w.grid.SelectedCellCount(), 500 * host::kColumnCount);
  EXPECT_TRUE(w.grid.selectionModel()->isRowSelected(499, QModelIndex()));
}

TEST(QtDownloadGrid, SelectedCellsComeInSelectionOrder) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1), QtGridWindow::Url(2), QtGridWindow::Url(3)});
  w.grid.SetCellSelected({*w.grid.Row(2), host::kColumnFileName}, true);
  w.grid.SetCellSelected({*w.grid.Row(0), host::kColumnStatus}, true);
  w.grid.SetCellSelected({*w.grid.Row(1), host::kColumnID}, true);
  EXPECT_EQ(Positions(w.grid.SelectedCells()), (std::vector<int>{22, 3, 10}));
  w.grid.SetCellSelected({*w.grid.Row(0), host::kColumnStatus}, false);
  EXPECT_EQ(Positions(w.grid.SelectedCells()), (std::vector<int>{22, 10}));
  ASSERT_TRUE(w.grid.SelectedCell(1));
  EXPECT_EQ(w.grid.SelectedCell(1)->column, host::kColumnID);
  EXPECT_FALSE(w.grid.SelectedCell(2));
}

TEST(QtDownloadGrid, UserClicksReachTheSelectionAndTheEditingCommands) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1), QtGridWindow::Url(2), QtGridWindow::Url(3)});
  w.Show();
  const QRect first = w.grid.visualRect(w.Index(0, host::kColumnStatus));
  const QRect third = w.grid.visualRect(w.Index(2, host::kColumnVideoURL));
  QTest::mouseClick(w.grid.viewport(), Qt::LeftButton, Qt::NoModifier, first.center());
  QTest::mouseClick(w.grid.viewport(), Qt::LeftButton, Qt::ControlModifier, third.center());
  EXPECT_EQ(Positions(w.grid.SelectedCells()), (std::vector<int>{3, 21}));

  w.engine->RemoveSelected();
  ASSERT_EQ(w.engine->ItemCount(), 1u);
  EXPECT_EQ(w.engine->Item(0).Video_URL, QtGridWindow::Url(2));
  EXPECT_EQ(w.grid.RowCount(), 1);
  EXPECT_EQ(w.grid.SelectedCellCount(), 0);
}

TEST(QtDownloadGrid, SelectAllSelectsEveryRowAndARebindDropsTheSelection) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1), QtGridWindow::Url(2)});
  w.engine->SelectAll();
  EXPECT_TRUE(w.grid.RowSelected(*w.grid.Row(0)));
  EXPECT_TRUE(w.grid.RowSelected(*w.grid.Row(1)));
  EXPECT_EQ(w.grid.SelectedCellCount(), 2 * host::kColumnCount);
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
  for (int column = 0; column < host::kColumnCount; ++column) {
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
  for (int column = 0; column < host::kColumnCount; ++column) {
    SCOPED_TRACE(column);
    const bool editable = w.grid.Model().flags(w.Index(0, column)) & Qt::ItemIsEditable;
    EXPECT_EQ(editable, column == host::kColumnFileName);
    EXPECT_EQ(editable, host::kColumnLayouts[static_cast<std::size_t>(column)].editable);
  }
  // An edit of a locked column is not taken.
  EXPECT_FALSE(w.grid.Model().setData(w.Index(0, host::kColumnStatus), QStringLiteral("Complete")));
  EXPECT_EQ(w.Shown(0, host::kColumnStatus), "Waiting");
  EXPECT_EQ(w.engine->Item(0).Status, "Waiting");
}

TEST(QtDownloadGrid, ColourSchemeIsApplied) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1)});
  const QPalette grid = w.grid.palette();
  EXPECT_EQ(grid.color(QPalette::Base), ToQColor(vidtrawl::host::kGridBackColour));
  EXPECT_EQ(grid.color(QPalette::Mid), ToQColor(vidtrawl::host::kGridSecondColour));
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    EXPECT_EQ(grid.color(group, QPalette::Highlight), ToQColor(vidtrawl::host::kAppearanceDBack));
    EXPECT_EQ(grid.color(group, QPalette::HighlightedText),
              ToQColor(vidtrawl::host::kAppearanceDFore));
  }
  const QPalette header = w.grid.horizontalHeader()->palette();
  EXPECT_EQ(header.color(QPalette::Window), ToQColor(vidtrawl::host::kAppearanceABack));
  EXPECT_EQ(header.color(QPalette::Button), ToQColor(vidtrawl::host::kAppearanceBBack));
  EXPECT_EQ(header.color(QPalette::ButtonText), ToQColor(vidtrawl::host::kAppearanceBFore));

  // Rows on white, the ground below them grey-blue, as painted.
  w.Show();
  const QImage image = w.grid.viewport()->grab().toImage();
  const QRect cell = w.grid.visualRect(w.Index(0, host::kColumnVideoURL));
  EXPECT_EQ(image.pixelColor(cell.right() - 2, cell.top() + 2),
            ToQColor(vidtrawl::host::kAppearanceCBack));
  EXPECT_EQ(image.pixelColor(cell.left() + 5, cell.bottom() + 20),
            ToQColor(vidtrawl::host::kGridBackColour));
}

TEST(QtDownloadGrid, RebindKeepsTheUsersColumnWidths) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1)});
  w.grid.horizontalHeader()->resizeSection(host::kColumnVideoURL, 77);
  w.grid.horizontalHeader()->resizeSection(host::kColumnStatus, 201);
  w.Add({QtGridWindow::Url(2), QtGridWindow::Url(3)});
  // The first item's row shows it complete, and it is cleared.
  w.grid.SetCellValue(*w.grid.Row(0), host::kColumnStatus, "Complete");
  w.engine->ClearCompleted();
  EXPECT_EQ(w.grid.RowCount(), 2);
  EXPECT_EQ(w.grid.LayoutsApplied(), 1);
  EXPECT_EQ(w.grid.horizontalHeader()->sectionSize(host::kColumnVideoURL), 77);
  EXPECT_EQ(w.grid.horizontalHeader()->sectionSize(host::kColumnStatus), 201);
}

TEST(QtDownloadGrid, EmptyingTheListLaysTheColumnsOutAgainOnTheNextBinding) {
  QtGridWindow w;
  w.Add({QtGridWindow::Url(1)});
  w.grid.horizontalHeader()->resizeSection(host::kColumnVideoURL, 77);
  w.engine->SelectAll();
  w.engine->RemoveSelected();
  EXPECT_EQ(w.grid.RowCount(), 0);
  // No rows, but the columns stay as they were.
  EXPECT_EQ(w.grid.Model().columnCount(), host::kColumnCount);
  EXPECT_EQ(w.grid.horizontalHeader()->sectionSize(host::kColumnVideoURL), 77);

  w.Add({QtGridWindow::Url(2)});
  EXPECT_EQ(w.grid.LayoutsApplied(), 2);
  EXPECT_EQ(w.grid.horizontalHeader()->sectionSize(host::kColumnVideoURL),
            w.grid.TwipsToScreenPixels(3800));
}

TEST(QtDownloadGrid, TwipsFollowTheScreenResolution) {
  QtGridWindow w;
  const int dpi = w.grid.logicalDpiX();
  EXPECT_EQ(w.grid.TwipsToScreenPixels(1440), dpi);
  EXPECT_EQ(w.grid.TwipsToScreenPixels(0), 0);
}
