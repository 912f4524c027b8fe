#include "list/FormatDownloadGrid.h"
#include "host/DownloadRecordset.h"
#include "host/HeadlessGrid.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

using vidtrawl::host::DownloadRecordset;
using vidtrawl::host::HeadlessGrid;
using vidtrawl::host::kColumnStatus;
using vidtrawl::list::FormatDownloadGrid;

namespace {

DownloadRecordset OneRecord() {
  DownloadRecordset rs;
  rs.AddNew();
  rs.SetID(1);
  return rs;
}

// A grid whose attach or layout fails, as a grid control whose settings
// cannot be applied would: only what FormatDownloadGrid needs.
class FailingGrid final : public vidtrawl::host::Grid {
public:
  bool failAttach = false, failLayout = false;
  int attaches = 0, layouts = 0;

protected:
  void AttachSource(const DownloadRecordset *) override {
    if (failAttach)
      throw std::runtime_error("attach");
    ++attaches;
  }
  int Rows() const override { return 0; }
  std::string Text(int, int) const override { return {}; }
  void WriteValue(int, int, const std::string &) override {}
  bool RowSelectedAt(int) const override { return false; }
  void SelectRowAt(int, bool) override {}
  bool CellSelectedAt(int, int) const override { return false; }
  void SelectCellAt(int, int, bool) override {}
  int SelectedCellsCount() const override { return 0; }
  std::pair<int, int> SelectedCellAt(int) const override { return {0, 0}; }
  void Layout() override {
    if (failLayout)
      throw std::runtime_error("layout");
    ++layouts;
  }
};

} // namespace

TEST(FormatDownloadGrid, StartUpLaysOutWithoutMarkingFormatted) {
  HeadlessGrid grid;
  bool formatted = false;
  EXPECT_TRUE(FormatDownloadGrid(grid, nullptr, formatted, true));
  EXPECT_EQ(grid.LayoutsApplied(), 1);
  EXPECT_FALSE(formatted);
  EXPECT_EQ(grid.RowCount(), 0);
}

TEST(FormatDownloadGrid, FirstBindingLaysOutThenOnlyReattaches) {
  HeadlessGrid grid;
  bool formatted = false;
  const DownloadRecordset rs = OneRecord();
  EXPECT_TRUE(FormatDownloadGrid(grid, &rs, formatted, false));
  EXPECT_EQ(grid.LayoutsApplied(), 1);
  EXPECT_TRUE(formatted);
  EXPECT_EQ(grid.RowCount(), 1);

  grid.SetColumnWidth(kColumnStatus, 2500);
  const auto generation = grid.Generation();
  EXPECT_TRUE(FormatDownloadGrid(grid, &rs, formatted, false));
  EXPECT_EQ(grid.LayoutsApplied(), 1);
  EXPECT_EQ(grid.Generation(), generation + 1);
  EXPECT_EQ(grid.ColumnWidth(kColumnStatus), 2500);

  formatted = false; // the list was emptied
  EXPECT_TRUE(FormatDownloadGrid(grid, &rs, formatted, false));
  EXPECT_EQ(grid.LayoutsApplied(), 2);
  EXPECT_EQ(grid.ColumnWidth(kColumnStatus), 1700);
}

TEST(FormatDownloadGrid, FailedReattachMakesTheNextCallLayOutAfresh) {
  FailingGrid grid;
  bool formatted = false;
  formatted = true;
  grid.failAttach = true;
  EXPECT_TRUE(FormatDownloadGrid(grid, nullptr, formatted, false));
  EXPECT_FALSE(formatted);
  EXPECT_EQ(grid.layouts, 0);
  grid.failAttach = false;
  EXPECT_TRUE(FormatDownloadGrid(grid, nullptr, formatted, false));
  EXPECT_EQ(grid.layouts, 1);
  EXPECT_TRUE(formatted);
}

TEST(FormatDownloadGrid, FailingLayoutStepIsSkipped) {
  struct Case {
    bool failAttach, failLayout, bInit;
    int attaches, layouts;
    bool formatted;
  };
  const Case cases[] = {
      {false, true, false, 1, 0, true},
      {true, false, false, 0, 1, true},
      {true, true, false, 0, 0, true},
      {false, true, true, 1, 0, false},
  };
  for (const Case &c : cases) {
    FailingGrid grid;
    grid.failAttach = c.failAttach;
    grid.failLayout = c.failLayout;
    bool formatted = false;
    EXPECT_TRUE(FormatDownloadGrid(grid, nullptr, formatted, c.bInit));
    EXPECT_EQ(grid.attaches, c.attaches);
    EXPECT_EQ(grid.layouts, c.layouts);
    EXPECT_EQ(formatted, c.formatted);
  }
}
