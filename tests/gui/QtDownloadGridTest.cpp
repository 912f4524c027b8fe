// The download grid on screen: the engine's grid contract carried by the Qt
// view (what it shows, one-cell writes, stale rows, the selection shared by
// the engine and the user, names typed into the cell) and the status cells
// it paints.
#include "TestDesktop.h"
#include "host/GridLayout.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace vidtrawl::testing {
namespace {

using namespace host; // the grid contract and its column numbers

std::string Url(int clip) {
  return "http://www.youtube.com/watch?v=" + std::to_string(clip);
}
void Add(TestDesktop &t, std::initializer_list<int> clips) {
  for (int clip : clips)
    t.engine.AddLink(Url(clip));
}

TEST(QtDownloadGrid, ShowsEachItemAndChangesOneCellAtATime) {
  TestDesktop w;
  Add(w, {1, 2});
  w.engine.AddLink("http://www.example.org/unsupported");
  for (int row = 0; row < 3; ++row) {
    const engine::DownloadItem &item = w.engine.Item(static_cast<std::size_t>(row));
    EXPECT_EQ((std::vector<std::string>{w.Shown(row, 0), w.Shown(row, 1), w.Shown(row, 2),
                                        w.Shown(row, 3), w.Shown(row, 4)}),
              (std::vector<std::string>{std::to_string(item.ID), item.Video_URL, item.FileName,
                                        item.Status, item.FileSize}));
  }
  const GridRow old = *w.grid.Row(0);
  QSignalSpy changed(&w.grid.Model(), &QAbstractItemModel::dataChanged);
  QSignalSpy resets(&w.grid.Model(), &QAbstractItemModel::modelReset);
  ASSERT_TRUE(w.grid.SetCellValue(*w.grid.Row(1), kColumnStatus, "42"));
  EXPECT_EQ(w.Shown(1, kColumnStatus), "42");
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed[0][0].toModelIndex(), w.Index(1, kColumnStatus));
  EXPECT_EQ(changed[0][1].toModelIndex(), w.Index(1, kColumnStatus));
  EXPECT_EQ(resets.count(), 0);

  Add(w, {4}); // every rebuild replaces all rows; rows taken before are stale
  EXPECT_EQ(resets.count(), 1);
  EXPECT_EQ(w.grid.Model().rowCount(), 4);
  EXPECT_FALSE(w.grid.SetCellValue(old, kColumnStatus, "99"));
  EXPECT_FALSE(w.grid.CellText(old, kColumnStatus));
  w.grid.SetRowSelected(old, true);
  EXPECT_EQ(w.grid.SelectedCellCount(), 0);
  EXPECT_EQ(w.Shown(0, kColumnStatus), "Waiting");
  w.grid.SetDataSource(nullptr);
  EXPECT_EQ(w.grid.Model().rowCount(), 0);
}

// Each step changes the selection: "+RC" and "-RC" are the engine selecting
// and deselecting the cell in row R, column C ("*": the whole row), "cRC" a
// click and "CRC" a click with Ctrl. The grid then lists the selected cells
// (R * 10 + C) in the order they were selected, a row counts as selected
// with all its cells, and the view shows exactly those cells.
TEST(QtDownloadGrid, EngineAndUserSelectionsAddUpInSelectionOrder) {
  const std::pair<std::string, std::vector<int>> steps[] = {
      {"+22", {22}},
      {"+03", {22, 3}},
      {"+10", {22, 3, 10}},
      {"-03", {22, 10}},
      {"+1*", {22, 10, 11, 12, 13, 14}},
      {"-13", {22, 10, 11, 12, 14}},
      {"C04", {22, 10, 11, 12, 14, 4}},
      {"c04", {4}},
      {"+2*", {4, 20, 21, 22, 23, 24}},
      {"C21", {4, 20, 22, 23, 24}},
      {"-2*", {4}},
      {"rebind", {}},
      {"c03", {3}},
      {"C21", {3, 21}},
      {"remove", {}}, // the engine removes the rows the user picked
  };
  TestDesktop w;
  Add(w, {1, 2, 3});
  for (const auto &[step, selected] : steps) {
    SCOPED_TRACE(step);
    const int row = step[1] - '0', column = step[2] - '0';
    if (step == "rebind")
      Add(w, {4});
    else if (step == "remove")
      w.engine.RemoveSelected();
    else if (step[0] == 'c' || step[0] == 'C')
      QTest::mouseClick(w.grid.viewport(), Qt::LeftButton,
                        step[0] == 'C' ? Qt::ControlModifier : Qt::NoModifier,
                        w.grid.visualRect(w.Index(row, column)).center());
    else if (step[2] == '*')
      w.grid.SetRowSelected(*w.grid.Row(row), step[0] == '+');
    else
      w.grid.SetCellSelected({*w.grid.Row(row), column}, step[0] == '+');
    std::vector<int> listed, shown;
    for (const GridCell &cell : w.grid.SelectedCells())
      listed.push_back(cell.row.index * 10 + cell.column);
    EXPECT_EQ(listed, selected);
    for (int row = 0; row < w.grid.RowCount(); ++row)
      EXPECT_EQ(w.grid.RowSelected(*w.grid.Row(row)),
                std::ranges::count_if(listed, [&](int at) { return at / 10 == row; }) == 5);
    QApplication::processEvents(); // the view gets the engine's selection
    for (const QModelIndex &index : w.grid.selectionModel()->selectedIndexes())
      shown.push_back(index.row() * 10 + index.column());
    std::ranges::sort(listed);
    std::ranges::sort(shown);
    EXPECT_EQ(shown, listed);
  }
  ASSERT_EQ(w.engine.ItemCount(), 2u);
  EXPECT_EQ(w.engine.Item(0).Video_URL, Url(2));
  EXPECT_EQ(w.engine.Item(1).Video_URL, Url(4));
}

// Selecting row by row must not cost the view time quadratic in the rows.
TEST(QtDownloadGrid, SelectingEveryRowGivesTheViewOneRange) {
  TestDesktop w;
  std::vector<std::string> urls;
  for (int i = 1; i <= 500; ++i)
    urls.push_back(Url(i));
  w.engine.AddLinks(urls);
  w.engine.SelectAll();
  w.grid.SyncSelection();
  EXPECT_EQ(w.grid.selectionModel()->selection().size(), 1);
  EXPECT_EQ(w.grid.SelectedCellCount(), 500 * kColumnCount);
  EXPECT_TRUE(w.grid.selectionModel()->isRowSelected(499, QModelIndex()));
}

TEST(QtDownloadGrid, NamesTypedIntoTheCellAreCleanedOrRefusedWithoutARebuild) {
  const struct {
    int column;
    const char *typed;
    const char *name; // shown and stored afterwards
  } edits[] = {
      {kColumnFileName, "my:clip?.flv", "myclip.flv"},
      {kColumnFileName, "???", "myclip.flv"},
      {kColumnFileName, "", "myclip.flv"},
      {kColumnFileName, "Enter File Name", "myclip.flv"},
      {kColumnFileName, "Ünïcode clip.flv", "Ünïcode clip.flv"},
      {kColumnStatus, "Complete", "Ünïcode clip.flv"}, // no other column takes an edit
  };
  TestDesktop w;
  Add(w, {1, 2, 3});
  const std::string untouched = w.engine.Item(0).FileName;
  QSignalSpy resets(&w.grid.Model(), &QAbstractItemModel::modelReset);
  for (const auto &edit : edits) {
    SCOPED_TRACE(edit.typed);
    // Through the view's editor, committed with Enter; a cell that opens no
    // editor takes nothing.
    w.grid.setCurrentIndex(w.Index(1, edit.column));
    w.grid.edit(w.Index(1, edit.column));
    for (QLineEdit *editor : w.grid.viewport()->findChildren<QLineEdit *>())
      if (editor->isVisible()) {
        editor->setText(QString::fromUtf8(edit.typed));
        QTest::keyClick(editor, Qt::Key_Return);
      }
    QApplication::processEvents();
    EXPECT_EQ(w.Shown(1, kColumnFileName), edit.name);
    EXPECT_EQ(w.engine.Item(1).FileName, edit.name);
    EXPECT_EQ(w.engine.Item(1).Status, "Waiting");
  }
  EXPECT_EQ(resets.count(), 0);
  EXPECT_EQ(w.engine.Item(0).FileName, untouched);
  EXPECT_EQ(w.engine.Item(2).FileName, untouched);
  Add(w, {4});
  EXPECT_EQ(w.Shown(1, kColumnFileName), "Ünïcode clip.flv");
}

// The colours in an area of an image.
std::set<QRgb> Colours(const QImage &image, const QRect &area) {
  std::set<QRgb> colours;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      colours.insert(image.pixel(x, y));
  return colours;
}

TEST(StatusCellPainter, APercentageIsABarInTheUsersColoursAndAnythingElseText) {
  const struct {
    const char *status;
    bool selected;
    int bar; // percent of the cell the bar covers; -1: no bar
  } cases[] = {
      {"0", false, 0},     {"42", false, 42},       {"100", false, 100},
      {"150", false, 100}, {"Complete", false, -1}, {"Preparing (40%)", false, -1},
      {"42", true, -1},    {"Complete", true, -1},
  };
  TestDesktop w;
  Add(w, {1, 2});
  const QPalette saved = QApplication::palette();
  const QColor ground(250, 240, 10);
  for (const auto &c : cases) {
    SCOPED_TRACE(::testing::Message() << c.status << (c.selected ? " selected" : ""));
    // The user's colours change from case to case: they are read at every paint.
    const QColor bar(20, 40, 100 + 10 * static_cast<int>(&c - cases));
    QPalette user = saved;
    user.setColor(QPalette::Highlight, bar);
    user.setColor(QPalette::HighlightedText, ground);
    QApplication::setPalette(user);
    const GridRow row = *w.grid.Row(0);
    w.grid.SetCellValue(row, kColumnStatus, c.status);
    w.grid.SetCellValue(row, kColumnFileSize, c.status);
    w.grid.SetRowSelected(row, c.selected);
    QApplication::processEvents();
    const QImage image = w.grid.viewport()->grab().toImage();
    const QRect cell = w.grid.visualRect(w.Index(0, kColumnStatus));
    const auto at = [&](int x, int y) { return image.pixelColor(x, y); };
    if (c.bar >= 0) {
      const int end = cell.left() + cell.width() * c.bar / 100; // where the ground begins
      for (int x : {cell.left(), end - 2, end + 2, cell.right()}) {
        x = std::clamp(x, cell.left(), cell.right());
        EXPECT_EQ(at(x, cell.top()), x < end ? bar : ground) << x;
      }
    } else if (c.selected) {
      EXPECT_EQ(at(cell.left(), cell.top()), w.grid.palette().color(QPalette::Highlight));
      EXPECT_EQ(at(cell.right(), cell.bottom()), w.grid.palette().color(QPalette::Highlight));
    }
    // Every cell shows its text (a percentage in the colour opposite to what
    // lies under it); neither plain cells nor the neighbours show the bar's colours.
    for (int column : {kColumnFileName, kColumnStatus, kColumnFileSize}) {
      const std::set<QRgb> colours = Colours(image, w.grid.visualRect(w.Index(0, column)));
      EXPECT_GT(colours.size(), 1u) << column;
      EXPECT_TRUE((column == kColumnStatus && c.bar >= 0) ||
                  !(colours.contains(bar.rgb()) || colours.contains(ground.rgb())))
          << column;
    }
  }
  QApplication::setPalette(saved);
}

} // namespace
} // namespace vidtrawl::testing
