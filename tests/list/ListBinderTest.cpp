#include "ListWindow.h"

#include "host/Grid.h"
#include "host/GridLayout.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

using vidtrawl::host::DownloadRecordset;
using vidtrawl::host::GridCell;
using vidtrawl::host::kColumnFileName;
using vidtrawl::host::kColumnFileSize;
using vidtrawl::host::kColumnStatus;
using vidtrawl::host::kColumnVideoURL;
using vidtrawl::testing::ListWindow;
using vidtrawl::testing::Texts;

// --- Filling --------------------------------------------------------------

TEST(BindList, ShowsOneRowPerItemInListOrder) {
  ListWindow w;
  w.items.AddItem("http://a", "fa", "Complete", "1 MB");
  w.items.AddItem("http://b", "fb", "", "");
  EXPECT_TRUE(w.binder.BindList());
  EXPECT_EQ(w.Shown(), (Texts{"1|http://a|fa|Complete|1 MB", "2|http://b|fb|Waiting|????"}));
  ASSERT_NE(w.binder.rsDownloadList(), nullptr);
  EXPECT_EQ(w.binder.rsDownloadList()->RecordCount(), 2u);
  EXPECT_EQ(w.binder.rsDownloadList()->Position(), 0u);
  EXPECT_FALSE(w.binder.BindBusy());
}

TEST(BindList, EmptyListDetachesTheGridAndReturnsFalse) {
  ListWindow w;
  w.Add({"a", "b"});
  ASSERT_EQ(w.grid.RowCount(), 2);
  w.items.RemoveItem(1);
  w.items.RemoveItem(1);
  EXPECT_FALSE(w.binder.BindList());
  EXPECT_EQ(w.grid.RowCount(), 0);
  EXPECT_FALSE(w.grid.HasDataSource());
  EXPECT_FALSE(w.binder.BindBusy());
  EXPECT_TRUE(w.messages.shown.empty());
}

TEST(BindList, AddressIsShownCutTo219CharactersAndStoredWhole) {
  ListWindow w;
  const std::string url = "http://youtube.com/" + std::string(281, 'x');
  ASSERT_EQ(url.size(), 300u);
  w.items.AddItem(url, "f", "", "");
  w.binder.BindList();
  EXPECT_EQ(w.grid.Texts()[0][kColumnVideoURL], url.substr(0, 219));
  EXPECT_EQ(w.items[0].Video_URL, url);
}

TEST(BindList, CutsCountCharactersNotBytes) {
  ListWindow w;
  std::string url;
  for (int i = 0; i < 300; ++i)
    url += "\xC3\xA9"; // é
  w.items.AddItem(url, "f", "", "");
  w.binder.BindList();
  EXPECT_EQ(w.grid.Texts()[0][kColumnVideoURL], url.substr(0, 2 * 219));
}

TEST(BindList, LongTextsAreCutToTheirColumnWidthNeverAnError) {
  ListWindow w;
  const std::string name(150, 'n'), status(130, 's'), size = "123456789012";
  w.items.AddItem("u", name, status, size);
  EXPECT_TRUE(w.binder.BindList());
  EXPECT_EQ(w.grid.Texts()[0][kColumnFileName], name.substr(0, 100));
  EXPECT_EQ(w.grid.Texts()[0][kColumnStatus], status.substr(0, 120));
  EXPECT_EQ(w.grid.Texts()[0][kColumnFileSize], "1234567890");
  EXPECT_EQ(w.items[0].FileName, name);
  EXPECT_EQ(w.items[0].FileSize, size);
  EXPECT_TRUE(w.messages.shown.empty());
}

TEST(BindList, PumpsBeforeEveryRecordAndAfterTheLast) {
  ListWindow w;
  w.items.AddItem("a", "f", "", "");
  w.items.AddItem("b", "f", "", "");
  w.items.AddItem("c", "f", "", "");
  bool busyWhilePumping = true;
  w.pump.action = [&](long) { busyWhilePumping = busyWhilePumping && w.binder.BindBusy(); };
  w.binder.BindList();
  EXPECT_EQ(w.pump.calls, 4);
  EXPECT_TRUE(busyWhilePumping);
}

TEST(BindList, DefaultIntervalStillPumpsAtTheStartOfEveryFill) {
  ListWindow w;
  w.binder.SetYieldInterval(vidtrawl::list::ListBinder::kDefaultYieldInterval);
  w.items.AddItem("a", "f", "", "");
  w.binder.BindList();
  EXPECT_GE(w.pump.calls, 1);
  const long first = w.pump.calls;
  w.binder.BindList();
  EXPECT_GE(w.pump.calls, first + 1);
}

// --- Re-entrancy ----------------------------------------------------------

TEST(BindListReentrancy, NestedRebuildReturnsAtOnceAndTheOuterOneFillsAgain) {
  ListWindow w;
  w.Add({"a", "b", "c"});
  int nestedResults = 0, nestedTrue = 0;
  w.OnPump([&](long call) {
    if (call == 2) {
      w.items.AddItem("d", "f-d", "", ""); // an add arrives during the fill
      ++nestedResults;
      nestedTrue += w.binder.BindList() ? 1 : 0;
    }
  });
  const auto generation = w.grid.Generation();
  EXPECT_TRUE(w.binder.BindList());
  EXPECT_EQ(nestedResults, 1);
  EXPECT_EQ(nestedTrue, 0);
  // The outer rebuild attached its fill, then filled once more for the
  // change made meanwhile: the grid shows the list as it is.
  EXPECT_EQ(w.grid.Generation(), generation + 2);
  EXPECT_EQ(w.grid.RowCount(), 4);
}

TEST(BindListReentrancy, ItemsRemovedBeforeTheFirstRecordLeaveNoGhostRows) {
  ListWindow w;
  w.Add({"a", "b", "c"});
  w.OnPump([&](long call) {
    if (call == 1) {
      w.items.RemoveItem(1);
      w.items.RemoveItem(1);
      EXPECT_FALSE(w.binder.BindList());
    }
  });
  EXPECT_TRUE(w.binder.BindList());
  EXPECT_EQ(w.Shown(), (Texts{"1|c|f-c|Waiting|????"}));
}

TEST(BindListReentrancy, ItemsRemovedInTheMiddleOfTheFillLeaveNoGhostRows) {
  ListWindow w;
  w.Add({"a", "b", "c", "d"});
  w.OnPump([&](long call) {
    if (call == 3) { // after two records
      w.items.RemoveItem(4);
      w.items.RemoveItem(1);
      w.editor.ClearCompleted(); // a command whose own rebuild is dropped
    }
  });
  EXPECT_TRUE(w.binder.BindList());
  // No record with empty fields for the vanished items, and no row whose ID
  // names another item than the one it shows.
  EXPECT_EQ(w.Shown(), (Texts{"1|b|f-b|Waiting|????", "2|c|f-c|Waiting|????"}));
}

TEST(BindListReentrancy, RowsShownAfterARemovalDuringTheFillNameTheirOwnItems) {
  ListWindow w;
  w.Add({"A", "B", "C"});
  w.OnPump([&](long call) {
    if (call == 2) { // A goes while the fill runs; its own rebuild is dropped
      w.items.RemoveItem(1);
      EXPECT_FALSE(w.binder.BindList());
    }
  });
  w.binder.BindList();
  w.pump.action = nullptr;
  // The user removes the row that shows B: B goes, not C.
  ASSERT_EQ(w.grid.CellText(w.RowAt(0), 1), "B");
  w.grid.SetRowSelected(w.RowAt(0), true);
  w.editor.RemoveSelected();
  EXPECT_EQ(w.Stored(), (Texts{"1|C|Waiting"}));
}

TEST(BindListReentrancy, ProgressWritesReachTheShownRowsDuringTheFill) {
  ListWindow w;
  w.Add({"a", "b"});
  w.current.Set(w.items, 1);
  w.editor.LocateCurrentRow();
  bool written = false;
  std::string seen;
  w.OnPump([&](long call) {
    if (call == 1) {
      written = w.grid.SetCellValue(*w.current.Row(), kColumnStatus, "37");
      seen = *w.grid.CellText(*w.current.Row(), kColumnStatus);
    }
  });
  w.binder.BindList();
  EXPECT_TRUE(written);
  EXPECT_EQ(seen, "37");
  // Afterwards the row reference is stale until it is looked up again.
  EXPECT_FALSE(w.grid.SetCellValue(*w.current.Row(), kColumnStatus, "38"));
  EXPECT_EQ(w.grid.Texts()[1][kColumnStatus], "Waiting");
}

TEST(BindListReentrancy, EmptiedDuringTheFillShowsNoRows) {
  ListWindow w;
  w.Add({"a", "b"});
  w.OnPump([&](long call) {
    if (call == 1) {
      w.editor.SelectAll();
      w.editor.RemoveSelected();
    }
  });
  // RemoveSelected ran on the rows shown before the fill, emptied the list
  // and its own rebuild was dropped; the outer fill finds nothing to show
  // and detaches the grid as for an empty list.
  EXPECT_FALSE(w.binder.BindList());
  EXPECT_FALSE(w.binder.BindBusy());
  EXPECT_TRUE(w.items.IsListEmpty());
  EXPECT_EQ(w.grid.RowCount(), 0);
  EXPECT_FALSE(w.grid.HasDataSource());
  EXPECT_FALSE(w.binder.GridFormatted());
  w.pump.action = nullptr;
  const int layouts = w.grid.LayoutsApplied();
  w.Add({"z"});
  EXPECT_EQ(w.grid.LayoutsApplied(), layouts + 1);
}

// --- Failures -------------------------------------------------------------

struct FailureCase {
  const char *name;
  std::function<void()> fail;
  std::string message; // empty: silent
};

class BindListFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(BindListFailure, EndsTheRebuildAndKeepsThePreviousRows) {
  const FailureCase &c = GetParam();
  ListWindow w;
  w.Add({"a", "b"});
  const DownloadRecordset *before = w.binder.rsDownloadList();
  const auto generation = w.grid.Generation();
  w.items.AddItem("c", "f-c", "", "");
  w.OnPump([&](long call) {
    if (call == 2)
      c.fail();
  });
  EXPECT_FALSE(w.binder.BindList());
  EXPECT_FALSE(w.binder.BindBusy());
  EXPECT_EQ(w.grid.Generation(), generation);
  EXPECT_EQ(w.grid.RowCount(), 2);
  EXPECT_EQ(w.binder.rsDownloadList(), before);
  if (c.message.empty()) {
    EXPECT_TRUE(w.messages.shown.empty());
  } else {
    ASSERT_EQ(w.messages.shown.size(), 1u);
    EXPECT_EQ(w.messages.shown[0].text, c.message);
    EXPECT_EQ(w.messages.shown[0].buttons, vidtrawl::host::MessageBox::Buttons::Ok);
    EXPECT_EQ(w.messages.shown[0].icon, vidtrawl::host::MessageBox::Icon::Error);
    EXPECT_EQ(w.messages.shown[0].title, "Vidtrawl");
  }
  // The binder is usable again.
  w.pump.action = nullptr;
  EXPECT_TRUE(w.binder.BindList());
  EXPECT_EQ(w.grid.RowCount(), 3);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BindListFailure,
    ::testing::Values(
        FailureCase{"OutOfMemory", [] { throw std::bad_alloc(); },
                    "An error occured while filling the Download list\r7:Out of memory"},
        FailureCase{"OutOfRange", [] { throw std::out_of_range("x"); },
                    "An error occured while filling the Download list\r9:Subscript out of range"},
        FailureCase{"OtherError", [] { throw std::runtime_error("disk on fire"); },
                    "An error occured while filling the Download list\r440:disk on fire"},
        FailureCase{"GridGone", [] { throw vidtrawl::host::GridUnavailable("grid closed"); }, ""}),
    [](const ::testing::TestParamInfo<FailureCase> &info) { return info.param.name; });

// --- Layout through binding -------------------------------------------------

TEST(BindListLayout, FirstBindingLaysOutLaterOnesOnlyReattach) {
  ListWindow w;
  w.binder.FormatDownloadGrid(true); // start-up: laid out, not marked
  EXPECT_EQ(w.grid.LayoutsApplied(), 1);
  EXPECT_FALSE(w.binder.GridFormatted());

  w.Add({"a"});
  EXPECT_EQ(w.grid.LayoutsApplied(), 2);
  EXPECT_TRUE(w.binder.GridFormatted());

  w.grid.SetColumnWidth(kColumnVideoURL, 5000); // the user widens a column
  w.Add({"b"});
  w.Add({"c"});
  EXPECT_EQ(w.grid.LayoutsApplied(), 2);
  EXPECT_EQ(w.grid.ColumnWidth(kColumnVideoURL), 5000);
  EXPECT_EQ(w.grid.RowCount(), 3);
}

TEST(BindListLayout, AfterEmptyingTheNextBindingLaysOutAgain) {
  ListWindow w;
  w.Add({"a|Complete"});
  w.grid.SetColumnWidth(kColumnFileName, 4000);
  const int layouts = w.grid.LayoutsApplied();
  w.editor.ClearCompleted();
  EXPECT_FALSE(w.binder.GridFormatted());
  EXPECT_EQ(w.grid.LayoutsApplied(), layouts); // an empty list is only detached
  w.Add({"b"});
  EXPECT_EQ(w.grid.LayoutsApplied(), layouts + 1);
  EXPECT_EQ(w.grid.ColumnWidth(kColumnFileName), 1800);
  EXPECT_TRUE(w.binder.GridFormatted());
  EXPECT_EQ(w.Shown(), (Texts{"1|b|f-b|Waiting|????"}));
}

TEST(BindListLayout, EditingSelectionIsGoneAfterARebuild) {
  ListWindow w;
  w.Add({"a", "b"});
  w.grid.SetCellSelected(GridCell{*w.grid.Row(1), kColumnStatus}, true);
  w.grid.SetRowSelected(*w.grid.Row(0), true);
  w.binder.BindList();
  EXPECT_EQ(w.grid.SelectedCellCount(), 0);
  EXPECT_FALSE(w.grid.RowSelected(*w.grid.Row(0)));
}
