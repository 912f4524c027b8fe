#include "ListWindow.h"

#include "host/GridLayout.h"

#include <gtest/gtest.h>

using vidtrawl::host::GridCell;
using vidtrawl::host::GridRow;
using vidtrawl::host::kColumnFileSize;
using vidtrawl::host::kColumnID;
using vidtrawl::host::kColumnStatus;
using vidtrawl::host::kColumnVideoURL;
using vidtrawl::testing::ListWindow;
using vidtrawl::testing::Texts;

// --- ClearCompleted -------------------------------------------------------

TEST(ClearCompleted, RemovesCompleteItemsAndRenumbersTheRest) {
  ListWindow w;
  w.Add({"a|Complete", "b|Waiting", "c|Complete"});
  w.editor.ClearCompleted();
  EXPECT_EQ(w.Stored(), (Texts{"1|b|Waiting"}));
  EXPECT_EQ(w.Shown(), (Texts{"1|b|f-b|Waiting|????"}));
}

TEST(ClearCompleted, RowsStillToBeVisitedKeepNamingTheirItems) {
  ListWindow w;
  w.Add({"a|Complete", "b|Complete", "c|Waiting", "d|Complete", "e|ERROR"});
  w.editor.ClearCompleted();
  EXPECT_EQ(w.Stored(), (Texts{"1|c|Waiting", "2|e|ERROR"}));
}

TEST(ClearCompleted, StatusMustBeExactlyComplete) {
  ListWindow w;
  w.Add({"a|complete", "b|Complete ", "c|Completed"});
  w.editor.ClearCompleted();
  EXPECT_EQ(w.items.Count(), 3u);
}

TEST(ClearCompleted, NoneCompleteStillRebuildsAndChangesNothingElse) {
  ListWindow w;
  w.Add({"a", "b|ERROR"});
  const auto generation = w.grid.Generation();
  const Texts before = w.Shown();
  w.editor.ClearCompleted();
  EXPECT_GT(w.grid.Generation(), generation);
  EXPECT_EQ(w.Shown(), before);
  EXPECT_EQ(w.Stored(), (Texts{"1|a|Waiting", "2|b|ERROR"}));
  EXPECT_TRUE(w.binder.GridFormatted());
}

TEST(ClearCompleted, EmptyGridDoesNothingAtAll) {
  ListWindow w;
  // Items in the store that the grid does not show yet: nothing is read,
  // removed or rebuilt.
  w.items.AddItem("a", "f", "Complete", "");
  w.binder.SetGridFormatted(true);
  const auto generation = w.grid.Generation();
  w.editor.ClearCompleted();
  EXPECT_EQ(w.items.Count(), 1u);
  EXPECT_EQ(w.grid.Generation(), generation);
  EXPECT_TRUE(w.binder.GridFormatted());
  EXPECT_EQ(w.pump.calls, 0);
}

TEST(ClearCompleted, EmptyingTheListClearsFormattedAndDetachesTheGrid) {
  ListWindow w;
  w.Add({"a|Complete", "b|Complete"});
  ASSERT_TRUE(w.binder.GridFormatted());
  w.editor.ClearCompleted();
  EXPECT_TRUE(w.items.IsListEmpty());
  EXPECT_FALSE(w.binder.GridFormatted());
  EXPECT_EQ(w.grid.RowCount(), 0);
  EXPECT_FALSE(w.grid.HasDataSource());
}

TEST(ClearCompleted, RowWithNonNumericIdIsPassedOver) {
  ListWindow w;
  w.Add({"a|Complete", "b|Complete", "c|Complete"});
  ASSERT_TRUE(w.grid.SetCellValue(w.RowAt(1), kColumnID, "two"));
  w.editor.ClearCompleted();
  EXPECT_EQ(w.Stored(), (Texts{"1|b|Complete"}));
}

// --- RemoveSelected -------------------------------------------------------

TEST(RemoveSelected, OneSelectedSizeCellRemovesItsRow) {
  ListWindow w;
  w.Add({"a", "b", "c"});
  w.grid.SetCellSelected(GridCell{w.RowAt(1), kColumnFileSize}, true);
  w.editor.RemoveSelected();
  EXPECT_EQ(w.Stored(), (Texts{"1|a|Waiting", "2|c|Waiting"}));
  EXPECT_EQ(w.Shown(), (Texts{"1|a|f-a|Waiting|????", "2|c|f-c|Waiting|????"}));
}

TEST(RemoveSelected, SelectedRowsAndRowsWithSelectedCellsAreRemoved) {
  ListWindow w;
  w.Add({"a", "b", "c", "d", "e"});
  w.grid.SetRowSelected(w.RowAt(0), true);
  w.grid.SetCellSelected(GridCell{w.RowAt(3), kColumnStatus}, true);
  w.grid.SetCellSelected(GridCell{w.RowAt(3), kColumnID}, true);
  w.grid.SetCellSelected(GridCell{w.RowAt(2), kColumnVideoURL}, true);
  w.editor.RemoveSelected();
  EXPECT_EQ(w.Stored(), (Texts{"1|b|Waiting", "2|e|Waiting"}));
}

TEST(RemoveSelected, NothingSelectedRebuildsWithoutRemoving) {
  ListWindow w;
  w.Add({"a", "b"});
  const auto generation = w.grid.Generation();
  w.editor.RemoveSelected();
  EXPECT_EQ(w.items.Count(), 2u);
  EXPECT_GT(w.grid.Generation(), generation);
}

TEST(RemoveSelected, EmptyGridDoesNothingAtAll) {
  ListWindow w;
  w.items.AddItem("a", "f", "", "");
  const auto generation = w.grid.Generation();
  w.editor.RemoveSelected();
  EXPECT_EQ(w.items.Count(), 1u);
  EXPECT_EQ(w.grid.Generation(), generation);
}

TEST(RemoveSelected, AfterSelectAllEmptiesListClearsFormattedAndLeavesEmptyGrid) {
  ListWindow w;
  w.Add({"a", "b", "c"});
  w.editor.SelectAll();
  w.editor.RemoveSelected();
  EXPECT_TRUE(w.items.IsListEmpty());
  EXPECT_FALSE(w.binder.GridFormatted());
  EXPECT_EQ(w.grid.RowCount(), 0);
}

// --- SelectAll ------------------------------------------------------------

TEST(SelectAll, SelectsEveryRowWithoutRebuildOrStoreChange) {
  ListWindow w;
  w.Add({"a|Complete", "b", "c"});
  const auto generation = w.grid.Generation();
  w.editor.SelectAll();
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(w.grid.RowSelected(w.RowAt(i))) << i;
  EXPECT_EQ(w.grid.Generation(), generation);
  EXPECT_EQ(w.grid.SelectedCellCount(), 0);
  EXPECT_EQ(w.items.Count(), 3u);
}

TEST(SelectAll, EmptyGridIsFine) {
  ListWindow w;
  w.editor.SelectAll();
  EXPECT_EQ(w.grid.RowCount(), 0);
}

// --- MoveSelectedUp / MoveSelectedDown -------------------------------------

struct MoveCase {
  const char *name;
  bool up;
  int selectedRow; // -1: none
  Texts expected;
};

class MoveSelected : public ::testing::TestWithParam<MoveCase> {};

TEST_P(MoveSelected, MovesTheItemOfTheSelectedCellAndAlwaysRebuilds) {
  const MoveCase &c = GetParam();
  ListWindow w;
  w.Add({"a", "b", "c"});
  if (c.selectedRow >= 0)
    w.grid.SetCellSelected(GridCell{w.RowAt(c.selectedRow), kColumnStatus}, true);
  const auto generation = w.grid.Generation();
  if (c.up)
    w.editor.MoveSelectedUp();
  else
    w.editor.MoveSelectedDown();
  EXPECT_EQ(w.Stored(), c.expected);
  EXPECT_GT(w.grid.Generation(), generation);
  EXPECT_EQ(w.grid.Texts()[0][1], c.expected[0].substr(2, 1));
}

INSTANTIATE_TEST_SUITE_P(
    Table, MoveSelected,
    ::testing::Values(
        MoveCase{"UpMiddle", true, 1, {"1|b|Waiting", "2|a|Waiting", "3|c|Waiting"}},
        MoveCase{"DownMiddle", false, 1, {"1|a|Waiting", "2|c|Waiting", "3|b|Waiting"}},
        MoveCase{"UpFirst", true, 0, {"1|a|Waiting", "2|b|Waiting", "3|c|Waiting"}},
        MoveCase{"DownLast", false, 2, {"1|a|Waiting", "2|b|Waiting", "3|c|Waiting"}},
        MoveCase{"UpNothingSelected", true, -1, {"1|a|Waiting", "2|b|Waiting", "3|c|Waiting"}},
        MoveCase{"DownNothingSelected", false, -1, {"1|a|Waiting", "2|b|Waiting", "3|c|Waiting"}}),
    [](const ::testing::TestParamInfo<MoveCase> &info) { return info.param.name; });

TEST(MoveSelectedCommands, OnlyTheFirstEnumeratedCellsItemMoves) {
  ListWindow w;
  w.Add({"a", "b", "c", "d"});
  // Selected in this order: a cell of row 3 first, then one of row 2.
  w.grid.SetCellSelected(GridCell{w.RowAt(3), kColumnFileSize}, true);
  w.grid.SetCellSelected(GridCell{w.RowAt(1), kColumnFileSize}, true);
  w.editor.MoveSelectedUp();
  EXPECT_EQ(w.Stored(), (Texts{"1|a|Waiting", "2|b|Waiting", "3|d|Waiting", "4|c|Waiting"}));
}

TEST(MoveSelectedCommands, SelectedRowsAreNotLookedAt) {
  ListWindow w;
  w.Add({"a", "b"});
  w.grid.SetRowSelected(w.RowAt(1), true);
  w.editor.MoveSelectedUp();
  EXPECT_EQ(w.Stored(), (Texts{"1|a|Waiting", "2|b|Waiting"}));
}

TEST(MoveSelectedCommands, NonNumericIdMovesNothingButRebuilds) {
  ListWindow w;
  w.Add({"a", "b"});
  ASSERT_TRUE(w.grid.SetCellValue(w.RowAt(1), kColumnID, "2x"));
  w.grid.SetCellSelected(GridCell{w.RowAt(1), kColumnStatus}, true);
  w.editor.MoveSelectedUp();
  EXPECT_EQ(w.Stored(), (Texts{"1|a|Waiting", "2|b|Waiting"}));
  EXPECT_EQ(w.grid.Texts()[1][0], "2"); // rebuilt from the store
}

TEST(MoveSelectedCommands, EmptyGridStillRebuilds) {
  ListWindow w;
  w.items.AddItem("a", "f", "", "");
  w.editor.MoveSelectedDown();
  EXPECT_EQ(w.grid.RowCount(), 1);
}

// --- LocateCurrentRow -----------------------------------------------------

TEST(LocateCurrentRow, PicksTheRowWhoseIdReadsTheCurrentItemsId) {
  ListWindow w;
  w.Add({"a", "b", "c", "d"});
  w.current.Set(w.items, 2);
  w.editor.LocateCurrentRow();
  ASSERT_TRUE(w.current.Row());
  EXPECT_EQ(w.grid.CellText(*w.current.Row(), kColumnID), "3");
  EXPECT_EQ(w.grid.CellText(*w.current.Row(), kColumnVideoURL), "c");
}

TEST(LocateCurrentRow, NoMatchingRowLeavesNothing) {
  ListWindow w;
  w.Add({"a", "b"});
  w.current.Set(w.items, 1);
  w.editor.LocateCurrentRow();
  ASSERT_TRUE(w.current.Row());
  w.items.RemoveItem(2); // the current item is gone
  w.editor.LocateCurrentRow();
  EXPECT_FALSE(w.current.Row());
}

TEST(LocateCurrentRow, IdTextMustReadExactly) {
  ListWindow w;
  w.Add({"a", "b"});
  ASSERT_TRUE(w.grid.SetCellValue(w.RowAt(0), kColumnID, " 2"));
  w.current.Set(w.items, 1);
  w.editor.LocateCurrentRow();
  ASSERT_TRUE(w.current.Row());
  EXPECT_EQ(w.current.Row()->index, 1);
}

TEST(LocateCurrentRow, EmptyGridLeavesNothing) {
  ListWindow w;
  w.current.SetRow(GridRow{0, w.grid.Generation()});
  w.editor.LocateCurrentRow();
  EXPECT_FALSE(w.current.Row());
}

TEST(LocateCurrentRow, ProgressWriteThroughStaleRowIsIgnoredUntilRelocated) {
  ListWindow w;
  w.Add({"a", "b", "c"});
  w.current.Set(w.items, 2);
  w.editor.LocateCurrentRow();
  const GridRow before = *w.current.Row();

  // An item is moved: the rebuild replaces the rows, and the row that was
  // the current item's now shows another item.
  w.grid.SetCellSelected(GridCell{w.RowAt(2), kColumnStatus}, true);
  w.editor.MoveSelectedUp(); // c is now item 2, b item 3
  EXPECT_FALSE(w.grid.IsCurrent(before));
  EXPECT_FALSE(w.grid.SetCellValue(before, kColumnStatus, "42"));
  EXPECT_FALSE(w.grid.CellText(before, kColumnStatus));
  EXPECT_EQ(w.Shown(),
            (Texts{"1|a|f-a|Waiting|????", "2|c|f-c|Waiting|????", "3|b|f-b|Waiting|????"}));

  w.editor.LocateCurrentRow(); // the current item is followed where it went
  ASSERT_TRUE(w.current.Row());
  EXPECT_TRUE(w.grid.SetCellValue(*w.current.Row(), kColumnStatus, "42"));
  EXPECT_EQ(w.grid.Texts()[1][kColumnStatus], "42");
}
