#include "ListWindow.h"

#include "host/GridLayout.h"
#include "list/FileNameEdit.h"

#include <gtest/gtest.h>

#include <string>

using vidtrawl::host::GridCell;
using vidtrawl::host::GridRow;
using vidtrawl::host::kColumnFileName;
using vidtrawl::host::kColumnStatus;
using vidtrawl::list::FileNameEdit;
using vidtrawl::testing::ListWindow;

namespace {

// Commits an edit as a grid does: BeforeCellUpdate, then (unless refused)
// the typed value goes into the cell and AfterCellUpdate follows. Returns
// whether the edit was accepted.
bool Commit(ListWindow &w, FileNameEdit &edit, GridCell cell, const std::string &typed) {
  bool cancel = false;
  edit.DownloadGrid_BeforeCellUpdate(cell, typed, cancel);
  if (cancel)
    return false;
  w.grid.SetCellValue(cell.row, cell.column, typed);
  edit.DownloadGrid_AfterCellUpdate(cell);
  return true;
}

struct RenameCase {
  const char *typed;
  bool accepted;
  const char *shown; // cell and item afterwards
};

class FileNameEditRename : public ::testing::TestWithParam<RenameCase> {};

} // namespace

TEST_P(FileNameEditRename, CleansOrRefusesAndKeepsCellAndItemInStep) {
  const RenameCase &c = GetParam();
  ListWindow w;
  w.Add({"a", "b", "c"});
  FileNameEdit edit(w.items, w.grid);
  const auto generation = w.grid.Generation();
  const GridCell cell{w.RowAt(1), kColumnFileName};

  EXPECT_EQ(Commit(w, edit, cell, c.typed), c.accepted);
  EXPECT_EQ(w.grid.CellText(cell.row, kColumnFileName), c.shown);
  EXPECT_EQ(w.items[1].FileName, c.shown);
  // The neighbours are untouched and the grid was not rebuilt.
  EXPECT_EQ(w.items[0].FileName, "f-a");
  EXPECT_EQ(w.items[2].FileName, "f-c");
  EXPECT_EQ(w.grid.Generation(), generation);
  EXPECT_TRUE(w.grid.IsCurrent(cell.row));
}

INSTANTIATE_TEST_SUITE_P(Cases, FileNameEditRename,
                         ::testing::Values(RenameCase{"my:clip?.flv", true, "myclip.flv"},
                                           RenameCase{"plain.flv", true, "plain.flv"},
                                           RenameCase{"a<b>|c\".flv", true, "abc.flv"},
                                           RenameCase{"???", false, "f-b"},
                                           RenameCase{"", false, "f-b"},
                                           RenameCase{"Enter File Name", false, "f-b"},
                                           RenameCase{"..", false, "f-b"}));

TEST(FileNameEdit, PendingNameIsTheLastAcceptedOneAndSurvivesARefusal) {
  ListWindow w;
  w.Add({"a"});
  FileNameEdit edit(w.items, w.grid);
  EXPECT_EQ(edit.PendingFileName(), "");
  const GridCell cell{w.RowAt(0), kColumnFileName};
  ASSERT_TRUE(Commit(w, edit, cell, "one:.flv"));
  EXPECT_EQ(edit.PendingFileName(), "one.flv");
  ASSERT_FALSE(Commit(w, edit, cell, "*"));
  EXPECT_EQ(edit.PendingFileName(), "one.flv");
  EXPECT_EQ(w.items[0].FileName, "one.flv");
}

TEST(FileNameEdit, OtherColumnsPassUntouched) {
  ListWindow w;
  w.Add({"a"});
  FileNameEdit edit(w.items, w.grid);
  const GridCell cell{w.RowAt(0), kColumnStatus};
  bool cancel = false;
  edit.DownloadGrid_BeforeCellUpdate(cell, "", cancel);
  EXPECT_FALSE(cancel);
  w.grid.SetCellValue(cell.row, kColumnStatus, "4?2");
  edit.DownloadGrid_AfterCellUpdate(cell);
  EXPECT_EQ(w.grid.CellText(cell.row, kColumnStatus), "4?2");
  EXPECT_EQ(w.items[0].Status, "Waiting");
  EXPECT_EQ(edit.PendingFileName(), "");
}

TEST(FileNameEdit, ItemIsFoundByTheRowsIDNotItsPosition) {
  ListWindow w;
  w.Add({"a", "b"});
  FileNameEdit edit(w.items, w.grid);
  // The row at position 0 shows item 2 (as after a move the grid has not
  // caught up with).
  w.grid.SetCellValue(w.RowAt(0), vidtrawl::host::kColumnID, "2");
  ASSERT_TRUE(Commit(w, edit, {w.RowAt(0), kColumnFileName}, "new.flv"));
  EXPECT_EQ(w.items[0].FileName, "f-a");
  EXPECT_EQ(w.items[1].FileName, "new.flv");
}

TEST(FileNameEdit, StaleRowChangesNeitherGridNorStore) {
  ListWindow w;
  w.Add({"a", "b"});
  FileNameEdit edit(w.items, w.grid);
  const GridCell cell{w.RowAt(0), kColumnFileName};
  bool cancel = false;
  edit.DownloadGrid_BeforeCellUpdate(cell, "late.flv", cancel);
  ASSERT_FALSE(cancel);
  // A rebuild runs between the two events (the list was reordered).
  w.items.MoveItemDown(1);
  w.binder.BindList();
  edit.DownloadGrid_AfterCellUpdate(cell);
  EXPECT_EQ(w.items[0].FileName, "f-b");
  EXPECT_EQ(w.items[1].FileName, "f-a");
  EXPECT_EQ(w.grid.CellText(w.RowAt(0), kColumnFileName), "f-b");
}
